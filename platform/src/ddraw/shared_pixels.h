// Pictures that many surfaces hold alike, kept once: a program that loads one sprite file for
// each of its many sprites (a wall of bricks) has copies read from one small memory that stays
// in the cache, instead of from each surface's own.
#ifndef QV_PLATFORM_DDRAW_SHARED_PIXELS_H
#define QV_PLATFORM_DDRAW_SHARED_PIXELS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/pixels.h"

namespace plat::ddraw {

// A read-only copy of a surface's memory (every byte of every row, the pitch's padding too).
struct SharedPixels {
  std::vector<uint8_t> bytes;
  PixelBuffer view;  // over `bytes`, with the surface's size, pitch and format
};

// Surfaces of at most this many bytes are shared: sprites, not backgrounds.
constexpr size_t kMostSharedBytes = 64 * 1024;

// The one copy of memory holding exactly these bytes: an existing copy when some surface
// shared the same before and it is still held, otherwise a new one. `pixels` has top-down rows.
std::shared_ptr<const SharedPixels> SharePixels(const PixelBuffer& pixels);

}  // namespace plat::ddraw

#endif

// The largest pixel memory the display services hand out: DirectDraw surfaces and GDI bitmaps
// alike. A side of 8192 pixels and 64 MiB for one image are about what a display driver of the
// late 1990s accepts (the game's largest picture, 800 x 600 at 32 bits, is under 2 MB); larger
// requests are refused the way that driver refuses them, before anything is allocated, so a
// small hostile file cannot make a reader take hundreds of megabytes. The limits also keep every
// row and size computation well inside 32 bits.
#ifndef QV_PLATFORM_CORE_LIMITS_H
#define QV_PLATFORM_CORE_LIMITS_H

#include <cstdint>

namespace plat {

// Widest and highest image, in pixels.
constexpr int32_t kMaxImageSide = 8192;
// Most bytes of pixel memory for one image, row padding included.
constexpr uint64_t kMaxImageBytes = 64ull << 20;

}  // namespace plat

#endif

// The largest pixel memory the display services hand out: DirectDraw surfaces and GDI bitmaps
// alike. A side of 16384 pixels and a budget of 256 MiB are what a display driver of the time
// accepts; larger requests are refused the way that driver refuses them. The limits also keep
// every row and size computation well inside 32 bits.
#ifndef QV_PLATFORM_CORE_LIMITS_H
#define QV_PLATFORM_CORE_LIMITS_H

#include <cstdint>

namespace plat {

// Widest and highest image, in pixels.
constexpr int32_t kMaxImageSide = 16384;
// Most bytes of pixel memory for one image, row padding included.
constexpr uint64_t kMaxImageBytes = 256ull << 20;

}  // namespace plat

#endif

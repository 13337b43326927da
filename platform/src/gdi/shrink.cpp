#include "gdi/shrink.h"

#include <cstdlib>

namespace plat::gdi {

namespace {

// Destination pixel i of n takes source pixels [First(i), First(i + 1)) of m: the pixel a
// plain shrink reads first, then the ones it would drop.
int64_t First(int64_t i, int64_t m, int64_t n) { return i * m / n; }

}  // namespace

bool CombineShrunkPixels(int mode, const PixelBuffer& src, int* xSrc, int* ySrc, int* wSrc,
                         int* hSrc, int wDst, int hDst, std::vector<uint8_t>* storage,
                         PixelBuffer* reduced) {
  if (mode != BLACKONWHITE && mode != WHITEONBLACK) return false;
  if (!src.bits || src.format.IsPalettized()) return false;
  const int64_t sw = std::abs(static_cast<int64_t>(*wSrc));
  const int64_t sh = std::abs(static_cast<int64_t>(*hSrc));
  const int64_t dw = std::abs(static_cast<int64_t>(wDst));
  const int64_t dh = std::abs(static_cast<int64_t>(hDst));
  if (dw == 0 || dh == 0 || (dw >= sw && dh >= sh)) return false;
  const int64_t left = std::min<int64_t>(*xSrc, static_cast<int64_t>(*xSrc) + *wSrc);
  const int64_t top = std::min<int64_t>(*ySrc, static_cast<int64_t>(*ySrc) + *hSrc);
  if (left < 0 || top < 0 || left + sw > src.width || top + sh > src.height) return false;

  // Along an axis that grows or keeps its size each pixel is its own group.
  const int64_t rw = std::min(sw, dw), rh = std::min(sh, dh);
  const uint32_t bytes = src.format.BytesPerPixel();
  storage->assign(static_cast<size_t>(rw * rh * bytes), 0);
  *reduced = src;
  reduced->bits = storage->data();
  reduced->width = static_cast<int32_t>(rw);
  reduced->height = static_cast<int32_t>(rh);
  reduced->pitch = static_cast<int32_t>(rw * bytes);
  const bool both = mode == BLACKONWHITE;
  for (int64_t ry = 0; ry < rh; ++ry) {
    const int64_t y0 = First(ry, sh, rh), y1 = First(ry + 1, sh, rh);
    for (int64_t rx = 0; rx < rw; ++rx) {
      const int64_t x0 = First(rx, sw, rw), x1 = First(rx + 1, sw, rw);
      uint32_t value = both ? 0xFFFFFFFFu : 0;
      for (int64_t y = y0; y < y1; ++y) {
        for (int64_t x = x0; x < x1; ++x) {
          const uint32_t raw = src.GetRaw(static_cast<int>(left + x), static_cast<int>(top + y));
          value = both ? (value & raw) : (value | raw);
        }
      }
      reduced->PutRaw(static_cast<int>(rx), static_cast<int>(ry), value);
    }
  }
  *xSrc = *wSrc < 0 ? static_cast<int>(rw) : 0;
  *ySrc = *hSrc < 0 ? static_cast<int>(rh) : 0;
  *wSrc = *wSrc < 0 ? -static_cast<int>(rw) : static_cast<int>(rw);
  *hSrc = *hSrc < 0 ? -static_cast<int>(rh) : static_cast<int>(rh);
  return true;
}

}  // namespace plat::gdi

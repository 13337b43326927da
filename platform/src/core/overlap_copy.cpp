#include "core/overlap_copy.h"

#include <algorithm>
#include <cstring>

namespace plat {

namespace {

// The bytes from the start of the lowest row to the end of the highest (rows may run
// bottom-up, with a negative pitch).
void ByteSpan(const PixelBuffer& p, uintptr_t* lo, uintptr_t* hi) {
  const uintptr_t first = reinterpret_cast<uintptr_t>(p.Row(0));
  const uintptr_t last = reinterpret_cast<uintptr_t>(p.Row(p.height - 1));
  *lo = std::min(first, last);
  *hi = std::max(first, last) + static_cast<uintptr_t>(p.width) * p.format.BytesPerPixel();
}

}  // namespace

bool SharesMemory(const PixelBuffer& a, const PixelBuffer& b) {
  if (!a.bits || !b.bits || a.width <= 0 || a.height <= 0 || b.width <= 0 || b.height <= 0) {
    return false;
  }
  uintptr_t alo, ahi, blo, bhi;
  ByteSpan(a, &alo, &ahi);
  ByteSpan(b, &blo, &bhi);
  return alo < bhi && blo < ahi;
}

PixelBuffer OverlapSafeSource(const PixelBuffer& dst, const PixelBuffer& src, RECT* part,
                              std::vector<uint8_t>* storage) {
  if (!SharesMemory(dst, src)) return src;
  PixelBuffer copy = src;  // same format and palette
  copy.width = part->right - part->left;
  copy.height = part->bottom - part->top;
  copy.pitch = copy.width * static_cast<int32_t>(src.format.BytesPerPixel());
  const size_t rowBytes = static_cast<size_t>(copy.pitch);
  storage->resize(rowBytes * static_cast<size_t>(copy.height));
  copy.bits = storage->data();
  for (int y = 0; y < copy.height; ++y) {
    std::memcpy(copy.Row(y), src.At(part->left, part->top + y), rowBytes);
  }
  *part = RECT{0, 0, copy.width, copy.height};
  return copy;
}

}  // namespace plat

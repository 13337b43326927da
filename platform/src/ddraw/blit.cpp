#include "ddraw/blit.h"

#include <cstring>

#include "core/stretch.h"
#include "ddraw/keyed_select.h"

namespace plat::ddraw {

namespace {

// 16 bytes of pixels as one value; the compiler turns operations on it into SIMD instructions.
typedef uint16_t Vec16x8 __attribute__((vector_size(16)));

// Fills one row of `count` pixels of 1, 2 or 4 bytes with a repeating 16-byte pattern.
void FillRowPattern(uint8_t* row, size_t bytes, const uint8_t* pattern16) {
  Vec16x8 v;
  std::memcpy(&v, pattern16, 16);
  size_t i = 0;
  for (; i + 64 <= bytes; i += 64) {
    std::memcpy(row + i, &v, 16);
    std::memcpy(row + i + 16, &v, 16);
    std::memcpy(row + i + 32, &v, 16);
    std::memcpy(row + i + 48, &v, 16);
  }
  for (; i + 16 <= bytes; i += 16) std::memcpy(row + i, &v, 16);
  std::memcpy(row + i, pattern16, bytes - i);
}

// A long run fills like memset does: the processor's string store writes whole cache lines
// without reading them first, where vector stores read each line before writing it.
void FillRunPattern(uint8_t* run, size_t bytes, const uint8_t* pattern16) {
#if defined(__x86_64__) && defined(__GNUC__)
  constexpr size_t kStringStoreBytes = 4096;  // shorter runs are not worth starting it for
  if (bytes >= kStringStoreBytes) {
    uint64_t word;
    std::memcpy(&word, pattern16, 8);
    size_t words = bytes / 8;
    uint8_t* at = run;
    asm volatile("rep stosq" : "+D"(at), "+c"(words) : "a"(word) : "memory");
    std::memcpy(run + bytes / 8 * 8, pattern16, bytes % 8);
    return;
  }
#endif
  FillRowPattern(run, bytes, pattern16);
}

// Copies a short span inline: sprite runs are tens of bytes, where a call to memcpy costs as
// much as the copy. Spans of 32 bytes or more end with a 32-byte copy that may overlap the
// previous one.
typedef uint8_t Vec8x32 __attribute__((vector_size(32)));

inline void CopySpan(uint8_t* d, const uint8_t* s, size_t n) {
  if (n >= 32) {
    Vec8x32 v;
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
      std::memcpy(&v, s + i, 32);
      std::memcpy(d + i, &v, 32);
    }
    if (i < n) {
      std::memcpy(&v, s + n - 32, 32);
      std::memcpy(d + n - 32, &v, 32);
    }
    return;
  }
  if (n >= 16) {
    Vec16x8 a, b;
    std::memcpy(&a, s, 16);
    std::memcpy(&b, s + n - 16, 16);
    std::memcpy(d, &a, 16);
    std::memcpy(d + n - 16, &b, 16);
    return;
  }
  if (n >= 8) {
    uint64_t a, b;
    std::memcpy(&a, s, 8);
    std::memcpy(&b, s + n - 8, 8);
    std::memcpy(d, &a, 8);
    std::memcpy(d + n - 8, &b, 8);
    return;
  }
  for (size_t i = 0; i < n; ++i) d[i] = s[i];
}

void KeyedRow8(uint8_t* d, const uint8_t* s, int n, uint8_t key) {
  for (int i = 0; i < n; ++i) d[i] = s[i] == key ? d[i] : s[i];
}

}  // namespace

void Fill(const PixelBuffer& dst, const RECT& rect, uint32_t raw) {
  const int bpp = static_cast<int>(dst.format.BytesPerPixel());
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  const size_t rowBytes = static_cast<size_t>(width) * bpp;
  // Rows are reached through locals: the stores below may alias the buffer's fields.
  uint8_t* const first = dst.At(rect.left, rect.top);
  const ptrdiff_t pitch = dst.pitch;
  if (bpp == 3) {
    uint8_t b0 = raw & 0xFF, b1 = (raw >> 8) & 0xFF, b2 = (raw >> 16) & 0xFF;
    for (int y = 0; y < height; ++y) {
      uint8_t* p = first + y * pitch;
      if (b0 == b1 && b1 == b2) {
        std::memset(p, b0, rowBytes);
        continue;
      }
      for (int x = 0; x < width; ++x, p += 3) {
        p[0] = b0;
        p[1] = b1;
        p[2] = b2;
      }
    }
    return;
  }
  uint8_t pattern[16];
  for (int i = 0; i < 16; i += bpp) std::memcpy(pattern + i, &raw, bpp);  // little-endian
  bool uniform = true;
  for (int i = 1; i < bpp; ++i) uniform = uniform && pattern[i] == pattern[0];
  // A whole-width fill of contiguous rows is one run.
  if (rect.left == 0 && width == dst.width && static_cast<size_t>(dst.pitch) == rowBytes) {
    size_t total = rowBytes * static_cast<size_t>(height);
    if (uniform) {
      std::memset(first, pattern[0], total);
    } else {
      FillRunPattern(first, total, pattern);
    }
    return;
  }
  for (int y = 0; y < height; ++y) {
    uint8_t* p = first + y * pitch;
    if (uniform) {
      std::memset(p, pattern[0], rowBytes);
    } else {
      FillRunPattern(p, rowBytes, pattern);
    }
  }
}

void Copy(const PixelBuffer& dst, int x, int y, const PixelBuffer& src, const RECT& srcRect,
          const Key& srcKey, const Key& dstKey) {
  const int bpp = static_cast<int>(dst.format.BytesPerPixel());
  const int width = srcRect.right - srcRect.left;
  const int height = srcRect.bottom - srcRect.top;
  if (width <= 0 || height <= 0) return;
  const size_t rowBytes = static_cast<size_t>(width) * bpp;
  // Rows are reached through locals: the stores below may alias the buffers' fields.
  uint8_t* const dFirst = dst.At(x, y);
  const uint8_t* const sFirst = src.At(srcRect.left, srcRect.top);
  const ptrdiff_t dPitch = dst.pitch, sPitch = src.pitch;

  if (!srcKey.enabled && !dstKey.enabled) {
    if (x == 0 && srcRect.left == 0 && width == dst.width && width == src.width &&
        dPitch == sPitch && static_cast<size_t>(dPitch) == rowBytes) {
      std::memcpy(dFirst, sFirst, rowBytes * height);
      return;
    }
    for (int row = 0; row < height; ++row) {
      std::memcpy(dFirst + row * dPitch, sFirst + row * sPitch, rowBytes);
    }
    return;
  }

  if (srcKey.enabled && !dstKey.enabled && srcKey.low == srcKey.high) {
    if (bpp == 2 || bpp == 4) {
      KeyedRows rows;
      rows.dst = dFirst;
      rows.dstPitch = dPitch;
      rows.src = sFirst;
      rows.srcPitch = sPitch;
      rows.width = width;
      rows.height = height;
      rows.key = srcKey.low;
      const KeyedSelectBuild& select = BestKeyedSelect();
      (bpp == 2 ? select.rows16 : select.rows32)(rows);
      return;
    }
    for (int row = 0; row < height; ++row) {
      uint8_t* d = dFirst + row * dPitch;
      const uint8_t* s = sFirst + row * sPitch;
      if (bpp == 1) {
        KeyedRow8(d, s, width, static_cast<uint8_t>(srcKey.low));
        continue;
      }
      for (int i = 0; i < width; ++i) {
        uint32_t v = LoadPixel(s + i * 3, 3);
        if (v != srcKey.low) StorePixel(d + i * 3, 3, v);
      }
    }
    return;
  }

  for (int row = 0; row < height; ++row) {
    uint8_t* d = dFirst + row * dPitch;
    const uint8_t* s = sFirst + row * sPitch;
    for (int i = 0; i < width; ++i, d += bpp, s += bpp) {
      uint32_t v = LoadPixel(s, bpp);
      if (srcKey.Matches(v)) continue;
      if (dstKey.enabled && !dstKey.Matches(LoadPixel(d, bpp))) continue;
      StorePixel(d, bpp, v);
    }
  }
}

void BuildRuns(const PixelBuffer& src, const Key& key, KeyedRuns* out) {
  out->rowStart.assign(1, 0);
  out->runs.clear();
  out->opaquePixels = 0;
  const int bpp = static_cast<int>(src.format.BytesPerPixel());
  for (int y = 0; y < src.height; ++y) {
    const uint8_t* row = src.At(0, y);
    int x = 0;
    while (x < src.width) {
      while (x < src.width && key.Matches(LoadPixel(row + x * bpp, bpp))) ++x;
      const int start = x;
      while (x < src.width && !key.Matches(LoadPixel(row + x * bpp, bpp))) ++x;
      if (x > start) {
        out->runs.push_back({static_cast<uint16_t>(start), static_cast<uint16_t>(x - start)});
        out->opaquePixels += static_cast<uint64_t>(x - start);
      }
    }
    out->rowStart.push_back(static_cast<uint32_t>(out->runs.size()));
  }
}

// Built twice on x86-64: with 32-byte AVX2 moves where the processor has them.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void CopyRuns(const PixelBuffer& dst, int x, int y, const PixelBuffer& src, const RECT& srcRect,
              const KeyedRuns& runs) {
  // Everything the loop needs lives in locals: the byte stores may alias any memory, so
  // fields read through the references would be reloaded after every span.
  const ptrdiff_t bpp = dst.format.BytesPerPixel();
  uint8_t* const dstBits = dst.bits;
  const ptrdiff_t dstPitch = dst.pitch;
  const uint8_t* srcRow = src.bits + static_cast<ptrdiff_t>(srcRect.top) * src.pitch;
  const ptrdiff_t srcPitch = src.pitch;
  const KeyedRuns::Run* const allRuns = runs.runs.data();
  const uint32_t* const rowStart = runs.rowStart.data();
  const int left = srcRect.left, right = srcRect.right;
  const int top = srcRect.top, bottom = srcRect.bottom;
  // Offset of the destination pixel that source column 0 of the current row lands on; only
  // offsets of pixels inside the destination are ever turned into pointers.
  ptrdiff_t dstBase = static_cast<ptrdiff_t>(y) * dstPitch + (x - left) * bpp;
  for (int sy = top; sy < bottom; ++sy, srcRow += srcPitch, dstBase += dstPitch) {
    const KeyedRuns::Run* run = allRuns + rowStart[sy];
    const KeyedRuns::Run* const end = allRuns + rowStart[sy + 1];
    for (; run != end; ++run) {
      const int from = run->x < left ? left : run->x;
      const int to = run->x + run->length > right ? right : run->x + run->length;
      if (from >= to) continue;
      CopySpan(dstBits + (dstBase + from * bpp), srcRow + from * bpp,
               static_cast<size_t>((to - from) * bpp));
    }
  }
}

void Stretch(const PixelBuffer& dst, const RECT& dstFull, const RECT& dstClip,
             const PixelBuffer& src, const RECT& srcRect, bool mirrorLeftRight, bool mirrorUpDown,
             const Key& srcKey, const Key& dstKey) {
  StretchRects rects;
  rects.dstLeft = dstFull.left;
  rects.dstTop = dstFull.top;
  rects.dstWidth = static_cast<int64_t>(dstFull.right) - dstFull.left;
  rects.dstHeight = static_cast<int64_t>(dstFull.bottom) - dstFull.top;
  rects.srcLeft = srcRect.left;
  rects.srcTop = srcRect.top;
  rects.srcWidth = static_cast<int64_t>(srcRect.right) - srcRect.left;
  rects.srcHeight = static_cast<int64_t>(srcRect.bottom) - srcRect.top;
  rects.mirrorLeftRight = mirrorLeftRight;
  rects.mirrorUpDown = mirrorUpDown;
  rects.mirrorOrder = MirrorOrder::ReflectDestination;
  StretchCopy(dst, src, PlanStretch(rects, dstClip, src.width, src.height), srcKey, dstKey);
}

}  // namespace plat::ddraw

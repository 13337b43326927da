// Software blending blitters: a source rectangle combined with the destination pixel by pixel
// in locked memory (alpha map, constant weight, halves, shading, brightness). All ten share one
// frame: clip against both surfaces, lock, run the rule over the rows in the destination's
// format, unlock. Only colour bits are written; the fourth byte of a 32-bit pixel is kept.
#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <cstring>

#include "blit/locked.h"
#include "qvsurface.h"

namespace {

enum class Rule {
  AlphaMap,   // d + (s - d) * a / 256, a from the source's alpha map
  HalfBlend,  // d / 2 + s / 2
  Alpha,      // s + (d - s) * w / 256
  Shade,      // d * w / 256
  HalfShade,  // d / 2
  Fade,       // s * w / 256, saturated
};

struct Blend {
  Rule rule;
  bool keyed;
  uint32_t weight;
};

// Where the three colour channels of a format lie, and the mask that halves every channel of
// a pixel shifted right by one without carries between channels.
struct Channels {
  int redShift;
  int greenShift;
  uint32_t redMax;
  uint32_t greenMax;
  uint32_t blueMax;
  uint32_t halfMask;
};

const Channels k555 = {10, 5, 31, 31, 31, 0x3DEF};
const Channels k565 = {11, 5, 31, 63, 31, 0x7BEF};
const Channels k888 = {16, 8, 255, 255, 255, 0x7F7F7F};

// value / 256 rounded toward minus infinity.
int64_t FloorDiv256(int64_t value) { return value >= 0 ? value / 256 : -((-value + 255) / 256); }

// Weights of the constant-weight rules: the low 16 bits, limited to 256.
uint32_t LimitedWeight(DWORD parameter) {
  const uint32_t weight = parameter & 0xFFFF;
  return weight > 256 ? 256 : weight;
}

uint32_t Channel(const Blend& blend, uint32_t d, uint32_t s, uint32_t a, uint32_t max) {
  const int64_t dv = d;
  const int64_t sv = s;
  int64_t result = 0;
  switch (blend.rule) {
    case Rule::AlphaMap:
      result = dv + FloorDiv256((sv - dv) * a);
      break;
    case Rule::Alpha:
      result = sv + FloorDiv256((dv - sv) * blend.weight);
      break;
    case Rule::Shade:
      result = FloorDiv256(dv * blend.weight);
      break;
    case Rule::Fade:
      // A factor above 256 brightens; each channel stops at its largest value instead of
      // spilling into its neighbour.
      result = FloorDiv256(sv * blend.weight);
      if (result > static_cast<int64_t>(max)) result = max;
      break;
    case Rule::HalfBlend:
    case Rule::HalfShade:
      break;
  }
  return static_cast<uint32_t>(result) & max;
}

// The new colour bits of destination pixel d under source pixel s with alpha a.
uint32_t Combine(const Channels& c, const Blend& blend, uint32_t d, uint32_t s, uint32_t a) {
  if (blend.rule == Rule::HalfBlend) return ((d >> 1) & c.halfMask) + ((s >> 1) & c.halfMask);
  if (blend.rule == Rule::HalfShade) return (d >> 1) & c.halfMask;
  const uint32_t red =
      Channel(blend, (d >> c.redShift) & c.redMax, (s >> c.redShift) & c.redMax, a, c.redMax);
  const uint32_t green = Channel(blend, (d >> c.greenShift) & c.greenMax,
                                 (s >> c.greenShift) & c.greenMax, a, c.greenMax);
  const uint32_t blue = Channel(blend, d & c.blueMax, s & c.blueMax, a, c.blueMax);
  return (red << c.redShift) | (green << c.greenShift) | blue;
}

uint32_t Load32(const BYTE* p) {
  uint32_t value;
  std::memcpy(&value, p, 4);
  return value;
}

void Store32(BYTE* p, uint32_t value) { std::memcpy(p, &value, 4); }

uint32_t Load16(const BYTE* p) {
  uint16_t value;
  std::memcpy(&value, p, 2);
  return value;
}

void Store16(BYTE* p, uint32_t value) {
  const uint16_t v = static_cast<uint16_t>(value);
  std::memcpy(p, &v, 2);
}

// One row of 16-bit pixels: a single leading pixel when the count is odd, then two pixels per
// 32-bit word. A key that fits in 16 bits, repeated in both halves, skips a pair at once.
void Row16(const Channels& c, const Blend& blend, DWORD key, BYTE* d, const BYTE* s,
           const BYTE* alpha, int64_t count) {
  int64_t i = 0;
  if (count & 1) {
    const uint32_t sp = Load16(s);
    if (!blend.keyed || sp != key)
      Store16(d, Combine(c, blend, Load16(d), sp, alpha ? alpha[0] : 0));
    i = 1;
  }
  const bool pairKey = blend.keyed && key <= 0xFFFF;
  const uint32_t keyPair = key | (key << 16);
  for (; i < count; i += 2) {
    const uint32_t sw = Load32(s + 2 * i);
    if (pairKey && sw == keyPair) continue;
    const uint32_t dw = Load32(d + 2 * i);
    uint32_t low = dw & 0xFFFF;
    uint32_t high = dw >> 16;
    if (!blend.keyed || (sw & 0xFFFF) != key)
      low = Combine(c, blend, low, sw & 0xFFFF, alpha ? alpha[i] : 0) & 0xFFFF;
    if (!blend.keyed || (sw >> 16) != key)
      high = Combine(c, blend, high, sw >> 16, alpha ? alpha[i + 1] : 0) & 0xFFFF;
    Store32(d + 2 * i, low | (high << 16));
  }
}

// One row of 24- or 32-bit pixels: the three colour bytes of each, the key compared with them.
void Row24(const Blend& blend, DWORD key, int bytes, BYTE* d, const BYTE* s, const BYTE* alpha,
           int64_t count) {
  for (int64_t i = 0; i < count; ++i, d += bytes, s += bytes) {
    const uint32_t sp = s[0] | (s[1] << 8) | (static_cast<uint32_t>(s[2]) << 16);
    if (blend.keyed && sp == key) continue;
    const uint32_t dp = d[0] | (d[1] << 8) | (static_cast<uint32_t>(d[2]) << 16);
    const uint32_t out = Combine(k888, blend, dp, sp, alpha ? alpha[i] : 0);
    d[0] = static_cast<BYTE>(out);
    d[1] = static_cast<BYTE>(out >> 8);
    d[2] = static_cast<BYTE>(out >> 16);
  }
}

// Shrinks a copy of `source` at (x, y) to what both memories hold. False when nothing is left.
bool FitToMemory(int64_t& x, int64_t& y, int64_t& left, int64_t& top, int64_t& right,
                 int64_t& bottom, int64_t sourceWidth, int64_t sourceHeight,
                 const qvblit::LockedMemory& dest) {
  int64_t cut = 0;
  if (-left > cut) cut = -left;
  if (-x > cut) cut = -x;
  left += cut;
  x += cut;
  cut = 0;
  if (-top > cut) cut = -top;
  if (-y > cut) cut = -y;
  top += cut;
  y += cut;
  if (right > sourceWidth) right = sourceWidth;
  if (x + (right - left) > dest.width) right = left + (dest.width - x);
  if (bottom > sourceHeight) bottom = sourceHeight;
  if (y + (bottom - top) > dest.height) bottom = top + (dest.height - y);
  return right > left && bottom > top;
}

HRESULT Draw(Surface& source, Surface& dest, int x, int y, const RECT& rect, const Blend& blend) {
  const DWORD format = dest.pixelFormat.bitsPerPixel;
  const Channels* channels = nullptr;
  if (format == 15) channels = &k555;
  if (format == 16) channels = &k565;
  if (format == 24 || format == 32) channels = &k888;
  // Palette indices can't be blended: nothing changes.
  if (!channels) return 0;
  // Pixels of another size would be read at the wrong stride, past the end of the rows.
  if (qvblit::LockedDepth(source) != qvblit::LockedDepth(dest)) return DDERR_INVALIDPIXELFORMAT;

  const int bytes = qvblit::BytesPerPixel(format);
  const qvblit::LockedMemory from = qvblit::MemoryOf(source, bytes);
  const qvblit::LockedMemory to = qvblit::MemoryOf(dest, bytes);
  if (!from.Valid() || !to.Valid()) return E_FAIL;

  int64_t sourceWidth = from.width;
  int64_t sourceHeight = from.height;
  const BYTE* alphaMap = blend.rule == Rule::AlphaMap ? source.alphaMap : nullptr;
  if (alphaMap) {
    // The alpha map holds width x height weights.
    if (source.width < sourceWidth) sourceWidth = source.width;
    if (source.height < sourceHeight) sourceHeight = source.height;
  }
  int64_t dx = x, dy = y;
  int64_t left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
  if (!FitToMemory(dx, dy, left, top, right, bottom, sourceWidth, sourceHeight, to)) return E_FAIL;

  const DWORD key = source.colorKey;
  const int64_t count = right - left;
  for (int64_t row = top; row < bottom; ++row) {
    BYTE* d = to.At(dx, dy + (row - top));
    const BYTE* s = from.At(left, row);
    const BYTE* alpha = alphaMap ? alphaMap + row * source.width + left : nullptr;
    if (bytes == 2)
      Row16(*channels, blend, key, d, s, alpha, count);
    else
      Row24(blend, key, bytes, d, s, alpha, count);
  }
  return 0;
}

// The frame shared by every blitter: clip, lock the source and then the destination, draw,
// unlock in the same order.
HRESULT Run(Surface& source, Surface* dest, int x, int y, RECT rect, const Blend& blend) {
  if (!source.ClipBlit(dest, x, y, rect)) return E_FAIL;
  HRESULT result = source.Lock();
  if (FAILED(result)) return result;
  // A surface blended onto itself is locked once: a second lock would be refused.
  const bool same = dest == &source;
  if (!same) {
    result = dest->Lock();
    if (FAILED(result)) {
      source.Unlock();
      return result;
    }
  }
  result = Draw(source, *dest, x, y, rect, blend);
  source.Unlock();
  if (!same) dest->Unlock();
  return result;
}

}  // namespace

HRESULT Surface::BlitAlphaMap(Surface* dest, int x, int y, RECT source) {
  if (!alphaMap) {
    BlitKeyedClipped(dest, x, y, source);
    return E_FAIL;
  }
  return Run(*this, dest, x, y, source, Blend{Rule::AlphaMap, true, 0});
}

HRESULT Surface::BlitHalfBlend(Surface* dest, int x, int y, RECT source) {
  return Run(*this, dest, x, y, source, Blend{Rule::HalfBlend, false, 0});
}

HRESULT Surface::BlitHalfBlendKeyed(Surface* dest, int x, int y, RECT source) {
  return Run(*this, dest, x, y, source, Blend{Rule::HalfBlend, true, 0});
}

HRESULT Surface::BlitAlpha(Surface* dest, int x, int y, RECT source, DWORD weight) {
  return Run(*this, dest, x, y, source, Blend{Rule::Alpha, false, LimitedWeight(weight)});
}

HRESULT Surface::BlitAlphaKeyed(Surface* dest, int x, int y, RECT source, DWORD weight) {
  return Run(*this, dest, x, y, source, Blend{Rule::Alpha, true, LimitedWeight(weight)});
}

HRESULT Surface::BlitShade(Surface* dest, int x, int y, RECT source, DWORD factor) {
  return Run(*this, dest, x, y, source, Blend{Rule::Shade, false, LimitedWeight(factor)});
}

HRESULT Surface::BlitShadeKeyed(Surface* dest, int x, int y, RECT source, DWORD factor) {
  return Run(*this, dest, x, y, source, Blend{Rule::Shade, true, LimitedWeight(factor)});
}

HRESULT Surface::BlitHalfShade(Surface* dest, int x, int y, RECT source) {
  return Run(*this, dest, x, y, source, Blend{Rule::HalfShade, false, 0});
}

HRESULT Surface::BlitHalfShadeKeyed(Surface* dest, int x, int y, RECT source) {
  return Run(*this, dest, x, y, source, Blend{Rule::HalfShade, true, 0});
}

HRESULT Surface::BlitFade(Surface* dest, int x, int y, RECT source, DWORD factor) {
  return Run(*this, dest, x, y, source, Blend{Rule::Fade, false, factor & 0xFFFF});
}

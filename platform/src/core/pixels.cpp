#include "core/pixels.h"

#include <climits>
#include <cstring>

namespace plat {

ChannelLayout ChannelLayout::Of(uint32_t mask) {
  ChannelLayout c;
  c.mask = mask;
  if (mask == 0) return c;
  while (((mask >> c.shift) & 1u) == 0) ++c.shift;
  for (uint32_t rest = mask >> c.shift; rest & 1u; rest >>= 1) ++c.bits;
  return c;
}

PixelFormat PixelFormat::ForDepth(int bits) {
  switch (bits) {
    case 8:
      return Indexed8();
    case 15:
      return Rgb555();
    case 24:
      return Rgb888();
    case 32:
      return Xrgb8888();
    default:
      return Rgb565();
  }
}

uint32_t PixelBuffer::GetRaw(int x, int y) const {
  return LoadPixel(Row(y) + static_cast<ptrdiff_t>(x) * format.BytesPerPixel(),
                   format.BytesPerPixel());
}

void PixelBuffer::PutRaw(int x, int y, uint32_t value) const {
  StorePixel(Row(y) + static_cast<ptrdiff_t>(x) * format.BytesPerPixel(), format.BytesPerPixel(),
             value);
}

uint8_t NearestPaletteIndex(const PALETTEENTRY* palette, uint8_t r, uint8_t g, uint8_t b) {
  int best = 0;
  int bestDistance = INT_MAX;
  for (int i = 0; i < 256; ++i) {
    int dr = palette[i].peRed - r, dg = palette[i].peGreen - g, db = palette[i].peBlue - b;
    int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return static_cast<uint8_t>(best);
}

uint32_t RgbToRaw(const PixelFormat& f, const PALETTEENTRY* palette, uint8_t r, uint8_t g,
                  uint8_t b) {
  if (f.IsPalettized()) return palette ? NearestPaletteIndex(palette, r, g, b) : 0;
  const RgbCodec codec(f);
  return codec.red.Encode(r) | codec.green.Encode(g) | codec.blue.Encode(b);
}

void RawToRgb(const PixelFormat& f, const PALETTEENTRY* palette, uint32_t raw, uint8_t* r,
              uint8_t* g, uint8_t* b) {
  if (f.IsPalettized()) {
    if (palette) {
      const PALETTEENTRY& e = palette[raw & 0xFF];
      *r = e.peRed;
      *g = e.peGreen;
      *b = e.peBlue;
    } else {
      *r = *g = *b = static_cast<uint8_t>(raw);
    }
    return;
  }
  const RgbCodec codec(f);
  *r = codec.red.Decode(raw);
  *g = codec.green.Decode(raw);
  *b = codec.blue.Decode(raw);
}

void ConvertToXrgb(const PixelBuffer& src, uint32_t* dst) {
  const PixelFormat& f = src.format;
  if (f == PixelFormat::Rgb565()) {
    // The game's format: a table of all 65536 colours would be larger than the work, so
    // expand with shifts.
    for (int y = 0; y < src.height; ++y) {
      const uint8_t* row = src.Row(y);
      for (int x = 0; x < src.width; ++x) {
        uint16_t p;
        std::memcpy(&p, row + 2 * x, 2);
        uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
        *dst++ =
            (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
      }
    }
    return;
  }
  if (f.IsPalettized()) {
    uint32_t lut[256];
    for (uint32_t i = 0; i < 256; ++i) {
      uint8_t r, g, b;
      RawToRgb(f, src.palette, i, &r, &g, &b);
      lut[i] = (static_cast<uint32_t>(r) << 16) | (g << 8) | b;
    }
    for (int y = 0; y < src.height; ++y) {
      const uint8_t* row = src.Row(y);
      for (int x = 0; x < src.width; ++x) *dst++ = lut[row[x]];
    }
    return;
  }
  // Any other RGB format.
  const RgbCodec codec(f);
  for (int y = 0; y < src.height; ++y) {
    for (int x = 0; x < src.width; ++x) *dst++ = codec.ToXrgb(src.GetRaw(x, y));
  }
}

}  // namespace plat

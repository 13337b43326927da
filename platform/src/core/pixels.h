// A view of pixel memory in one of the formats the display services use: 8-bit palette
// indexes, 15-bit 5-5-5, 16-bit 5-6-5, 24-bit and 32-bit RGB. DirectDraw surfaces, GDI
// bitmaps and presented frames all meet through this view.
#ifndef QV_PLATFORM_CORE_PIXELS_H
#define QV_PLATFORM_CORE_PIXELS_H

#include <windows.h>

#include <cstdint>

namespace plat {

struct PixelFormat {
  uint32_t bitsPerPixel = 16;  // 8, 16 (15 and 16 share 2 bytes a pixel), 24, 32
  uint32_t redMask = 0xF800;
  uint32_t greenMask = 0x07E0;
  uint32_t blueMask = 0x001F;

  uint32_t BytesPerPixel() const { return (bitsPerPixel + 7) / 8; }
  bool IsPalettized() const { return bitsPerPixel <= 8; }

  static PixelFormat Rgb565() { return {16, 0xF800, 0x07E0, 0x001F}; }
  static PixelFormat Rgb555() { return {16, 0x7C00, 0x03E0, 0x001F}; }
  static PixelFormat Rgb888() { return {24, 0xFF0000, 0x00FF00, 0x0000FF}; }
  static PixelFormat Xrgb8888() { return {32, 0xFF0000, 0x00FF00, 0x0000FF}; }
  static PixelFormat Indexed8() { return {8, 0, 0, 0}; }
  // A desktop-style format for a depth: 8 palette, 15 5-5-5, 16 5-6-5, 24, 32.
  static PixelFormat ForDepth(int bits);
};

inline bool operator==(const PixelFormat& a, const PixelFormat& b) {
  return a.bitsPerPixel == b.bitsPerPixel && a.redMask == b.redMask && a.greenMask == b.greenMask &&
         a.blueMask == b.blueMask;
}

// Pixel memory owned elsewhere: DirectDraw surfaces, GDI bitmaps and presented frames alike.
// `palette` gives the colours of 8-bit pixels (256 entries), or null when the owner has none.
// Loops that visit many pixels keep the bytes per pixel and the pitch in locals.
struct PixelBuffer {
  uint8_t* bits = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;  // bytes from one row to the next; negative for bottom-up rows
  PixelFormat format;
  const PALETTEENTRY* palette = nullptr;

  uint8_t* Row(int y) const { return bits + static_cast<ptrdiff_t>(y) * pitch; }
  uint8_t* At(int x, int y) const {
    return Row(y) + static_cast<ptrdiff_t>(x) * static_cast<ptrdiff_t>(format.BytesPerPixel());
  }
  uint32_t GetRaw(int x, int y) const;
  void PutRaw(int x, int y, uint32_t value) const;
};

// A colour key: the raw pixel values in [low, high], when enabled.
struct ColorKey {
  bool enabled = false;
  uint32_t low = 0;
  uint32_t high = 0;

  bool Matches(uint32_t raw) const { return enabled && raw >= low && raw <= high; }
};

// One raw pixel of 1 to 4 bytes at `p`, little-endian as the formats store them.
inline uint32_t LoadPixel(const uint8_t* p, uint32_t bytes) {
  switch (bytes) {
    case 1:
      return p[0];
    case 2:
      return static_cast<uint32_t>(p[0] | (p[1] << 8));
    case 3:
      return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
    default:
      return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
             (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
}

inline void StorePixel(uint8_t* p, uint32_t bytes, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  if (bytes >= 2) p[1] = static_cast<uint8_t>(v >> 8);
  if (bytes >= 3) p[2] = static_cast<uint8_t>(v >> 16);
  if (bytes >= 4) p[3] = static_cast<uint8_t>(v >> 24);
}

// One colour channel of a direct-colour format: where its bits sit and how many there are.
struct ChannelLayout {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  static ChannelLayout Of(uint32_t mask);
  // The channel's value in a raw pixel, scaled to 8 bits so that full scale gives 255.
  uint8_t Decode(uint32_t raw) const {
    if (bits == 0) return 0;
    uint32_t v = (raw & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    uint32_t out = v << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) out |= out >> bits;
    return static_cast<uint8_t>(out);
  }
  // An 8-bit channel value placed in the channel's bits.
  uint32_t Encode(uint8_t c) const {
    if (bits == 0) return 0;
    uint32_t v = bits >= 8 ? static_cast<uint32_t>(c) << (bits - 8) : c >> (8 - bits);
    return (v << shift) & mask;
  }
};

// Raw values of a direct-colour format to and from 8-bit channels, with the channels' layouts
// worked out once for a whole copy.
struct RgbCodec {
  explicit RgbCodec(const PixelFormat& f)
      : red(ChannelLayout::Of(f.redMask)),
        green(ChannelLayout::Of(f.greenMask)),
        blue(ChannelLayout::Of(f.blueMask)) {}
  uint32_t ToXrgb(uint32_t raw) const {
    return (static_cast<uint32_t>(red.Decode(raw)) << 16) |
           (static_cast<uint32_t>(green.Decode(raw)) << 8) | blue.Decode(raw);
  }
  uint32_t FromXrgb(uint32_t xrgb) const {
    return red.Encode(static_cast<uint8_t>(xrgb >> 16)) |
           green.Encode(static_cast<uint8_t>(xrgb >> 8)) | blue.Encode(static_cast<uint8_t>(xrgb));
  }

  ChannelLayout red, green, blue;
};

// Colour conversion between 8-bit channels and raw pixel values of a format. For 8-bit formats
// the raw value is a palette index: RgbToRaw picks the nearest palette entry.
uint32_t RgbToRaw(const PixelFormat& f, const PALETTEENTRY* palette, uint8_t r, uint8_t g,
                  uint8_t b);
void RawToRgb(const PixelFormat& f, const PALETTEENTRY* palette, uint32_t raw, uint8_t* r,
              uint8_t* g, uint8_t* b);
// Nearest entry of a 256-entry palette (squared distance; the lowest index wins a tie).
uint8_t NearestPaletteIndex(const PALETTEENTRY* palette, uint8_t r, uint8_t g, uint8_t b);

// Converts a whole buffer to 32-bit 0x00RRGGBB pixels, row by row (for frames and screenshots).
void ConvertToXrgb(const PixelBuffer& src, uint32_t* dst);

}  // namespace plat

#endif

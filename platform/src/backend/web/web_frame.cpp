#include "backend/web/web_frame.h"

namespace plat::web {

namespace {

// Every 16-bit 5-6-5 pixel's RGBA word (little-endian: red in the lowest byte), each channel's
// top bits repeated below it so that 0xFFFF is white. 256 KB, built once: one load per pixel.
const uint32_t* Rgb565Table() {
  static const std::vector<uint32_t> table = [] {
    std::vector<uint32_t> t(65536);
    for (uint32_t p = 0; p < 65536; ++p) {
      uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
      r = (r << 3) | (r >> 2);
      g = (g << 2) | (g >> 4);
      b = (b << 3) | (b >> 2);
      t[p] = 0xFF000000u | (b << 16) | (g << 8) | r;
    }
    return t;
  }();
  return table.data();
}

}  // namespace

void FrameToRgba(const PixelBuffer& frame, std::vector<uint8_t>* rgba) {
  const size_t pixels = static_cast<size_t>(frame.width) * frame.height;
  rgba->resize(pixels * 4);
  uint32_t* out = reinterpret_cast<uint32_t*>(rgba->data());
  if (frame.format == PixelFormat::Rgb565()) {
    const uint32_t* table = Rgb565Table();
    for (int y = 0; y < frame.height; ++y) {
      const uint16_t* row = reinterpret_cast<const uint16_t*>(frame.Row(y));
      for (int x = 0; x < frame.width; ++x) *out++ = table[row[x]];
    }
    return;
  }
  // Other formats through 0x00RRGGBB, swapped into byte order R, G, B, A.
  ConvertToXrgb(frame, out);
  for (size_t i = 0; i < pixels; ++i) {
    uint32_t xrgb = out[i];
    out[i] = 0xFF000000u | ((xrgb & 0xFF) << 16) | (xrgb & 0xFF00) | ((xrgb >> 16) & 0xFF);
  }
}

}  // namespace plat::web

#include "backend/sdl/sdl_frame.h"

namespace plat::sdl {

namespace {

// A 5-6-5 pixel's low byte holds blue and green's low bits, its high byte red and green's high
// bits; widened to 8 bits per channel (each channel's top bits repeated below it, so 0xFFFF is
// white) the two bytes' parts never overlap, so two small tables do the work.
struct Rgb565Tables {
  uint32_t low[256];
  uint32_t high[256];
  Rgb565Tables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t blue = i & 31, greenLow = i >> 5;
      low[i] = (greenLow << 10) | (blue << 3) | (blue >> 2);
      uint32_t greenHigh = i & 7, red = i >> 3;
      high[i] = (((red << 3) | (red >> 2)) << 16) | (greenHigh << 13) | ((greenHigh >> 1) << 8);
    }
  }
};

}  // namespace

void FrameToXrgb(const PixelBuffer& frame, uint32_t* out) {
  if (!(frame.format == PixelFormat::Rgb565())) {
    ConvertToXrgb(frame, out);
    return;
  }
  static const Rgb565Tables tables;
  for (int y = 0; y < frame.height; ++y) {
    const uint8_t* row = frame.Row(y);
    for (int x = 0; x < frame.width; ++x) {
      *out++ = tables.low[row[2 * x]] | tables.high[row[2 * x + 1]];
    }
  }
}

}  // namespace plat::sdl

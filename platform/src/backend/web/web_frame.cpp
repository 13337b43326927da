#include "backend/web/web_frame.h"

#include <cstring>

namespace plat::web {

namespace {

// Eight 16-bit pixels: the compiler makes SIMD of them (SSE2 on the desktop, WebAssembly SIMD in
// the page).
typedef uint16_t Pixels8 __attribute__((vector_size(16)));

// 5-6-5 pixels as RGBA words (little-endian: red in the lowest byte), each channel widened to 8
// bits with its top bits repeated below it so that 0xFFFF is white. Each pixel's low half holds
// red and green, its high half blue and 255: two 16-bit values from a few shifts and masks.
template <class P>
inline void Halves(P p, P* low, P* high) {
  *low = ((p >> 8) & 0xF8) | (p >> 13) | ((p << 5) & 0xFC00) | ((p >> 1) & 0x0300);
  *high = ((p << 3) & 0xF8) | ((p >> 2) & 7) | 0xFF00;
}

}  // namespace

void FrameToRgba(const PixelBuffer& frame, std::vector<uint8_t>* rgba) {
  const size_t pixels = static_cast<size_t>(frame.width) * frame.height;
  rgba->resize(pixels * 4);
  uint8_t* out = rgba->data();
  if (frame.format == PixelFormat::Rgb565()) {
    for (int y = 0; y < frame.height; ++y) {
      const uint8_t* row = frame.Row(y);
      int x = 0;
      for (; x + 8 <= frame.width; x += 8, out += 32) {
        Pixels8 p, low, high;
        std::memcpy(&p, row + 2 * x, sizeof p);
        Halves(p, &low, &high);
        const Pixels8 first = __builtin_shufflevector(low, high, 0, 8, 1, 9, 2, 10, 3, 11);
        const Pixels8 second = __builtin_shufflevector(low, high, 4, 12, 5, 13, 6, 14, 7, 15);
        std::memcpy(out, &first, sizeof first);
        std::memcpy(out + 16, &second, sizeof second);
      }
      for (; x < frame.width; ++x, out += 4) {
        uint32_t p = 0, low, high;
        std::memcpy(&p, row + 2 * x, 2);
        Halves(p, &low, &high);
        const uint32_t word = low | high << 16;
        std::memcpy(out, &word, 4);
      }
    }
    return;
  }
  // Other formats through 0x00RRGGBB, swapped into byte order R, G, B, A.
  uint32_t* words = reinterpret_cast<uint32_t*>(out);
  ConvertToXrgb(frame, words);
  for (size_t i = 0; i < pixels; ++i) {
    uint32_t xrgb = words[i];
    words[i] = 0xFF000000u | ((xrgb & 0xFF) << 16) | (xrgb & 0xFF00) | ((xrgb >> 16) & 0xFF);
  }
}

}  // namespace plat::web

#include "backend/web/web_frame.h"

#include <cstring>

namespace plat::web {

namespace {

// Eight 16-bit pixels, and their eight RGBA words: the compiler makes SIMD of them (SSE2 on the
// desktop, WebAssembly SIMD in the page).
typedef uint16_t Pixels8 __attribute__((vector_size(16)));
typedef uint32_t Words8 __attribute__((vector_size(32)));

// The channels of 5-6-5 pixels widened to 8 bits, each channel's top bits repeated below it so
// that 0xFFFF is white, stored as RGBA words (little-endian: red in the lowest byte). The wide
// words are stored here rather than returned: a 32-byte vector is no value to pass around.
template <class P, class W>
inline void StoreRgba(P p, uint8_t* out) {
  const P r = p >> 11, g = (p >> 5) & 63, b = p & 31;
  const P red = (r << 3) | (r >> 2), green = (g << 2) | (g >> 4), blue = (b << 3) | (b >> 2);
  W words;
  if constexpr (sizeof(P) == 2) {
    words = 0xFF000000u | (W(blue) << 16) | (W(green) << 8) | red;
  } else {
    words = (W{} + 0xFF000000u) | (__builtin_convertvector(blue, W) << 16) |
            (__builtin_convertvector(green, W) << 8) | __builtin_convertvector(red, W);
  }
  std::memcpy(out, &words, sizeof words);
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
        Pixels8 p;
        std::memcpy(&p, row + 2 * x, sizeof p);
        StoreRgba<Pixels8, Words8>(p, out);
      }
      for (; x < frame.width; ++x, out += 4) {
        uint16_t p;
        std::memcpy(&p, row + 2 * x, 2);
        StoreRgba<uint16_t, uint32_t>(p, out);
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

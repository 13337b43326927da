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

// Whether n bytes are equal, 64 at a time: the C library's memcmp goes byte by byte in
// WebAssembly.
bool SameBytes(const uint8_t* a, const uint8_t* b, size_t n) {
  size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    Pixels8 differ = {};
    for (size_t k = 0; k < 64; k += 16) {
      Pixels8 x, y;
      std::memcpy(&x, a + i + k, 16);
      std::memcpy(&y, b + i + k, 16);
      differ |= x ^ y;
    }
    uint64_t halves[2];
    std::memcpy(halves, &differ, 16);
    if (halves[0] | halves[1]) return false;
  }
  return std::memcmp(a + i, b + i, n - i) == 0;
}

// One row of 5-6-5 pixels into RGBA bytes.
void RowToRgba(const uint8_t* row, int width, uint8_t* out) {
  int x = 0;
  for (; x + 8 <= width; x += 8, out += 32) {
    Pixels8 p, low, high;
    std::memcpy(&p, row + 2 * x, sizeof p);
    Halves(p, &low, &high);
    const Pixels8 first = __builtin_shufflevector(low, high, 0, 8, 1, 9, 2, 10, 3, 11);
    const Pixels8 second = __builtin_shufflevector(low, high, 4, 12, 5, 13, 6, 14, 7, 15);
    std::memcpy(out, &first, sizeof first);
    std::memcpy(out + 16, &second, sizeof second);
  }
  for (; x < width; ++x, out += 4) {
    uint32_t p = 0, low, high;
    std::memcpy(&p, row + 2 * x, 2);
    Halves(p, &low, &high);
    const uint32_t word = low | high << 16;
    std::memcpy(out, &word, 4);
  }
}

}  // namespace

void FrameToRgba(const PixelBuffer& frame, std::vector<uint8_t>* rgba) {
  const size_t pixels = static_cast<size_t>(frame.width) * frame.height;
  rgba->resize(pixels * 4);
  uint8_t* out = rgba->data();
  if (frame.format == PixelFormat::Rgb565()) {
    for (int y = 0; y < frame.height; ++y)
      RowToRgba(frame.Row(y), frame.width, out + 4 * y * static_cast<size_t>(frame.width));
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

const std::vector<RowRun>& FrameConverter::Convert(const PixelBuffer& frame) {
  runs_.clear();
  const size_t rowBytes = static_cast<size_t>(frame.width) * 2;
  const bool whole = !(frame.format == PixelFormat::Rgb565()) || frame.width != width_ ||
                     frame.height != height_ || last_.size() != rowBytes * frame.height;
  width_ = frame.width;
  height_ = frame.height;
  if (whole) {
    // Palettes and other formats may change the picture without a pixel changing.
    FrameToRgba(frame, &rgba_);
    if (frame.format == PixelFormat::Rgb565()) {
      last_.resize(rowBytes * frame.height);
      for (int y = 0; y < frame.height; ++y)
        std::memcpy(&last_[rowBytes * y], frame.Row(y), rowBytes);
    } else {
      last_.clear();
    }
    if (frame.height > 0) runs_.push_back({0, frame.height});
    return runs_;
  }
  for (int y = 0; y < frame.height; ++y) {
    uint8_t* kept = &last_[rowBytes * y];
    const uint8_t* row = frame.Row(y);
    if (SameBytes(kept, row, rowBytes)) continue;
    std::memcpy(kept, row, rowBytes);
    RowToRgba(row, frame.width, &rgba_[4 * static_cast<size_t>(frame.width) * y]);
    if (!runs_.empty() && runs_.back().top + runs_.back().count == y)
      ++runs_.back().count;
    else
      runs_.push_back({y, 1});
  }
  return runs_;
}

}  // namespace plat::web

// The page's frames as the canvas takes them: 5-6-5 pixels, eight at a time, give the bytes of
// the platform's general conversion (every pixel value, rows whose ends fall between vectors);
// the converter hands on the runs of rows a frame changes, and the whole frame when it must.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "backend/web/web_frame.h"
#include "platform_test.h"

namespace {

TEST(WebFrameTest, Rgb565FramesGiveTheGeneralConversionsBytes) {
  constexpr int kWidth = 263, kHeight = 250;  // 65750 pixels: every value, and a ragged tail
  std::vector<uint16_t> pixels(kWidth * kHeight + 1);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint16_t>(i * 40503u);
  // Rows not 16-byte aligned.
  const plat::PixelBuffer frame = Frame565(pixels.data() + 1, kWidth, kHeight);

  std::vector<uint8_t> rgba;
  plat::web::FrameToRgba(frame, &rgba);
  std::vector<uint32_t> xrgb(kWidth * kHeight);
  plat::ConvertToXrgb(frame, xrgb.data());
  ASSERT_EQ(rgba.size(), xrgb.size() * 4);
  for (size_t i = 0; i < xrgb.size(); ++i) {
    const uint8_t want[4] = {static_cast<uint8_t>(xrgb[i] >> 16),
                             static_cast<uint8_t>(xrgb[i] >> 8), static_cast<uint8_t>(xrgb[i]),
                             0xFF};
    ASSERT_EQ(0, std::memcmp(&rgba[4 * i], want, 4)) << "pixel " << i;
  }
}

TEST(WebFrameTest, TheConverterAnswersTheRowsThatChanged) {
  constexpr int kWidth = 45, kHeight = 12;  // rows of 90 bytes: one 64-byte block and a tail
  std::vector<uint16_t> pixels(kWidth * kHeight, 0x1234);
  plat::PixelBuffer frame = Frame565(pixels.data(), kWidth, kHeight);
  using Runs = std::vector<std::pair<int, int>>;
  plat::web::FrameConverter converter;
  auto convert = [&] {
    Runs runs;
    for (const plat::web::RowRun& run : converter.Convert(frame))
      runs.push_back({run.top, run.count});
    std::vector<uint8_t> whole;
    plat::web::FrameToRgba(frame, &whole);
    EXPECT_EQ(0, std::memcmp(converter.Rgba(), whole.data(), whole.size()));
    return runs;
  };
  EXPECT_EQ(convert(), (Runs{{0, kHeight}}));
  EXPECT_EQ(convert(), Runs{});
  pixels[3 * kWidth + 44] = 0xFFFF;  // the last pixel of row 3, beyond the blocks
  pixels[4 * kWidth] = 0;
  pixels[11 * kWidth + 9] = 0xF800;
  EXPECT_EQ(convert(), (Runs{{3, 2}, {11, 1}}));
  converter.Reset();
  EXPECT_EQ(convert(), (Runs{{0, kHeight}}));
  frame.height = kHeight - 1;
  EXPECT_EQ(convert(), (Runs{{0, kHeight - 1}}));
}

}  // namespace

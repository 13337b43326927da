// The picture drawn into the window's pixels without a graphics card: where it lies for each
// scale mode, what each filter makes of pixel borders, and the fast scaler against its plain
// twin on random frames.
#include "backend/sdl/picture_scaler.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform_test.h"

namespace {

using plat::Filter;
using plat::Scaling;
using plat::sdl::Area;

TEST(PictureScalerTest, FitKeepsTheAspectAndIntegerTakesTheLargestWholeMultiple) {
  auto area = [](int ow, int oh, Scaling s) {
    Area a = plat::sdl::PictureArea(800, 600, ow, oh, s);
    return std::vector<int>{a.x, a.y, a.w, a.h};
  };
  EXPECT_EQ(area(1920, 1080, Scaling::Fit), (std::vector<int>{240, 0, 1440, 1080}));
  EXPECT_EQ(area(1280, 720, Scaling::Fit), (std::vector<int>{160, 0, 960, 720}));
  EXPECT_EQ(area(1920, 1080, Scaling::Integer), (std::vector<int>{560, 240, 800, 600}));
  EXPECT_EQ(area(2560, 1440, Scaling::Integer), (std::vector<int>{480, 120, 1600, 1200}));
  // No whole multiple fits: the picture shrinks to fit instead.
  EXPECT_EQ(area(640, 480, Scaling::Integer), (std::vector<int>{0, 0, 640, 480}));
}

// One row of alternating black and white game pixels, scaled 1.8 times with each filter:
// nearest leaves no grey, sharp at most one grey screen pixel at each border, linear more.
TEST(PictureScalerTest, SharpBlendsOnlyTheScreenPixelOnEachBorder) {
  const int kWidth = 20, kOut = 36;
  std::vector<uint16_t> pixels(kWidth);
  for (int x = 0; x < kWidth; ++x) pixels[x] = x % 2 ? 0xFFFF : 0;
  plat::PixelBuffer frame = Frame565(pixels.data(), kWidth, 1);
  auto greys = [&](Filter filter, int* longestRun) {
    std::vector<uint32_t> out(kOut);
    plat::sdl::PictureScaler scaler;
    scaler.Draw(frame, filter, out.data(), kOut, Area{0, 0, kOut, 1});
    int count = 0, run = 0;
    *longestRun = 0;
    for (uint32_t p : out) {
      bool grey = p != 0 && p != 0xFFFFFF;
      count += grey;
      run = grey ? run + 1 : 0;
      if (run > *longestRun) *longestRun = run;
    }
    return count;
  };
  int run;
  EXPECT_EQ(greys(Filter::Nearest, &run), 0);
  EXPECT_LE(greys(Filter::Sharp, &run), kWidth - 1);
  EXPECT_LE(run, 1);
  EXPECT_GT(greys(Filter::Linear, &run), kWidth);
}

// Integer scaling with the sharp and nearest filters: every game pixel an exact block of equal
// screen pixels.
TEST(PictureScalerTest, AtAWholeScaleEveryGamePixelIsAnExactBlock) {
  std::mt19937 random(7);
  const int kW = 10, kH = 8, kOutW = 35, kOutH = 30;
  std::vector<uint16_t> pixels(kW * kH);
  for (uint16_t& p : pixels) p = static_cast<uint16_t>(random());
  plat::PixelBuffer frame = Frame565(pixels.data(), kW, kH);
  std::vector<uint32_t> source(kW * kH);
  plat::ConvertToXrgb(frame, source.data());
  Area area = plat::sdl::PictureArea(kW, kH, kOutW, kOutH, Scaling::Integer);
  ASSERT_EQ(area.w, 30);
  for (Filter filter : {Filter::Sharp, Filter::Nearest}) {
    std::vector<uint32_t> out(kOutW * kOutH, 0x123456);
    plat::sdl::PictureScaler().Draw(frame, filter, out.data(), kOutW, area);
    for (int y = 0; y < kOutH; ++y) {
      for (int x = 0; x < kOutW; ++x) {
        bool inside = x >= area.x && x < area.x + area.w && y >= area.y && y < area.y + area.h;
        uint32_t want = inside ? source[(y - area.y) / 3 * kW + (x - area.x) / 3] : 0x123456;
        ASSERT_EQ(out[y * kOutW + x], want) << int(filter) << " at " << x << "," << y;
      }
    }
  }
}

TEST(PictureScalerTest, TheFastScalerDrawsWhatItsPlainTwinDraws) {
  std::mt19937 random(17);
  auto between = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  plat::sdl::PictureScaler scaler;  // one scaler throughout: its kept plans must follow
  for (int round = 0; round < 60; ++round) {
    const int w = between(1, 90), h = between(1, 70);
    std::vector<uint16_t> pixels(static_cast<size_t>(w) * h);
    for (uint16_t& p : pixels) p = static_cast<uint16_t>(random());
    plat::PixelBuffer frame = Frame565(pixels.data(), w, h);
    std::vector<uint32_t> xrgb;
    if (round % 5 == 4) {  // other layouts take the general conversion
      xrgb.resize(pixels.size());
      for (uint32_t& p : xrgb) p = random() & 0xFFFFFF;
      frame.bits = reinterpret_cast<uint8_t*>(xrgb.data());
      frame.pitch = w * 4;
      frame.format = plat::PixelFormat::Xrgb8888();
    }
    const int pitch = between(1, 300);
    Area area{between(0, 3), between(0, 3), between(1, pitch), between(1, 200)};
    area.w = std::min(area.w, pitch - area.x);
    if (area.w <= 0) area = Area{0, area.y, pitch, area.h};
    const Filter filter = static_cast<Filter>(round % 3);
    std::vector<uint32_t> fast(static_cast<size_t>(pitch) * (area.y + area.h), 0xABCDEF);
    std::vector<uint32_t> plain = fast;
    scaler.Draw(frame, filter, fast.data(), pitch, area);
    plat::sdl::DrawPictureReference(frame, filter, plain.data(), pitch, area);
    ASSERT_EQ(fast, plain) << "round " << round << ": " << w << "x" << h << " to " << area.w << "x"
                           << area.h << ", filter " << int(filter);
    // The next frame of the same size: nothing of the last one's rows is kept.
    for (uint16_t& p : pixels) p = static_cast<uint16_t>(~p);
    for (uint32_t& p : xrgb) p ^= 0xFFFFFF;
    scaler.Draw(frame, filter, fast.data(), pitch, area);
    plat::sdl::DrawPictureReference(frame, filter, plain.data(), pitch, area);
    ASSERT_EQ(fast, plain) << "round " << round << ", second frame";
    // A frame that differs from the last in a few rows: only the rows that show them are drawn,
    // and the picture is whole.
    std::vector<int> rowsChanged = {between(0, h - 1), between(0, h - 1)};
    for (int y : rowsChanged) {
      for (int x = 0; x < w; ++x) {
        if (xrgb.empty()) {
          pixels[y * w + x] = static_cast<uint16_t>(random());
        } else {
          xrgb[y * w + x] = random() & 0xFFFFFF;
        }
      }
    }
    int drawn = 0;
    for (const auto& run : scaler.Draw(frame, filter, fast.data(), pitch, area, false)) {
      drawn += run.count;
    }
    plat::sdl::DrawPictureReference(frame, filter, plain.data(), pitch, area);
    ASSERT_EQ(fast, plain) << "round " << round << ", a few rows changed";
    if (h > 8 && area.h > 4 * h && rowsChanged[0] == rowsChanged[1]) {
      EXPECT_LT(drawn, area.h / 2);
    }
  }
}

}  // namespace

// Clipped, mirrored and scaled copies (what lands where, the pixel path when the device can't
// mirror, lost sources) and the Screen's brightness fades.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "blend_fixture.h"

namespace {

class ClippedTest : public BlitTest {
 protected:
  // A 16-bit source whose pixel (x, y) holds 1 + x + 100 y.
  std::unique_ptr<Surface> Numbered(int w, int h) {
    auto s = Make(w, h, 16);
    std::vector<DWORD> pixels(w * h);
    for (int i = 0; i < w * h; ++i) pixels[i] = 1 + i % w + 100 * (i / w);
    Write(*s, pixels);
    return s;
  }
  // The smallest rectangle holding every pixel of `s` that is not 0: left, top, right, bottom.
  using Box = std::array<LONG, 4>;
  static Box Drawn(Surface& s) {
    Box r = {s.width, s.height, 0, 0};
    const std::vector<DWORD> pixels = Read(s);
    for (int i = 0; i < s.width * s.height; ++i) {
      if (pixels[i] == 0) continue;
      const int x = i % s.width, y = i / s.width;
      r = {std::min<LONG>(r[0], x), std::min<LONG>(r[1], y), std::max<LONG>(r[2], x + 1),
           std::max<LONG>(r[3], y + 1)};
    }
    return r;
  }
};

TEST_F(ClippedTest, CopiesAreClippedAgainstBothSurfaces) {
  auto src = Numbered(100, 50);
  auto dst = Make(200, 100, 16);
  EXPECT_EQ(src->BlitClipped(dst.get(), -30, 80, RECT{0, 0, 100, 50}), DD_OK);
  EXPECT_EQ(Drawn(*dst), (Box{0, 80, 70, 100}));
  EXPECT_EQ(Get(*dst, 0, 80), 31u);
  EXPECT_EQ(CountNot(*dst, 0), 70 * 20);
  ASSERT_EQ(src->SetColorKey(1), DD_OK);
  EXPECT_EQ(src->BlitKeyedClipped(dst.get(), 0, 0, RECT{0, 0, 2, 1}), DD_OK);
  EXPECT_EQ(Get(*dst, 0, 0) * 10 + Get(*dst, 1, 0), 2u);  // the key pixel left out
  // Nothing left to draw: E_FAIL, and nothing drawn.
  Fill(*dst, 0);
  EXPECT_EQ(src->BlitClipped(dst.get(), 200, 0, RECT{0, 0, 100, 50}), E_FAIL);
  EXPECT_EQ(src->BlitKeyedClipped(dst.get(), 0, -50, RECT{0, 0, 100, 50}), E_FAIL);
  EXPECT_EQ(src->BlitClipped(nullptr, 0, 0, RECT{0, 0, 100, 50}), E_FAIL);
  EXPECT_EQ(CountNot(*dst, 0), 0);
  // A lost source is restored once and the error handed back, without a second copy.
  qvhost::EnableCallLog(true);
  qvhost::FailCall("IDirectDrawSurface4::BltFast", DDERR_SURFACELOST);
  EXPECT_EQ(src->BlitClipped(dst.get(), 0, 0, RECT{0, 0, 10, 10}), DDERR_SURFACELOST);
  EXPECT_EQ(qvhost::CallNames(), (std::vector<std::string>{"IDirectDrawSurface4::BltFast",
                                                           "IDirectDrawSurface4::Restore"}));
  EXPECT_EQ(CountNot(*dst, 0), 0);
}

// What falls off one edge of the destination is the opposite edge of the source; the pixel
// path draws the same picture as the device.
TEST_F(ClippedTest, MirroredCopiesByDeviceAndByPixels) {
  auto src = Numbered(100, 10);
  for (bool device : {true, false}) {
    SCOPED_TRACE(device ? "device" : "pixels");
    if (!device) qvhost::Withdraw(qvhost::Capability::Mirroring);
    auto dst = Make(200, 20, 16);
    EXPECT_EQ(src->BlitClippedMirrorLeftRight(dst.get(), -30, 5, RECT{0, 0, 100, 10}), 0);
    EXPECT_EQ(Drawn(*dst), (Box{0, 5, 70, 15}));
    EXPECT_EQ(Get(*dst, 0, 5), 70u);  // source column 69
    EXPECT_EQ(Get(*dst, 69, 14), 901u);
    EXPECT_EQ(CountNot(*dst, 0), 70 * 10);
    Fill(*dst, 0);
    EXPECT_EQ(src->BlitClippedMirrorLeftRight(dst.get(), 150, 0, RECT{0, 0, 100, 10}), 0);
    EXPECT_EQ(Get(*dst, 150, 0), 100u);  // the right edge stays
    EXPECT_EQ(Get(*dst, 199, 0), 51u);
    Fill(*dst, 0);
    ASSERT_EQ(src->SetColorKey(804), DD_OK);  // source column 3 of row 8
    EXPECT_EQ(src->BlitClippedMirrorUpDownKeyed(dst.get(), 0, 17, RECT{0, 0, 5, 10}), 0);
    EXPECT_EQ(Drawn(*dst), (Box{0, 17, 5, 20}));
    EXPECT_EQ(Get(*dst, 0, 17), 901u);  // source rows 0..6 would land below the bottom edge
    EXPECT_EQ(Get(*dst, 3, 18), 0u);
    EXPECT_EQ(CountNot(*dst, 0), 14);
    src->SetColorKey(0xFFFFFFFF);
    EXPECT_EQ(src->BlitClippedMirrorUpDown(dst.get(), 0, 20, RECT{0, 0, 100, 10}), E_FAIL);
  }
}

TEST_F(ClippedTest, ZoomAndResizeAboutTheCentre) {
  auto src = Numbered(100, 50);
  Set(*src, 0, 0, 0xFFFF);  // the key of the keyed draws
  ASSERT_EQ(src->SetColorKey(0xFFFF), DD_OK);
  auto dst = Make(800, 600, 16);
  const RECT all = {0, 0, 100, 50};
  // Where a draw landed, and the source pixels at its corners (0: the key, left out).
  const auto landed = [&](HRESULT result, Box box, DWORD topLeft, DWORD bottomRight = 5000) {
    SCOPED_TRACE(::testing::PrintToString(box));
    EXPECT_EQ(result, DD_OK);
    EXPECT_EQ(Drawn(*dst), box);
    EXPECT_EQ(Get(*dst, box[0], box[1]), topLeft);
    EXPECT_EQ(Get(*dst, box[2] - 1, box[3] - 1), bottomRight);
    Fill(*dst, 0);
  };
  landed(src->BlitZoom(dst.get(), 200, 100, all, 2.0f), {150, 75, 350, 175}, 0xFFFF);
  landed(src->BlitZoomKeyed(dst.get(), 200, 100, all, 0.5f), {225, 112, 275, 137}, 0, 4899);
  landed(src->BlitResize(dst.get(), 200, 100, all, 300, 100), {100, 75, 400, 175}, 0xFFFF);
  // Cut by the edge: the source's edges move by half the cut.
  landed(src->BlitZoom(dst.get(), -50, 0, all, 2.0f), {0, 0, 100, 75}, 1251);
  landed(src->BlitResizeKeyed(dst.get(), 0, 0, all, 400, 100), {0, 0, 250, 75}, 1238);
  // Huge: covers the clip rectangle.
  landed(src->BlitZoom(dst.get(), 0, 0, all, 1e30f), {0, 0, 800, 600}, 0xFFFF);
  // A negative zoom acts as 0: an empty rectangle, refused. Nothing to draw: E_FAIL.
  EXPECT_EQ(src->BlitZoom(dst.get(), 200, 100, all, -1.0f), DDERR_INVALIDRECT);
  EXPECT_EQ(src->BlitResize(dst.get(), 0, 0, all, 0, 10), E_FAIL);
  EXPECT_EQ(src->BlitResizeKeyed(dst.get(), 0, 0, all, 10, -1), E_FAIL);
  EXPECT_EQ(src->BlitZoom(dst.get(), 900, 0, all, 1.0f), E_FAIL);
  EXPECT_EQ(src->BlitZoom(nullptr, 0, 0, all, 1.0f), E_FAIL);
  EXPECT_EQ(CountNot(*dst, 0), 0);
}

class FadeTest : public BlitTest {
 protected:
  // The centre pixel of every frame presented while `run` runs.
  std::vector<uint32_t> Frames(const std::function<void()>& run) {
    std::vector<uint32_t> seen;
    qvhost::OnFrame([&](int) { seen.push_back(qvhost::LastFrame().At(400, 300)); });
    run();
    qvhost::OnFrame(nullptr);
    return seen;
  }
};

// Frames that take no time move the level by the smallest step, 2.
TEST_F(FadeTest, FadesRunBetweenBlackAndThePicture) {
  qvhost::UseManualClock(1000);
  ASSERT_EQ(screen->GetBack()->Fill(0xFFFF), DD_OK);
  auto frames = Frames([&] { screen->FadeInFromBlack(1000); });
  ASSERT_EQ(frames.size(), 1u + 128u + 1u);  // cleared, factors 0..254, the picture
  EXPECT_EQ(frames[1], 0u);
  EXPECT_NE(frames[128], 0xFFFFFFu);
  EXPECT_EQ(frames.back(), 0xFFFFFFu);
  frames = Frames([&] { screen->FadeOutToBlack(1000); });
  ASSERT_EQ(frames.size(), 128u + 1u);  // factors 256..2, then cleared
  EXPECT_EQ(frames[0], 0xFFFFFFu);
  EXPECT_NE(frames[1], 0xFFFFFFu);
  EXPECT_EQ(frames.back(), 0u);
  // A picture that can't be put aside is not cleared.
  ASSERT_EQ(screen->GetBack()->Fill(0x1234), DD_OK);
  qvhost::FailCall("IDirectDraw4::CreateSurface", DDERR_OUTOFMEMORY);
  EXPECT_TRUE(Frames([&] { screen->FadeInFromBlack(100); }).empty());
  EXPECT_EQ(Get(*screen->GetBack(), 10, 10), 0x1234u);
  ASSERT_EQ(screen->CreateFullScreen(window, 800, 600, 8, 0), 1);
  EXPECT_TRUE(Frames([&] {
                screen->FadeInFromBlack(100);
                screen->FadeOutToBlack(100);
              }).empty());
}

struct PacedFadeTest : FadeTest {
  PacedFadeTest() { paceFlips = true; }
};

// At 60 Hz a fade of duration D moves by 512 x 16.7 / (D + 1) per frame, within 2 and 512;
// only the low 16 bits of the duration count.
TEST_F(PacedFadeTest, StepFollowsTheFrameTimeAndTheLowSixteenBitsOfTheDuration) {
  qvhost::UseManualClock(1000);
  ASSERT_EQ(screen->GetBack()->Fill(0xFFFF), DD_OK);
  EXPECT_EQ(Frames([&] { screen->FadeInFromBlack(0x10000); }).size(), 3u);
  EXPECT_EQ(Frames([&] { screen->FadeInFromBlack(999); }).size(), 2u + 32u);  // steps of 8
  EXPECT_EQ(Frames([&] { screen->FadeOutToBlack(0x1FFFF); }).size(), 128u + 1u);
}

}  // namespace

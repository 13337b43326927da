// Clipped, mirrored and scaled copies through the display device (rectangles and flags as the
// device receives them, the pixel path when it can't mirror, lost sources), and the Screen's
// brightness fades frame by frame.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "blend_fixture.h"

namespace {

std::vector<std::string> Calls(const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : qvhost::CallLog())
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  return found;
}

bool Contains(const std::string& line, const std::string& part) {
  return line.find(part) != std::string::npos;
}

class ClippedTest : public BlitTest {
 protected:
  // A w x h 16-bit source whose pixel (x, y) holds 1 + x + 100 * y.
  std::unique_ptr<Surface> Numbered(int w, int h) {
    auto s = Make(w, h, 16);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Set(*s, x, y, 1 + x + 100 * y);
    return s;
  }
};

TEST_F(ClippedTest, CopiesAreClippedAgainstBothSurfaces) {
  auto src = Numbered(100, 50);
  auto dst = Make(200, 100, 16);
  qvhost::EnableCallLog(true);
  EXPECT_EQ(src->BlitClipped(dst.get(), -30, 80, RECT{0, 0, 100, 50}), DD_OK);
  const auto fast = Calls("IDirectDrawSurface4::BltFast(");
  ASSERT_EQ(fast.size(), 1u);
  EXPECT_TRUE(Contains(fast[0], "BltFast(0, 80, ")) << fast[0];
  EXPECT_TRUE(Contains(fast[0], ", (30,0,100,20), 0x10)")) << fast[0];
  EXPECT_EQ(Get(*dst, 0, 80), 31u);
  EXPECT_EQ(Get(*dst, 69, 99), 100u + 1900u);
  EXPECT_EQ(CountNot(*dst, 0), 70 * 20);

  // The colour key is honoured, and nothing left to draw is E_FAIL without a device call.
  qvhost::ClearCallLog();
  ASSERT_EQ(src->SetColorKey(1), DD_OK);
  EXPECT_EQ(src->BlitKeyedClipped(dst.get(), 0, 0, RECT{0, 0, 2, 1}), DD_OK);
  EXPECT_TRUE(Contains(Calls("IDirectDrawSurface4::BltFast(")[0], ", 0x11)"));
  EXPECT_EQ(Get(*dst, 0, 0), 0u);
  EXPECT_EQ(Get(*dst, 1, 0), 2u);
  qvhost::ClearCallLog();
  EXPECT_EQ(src->BlitClipped(dst.get(), 200, 0, RECT{0, 0, 100, 50}), E_FAIL);
  EXPECT_EQ(src->BlitKeyedClipped(dst.get(), 0, -50, RECT{0, 0, 100, 50}), E_FAIL);
  EXPECT_EQ(src->BlitClipped(nullptr, 0, 0, RECT{0, 0, 100, 50}), E_FAIL);
  EXPECT_TRUE(Calls("IDirectDrawSurface4::BltFast(").empty());

  // A lost source is restored once and the error handed back; the copy is not repeated.
  qvhost::FailCall("IDirectDrawSurface4::BltFast", DDERR_SURFACELOST);
  EXPECT_EQ(src->BlitClipped(dst.get(), 0, 0, RECT{0, 0, 10, 10}), DDERR_SURFACELOST);
  EXPECT_EQ(Calls("IDirectDrawSurface4::BltFast(").size(), 1u);
  EXPECT_EQ(Calls("IDirectDrawSurface4::Restore(").size(), 1u);
}

// The mirrored copies: the destination's cut moves to the opposite source edge, and the
// pixel path gives the same picture as the device.
TEST_F(ClippedTest, MirroredCopiesByDeviceAndByPixels) {
  auto src = Numbered(100, 10);
  for (bool device : {true, false}) {
    SCOPED_TRACE(device ? "device" : "pixels");
    if (!device) qvhost::Withdraw(qvhost::Capability::Mirroring);
    auto dst = Make(200, 20, 16);
    EXPECT_EQ(src->BlitClippedMirrorLeftRight(dst.get(), -30, 5, RECT{0, 0, 100, 10}), 0);
    EXPECT_EQ(Get(*dst, 0, 5), 70u);  // source column 69
    EXPECT_EQ(Get(*dst, 69, 5), 1u);  // source column 0
    EXPECT_EQ(Get(*dst, 69, 14), 901u);
    EXPECT_EQ(CountNot(*dst, 0), 70 * 10);

    Fill(*dst, 0);
    EXPECT_EQ(src->BlitClippedMirrorLeftRight(dst.get(), 150, 0, RECT{0, 0, 100, 10}), 0);
    EXPECT_EQ(Get(*dst, 150, 0), 100u);  // the right edge stays: source column 99
    EXPECT_EQ(Get(*dst, 199, 0), 51u);
    EXPECT_EQ(CountNot(*dst, 0), 50 * 10);

    Fill(*dst, 0);
    EXPECT_EQ(src->BlitClippedMirrorUpDown(dst.get(), 0, -3, RECT{0, 0, 100, 10}), 0);
    EXPECT_EQ(Get(*dst, 0, 0), 601u);  // source row 6
    EXPECT_EQ(Get(*dst, 0, 6), 1u);
    EXPECT_EQ(CountNot(*dst, 0), 100 * 7);

    Fill(*dst, 0);
    ASSERT_EQ(src->SetColorKey(1 + 3), DD_OK);
    EXPECT_EQ(src->BlitClippedMirrorLeftRightKeyed(dst.get(), 0, 0, RECT{0, 0, 10, 1}), 0);
    EXPECT_EQ(Get(*dst, 9, 0), 1u);
    EXPECT_EQ(Get(*dst, 6, 0), 0u);  // source column 3 holds the key
    EXPECT_EQ(CountNot(*dst, 0), 9);
    Fill(*dst, 0);
    EXPECT_EQ(src->BlitClippedMirrorUpDownKeyed(dst.get(), 0, 0, RECT{3, 0, 4, 3}), 0);
    EXPECT_EQ(Get(*dst, 0, 0), 204u);
    EXPECT_EQ(Get(*dst, 0, 2), 0u);
    src->SetColorKey(0xFFFFFFFF);

    EXPECT_EQ(src->BlitClippedMirrorUpDown(dst.get(), 0, 20, RECT{0, 0, 100, 10}), E_FAIL);
    EXPECT_EQ(src->BlitClippedMirrorLeftRight(nullptr, 0, 0, RECT{0, 0, 100, 10}), E_FAIL);
  }
}

TEST_F(ClippedTest, MirrorFlagsAndRectanglesGivenToTheDevice) {
  auto src = Numbered(100, 10);
  auto dst = Make(200, 20, 16);
  qvhost::EnableCallLog(true);
  src->BlitClippedMirrorLeftRight(dst.get(), -30, 5, RECT{0, 0, 100, 10});
  src->BlitClippedMirrorUpDownKeyed(dst.get(), 10, 15, RECT{0, 0, 100, 10});
  const auto blts = Calls("IDirectDrawSurface4::Blt(");
  ASSERT_EQ(blts.size(), 2u);
  EXPECT_TRUE(Contains(blts[0], "Blt((0,5,70,15), ")) << blts[0];
  EXPECT_TRUE(Contains(blts[0], ", (0,0,70,10), 0x1000800, ")) << blts[0];
  EXPECT_TRUE(Contains(blts[1], "Blt((10,15,110,20), ")) << blts[1];
  EXPECT_TRUE(Contains(blts[1], ", (0,5,100,10), 0x1008800, ")) << blts[1];
}

TEST_F(ClippedTest, ZoomAndResizeAboutTheCentre) {
  auto src = Numbered(100, 50);
  auto dst = Make(800, 600, 16);
  ASSERT_EQ(src->SetColorKey(0xFFFF), DD_OK);
  qvhost::EnableCallLog(true);
  const RECT all = {0, 0, 100, 50};
  EXPECT_EQ(src->BlitZoom(dst.get(), 200, 100, all, 2.0f), DD_OK);
  EXPECT_EQ(src->BlitZoomKeyed(dst.get(), 200, 100, all, 0.5f), DD_OK);
  EXPECT_EQ(src->BlitResize(dst.get(), 200, 100, all, 300, 100), DD_OK);
  // Cut by the destination's top-left corner: each source edge moves by cut / scale.
  EXPECT_EQ(src->BlitZoom(dst.get(), -50, 0, all, 2.0f), DD_OK);
  EXPECT_EQ(src->BlitResizeKeyed(dst.get(), 0, 0, all, 400, 100), DD_OK);
  // A negative scale acts as 0: an empty rectangle, which the device refuses.
  EXPECT_EQ(src->BlitZoom(dst.get(), 200, 100, all, -1.0f), DDERR_INVALIDRECT);
  const auto blts = Calls("IDirectDrawSurface4::Blt(");
  ASSERT_EQ(blts.size(), 6u);
  const char* expected[][2] = {
      {"Blt((150,75,350,175), ", ", (0,0,100,50), 0x1000000, "},
      {"Blt((225,112,275,137), ", ", (0,0,100,50), 0x1008000, "},
      {"Blt((100,75,400,175), ", ", (0,0,100,50), 0x1000000, "},
      {"Blt((0,0,100,75), ", ", (50,12,100,50), 0x1000000, "},
      {"Blt((0,0,250,75), ", ", (37,12,100,50), 0x1008000, "},
      {"Blt((250,125,250,125), ", ", (0,0,100,50), 0x1000000, "},
  };
  for (size_t i = 0; i < blts.size(); ++i) {
    EXPECT_TRUE(Contains(blts[i], expected[i][0])) << blts[i];
    EXPECT_TRUE(Contains(blts[i], expected[i][1])) << blts[i];
  }
  qvhost::ClearCallLog();
  EXPECT_EQ(src->BlitResize(dst.get(), 0, 0, all, 0, 10), E_FAIL);
  EXPECT_EQ(src->BlitResizeKeyed(dst.get(), 0, 0, all, 10, -1), E_FAIL);
  EXPECT_EQ(src->BlitZoom(dst.get(), 900, 0, all, 1.0f), E_FAIL);
  EXPECT_EQ(src->BlitZoom(nullptr, 0, 0, all, 1.0f), E_FAIL);
  EXPECT_EQ(src->BlitZoom(dst.get(), 0, 0, RECT{100, 0, 200, 50}, 1.0f), E_FAIL);
  // Absurd scales stay defined: a huge one covers the whole clip rectangle with the source.
  EXPECT_EQ(src->BlitZoom(dst.get(), 0, 0, all, 1e30f), DD_OK);
  EXPECT_EQ(src->BlitZoom(dst.get(), 0, 0, all, std::numeric_limits<float>::quiet_NaN()),
            DDERR_INVALIDRECT);
  const auto absurd = Calls("IDirectDrawSurface4::Blt(");
  ASSERT_EQ(absurd.size(), 2u);
  EXPECT_TRUE(Contains(absurd[0], "Blt((0,0,800,600), ")) << absurd[0];
  EXPECT_TRUE(Contains(absurd[0], ", (0,0,100,50), ")) << absurd[0];
  EXPECT_TRUE(Contains(absurd[1], "Blt((50,25,50,25), ")) << absurd[1];
}

class FadeTest : public BlitTest {
 protected:
  // The colour of one pixel of every frame presented while `run` runs.
  std::vector<uint32_t> Frames(const std::function<void()>& run) {
    std::vector<uint32_t> seen;
    qvhost::OnFrame([&](int) { seen.push_back(qvhost::LastFrame().At(400, 300)); });
    run();
    qvhost::OnFrame(nullptr);
    return seen;
  }

  // Back buffer white (5-6-5), flipped onto the display.
  void ShowWhite() {
    ASSERT_EQ(screen->GetBack()->Fill(0xFFFF), DD_OK);
    ASSERT_EQ(screen->Flip(1, 0, 0), DD_OK);
  }
};

TEST_F(FadeTest, FadeInRunsFromBlackToThePicture) {
  qvhost::UseManualClock(1000);
  ASSERT_EQ(screen->GetBack()->Fill(0xFFFF), DD_OK);
  // Frames that take no time move the level by the smallest step, 2.
  const auto frames = Frames([&] { screen->FadeInFromBlack(1000); });
  ASSERT_EQ(frames.size(), 1u + 128u + 1u);
  EXPECT_EQ(frames[0], 0u);           // the cleared back buffer
  EXPECT_EQ(frames[1], 0u);           // factor 0
  EXPECT_NE(frames[127], 0xFFFFFFu);  // factor 252 is not yet the picture
  EXPECT_NE(frames[127], 0u);
  EXPECT_EQ(frames.back(), 0xFFFFFFu);
}

TEST_F(FadeTest, FadeOutStartsWithThePictureAndEndsBlack) {
  qvhost::UseManualClock(1000);
  ShowWhite();
  const auto frames = Frames([&] { screen->FadeOutToBlack(1000); });
  ASSERT_EQ(frames.size(), 128u + 1u);
  EXPECT_EQ(frames[0], 0xFFFFFFu);  // factor 256
  EXPECT_NE(frames[1], 0xFFFFFFu);
  EXPECT_EQ(frames.back(), 0u);
}

TEST_F(FadeTest, NoBrightnessFadesInEightBitModes) {
  ASSERT_EQ(screen->CreateFullScreen(window, 800, 600, 8, 0), 1);
  EXPECT_TRUE(Frames([&] {
                screen->FadeInFromBlack(100);
                screen->FadeOutToBlack(100);
              }).empty());
}

TEST_F(FadeTest, APictureThatCannotBeKeptIsNotCleared) {
  qvhost::UseManualClock(1000);
  ASSERT_EQ(screen->GetBack()->Fill(0x1234), DD_OK);
  qvhost::FailCall("IDirectDraw4::CreateSurface", DDERR_OUTOFMEMORY);
  EXPECT_TRUE(Frames([&] { screen->FadeInFromBlack(100); }).empty());
  EXPECT_EQ(Get(*screen->GetBack(), 10, 10), 0x1234u);
}

class PacedFadeTest : public FadeTest {
 protected:
  PacedFadeTest() { paceFlips = true; }
};

// With 60 Hz frames a fade of duration D moves the level by about 512 x 16.7 / (D + 1) per
// frame; only the low 16 bits of the duration count, so 0x10000 is as short as 0.
TEST_F(PacedFadeTest, StepFollowsTheFrameTimeAndTheLowSixteenBitsOfTheDuration) {
  qvhost::UseManualClock(1000);
  ASSERT_EQ(screen->GetBack()->Fill(0xFFFF), DD_OK);
  EXPECT_EQ(Frames([&] { screen->FadeInFromBlack(0x10000); }).size(), 3u);
  EXPECT_EQ(Frames([&] { screen->FadeInFromBlack(0); }).size(), 3u);
  const size_t medium = Frames([&] { screen->FadeInFromBlack(999); }).size();
  EXPECT_GE(medium, 2u + 28u);  // steps of 8: 32 frames
  EXPECT_LE(medium, 2u + 34u);
  EXPECT_EQ(Frames([&] { screen->FadeOutToBlack(0x1FFFF); }).size(), 128u + 1u);
}

}  // namespace

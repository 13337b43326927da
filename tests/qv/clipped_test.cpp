// Clipped, mirrored and scaled copies (rectangles and flags as the device receives them, the
// pixel path when it can't mirror, lost sources) and the Screen's brightness fades.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "blend_fixture.h"

namespace {

// The log lines of one surface method, with surface serials written as "src"; clears the log.
std::vector<std::string> Calls(const std::string& method) {
  std::vector<std::string> found;
  for (std::string line : qvhost::CallLog()) {
    if (line.rfind("IDirectDrawSurface4::" + method + "(", 0) != 0) continue;
    for (size_t at; (at = line.find("surface#")) != std::string::npos;)
      line.replace(at, line.find_first_not_of("0123456789", at + 8) - at, "src");
    found.push_back(line);
  }
  qvhost::ClearCallLog();
  return found;
}

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
};

TEST_F(ClippedTest, CopiesAreClippedAgainstBothSurfaces) {
  auto src = Numbered(100, 50);
  auto dst = Make(200, 100, 16);
  qvhost::EnableCallLog(true);
  EXPECT_EQ(src->BlitClipped(dst.get(), -30, 80, RECT{0, 0, 100, 50}), DD_OK);
  EXPECT_EQ(Calls("BltFast"), std::vector<std::string>{
                                  "IDirectDrawSurface4::BltFast(0, 80, src, (30,0,100,20), 0x10)"});
  EXPECT_EQ(Get(*dst, 0, 80), 31u);
  EXPECT_EQ(CountNot(*dst, 0), 70 * 20);
  ASSERT_EQ(src->SetColorKey(1), DD_OK);
  EXPECT_EQ(src->BlitKeyedClipped(dst.get(), 0, 0, RECT{0, 0, 2, 1}), DD_OK);
  EXPECT_NE(Calls("BltFast").at(0).find(", 0x11)"), std::string::npos);
  EXPECT_EQ(Get(*dst, 0, 0) * 10 + Get(*dst, 1, 0), 2u);  // the key pixel left out
  // Nothing left to draw: E_FAIL, and the device is not asked.
  EXPECT_EQ(src->BlitClipped(dst.get(), 200, 0, RECT{0, 0, 100, 50}), E_FAIL);
  EXPECT_EQ(src->BlitKeyedClipped(dst.get(), 0, -50, RECT{0, 0, 100, 50}), E_FAIL);
  EXPECT_EQ(src->BlitClipped(nullptr, 0, 0, RECT{0, 0, 100, 50}), E_FAIL);
  EXPECT_TRUE(Calls("BltFast").empty());
  // A lost source is restored once and the error handed back, without a second copy.
  qvhost::FailCall("IDirectDrawSurface4::BltFast", DDERR_SURFACELOST);
  EXPECT_EQ(src->BlitClipped(dst.get(), 0, 0, RECT{0, 0, 10, 10}), DDERR_SURFACELOST);
  EXPECT_EQ(qvhost::CallLog().size(), 2u);
  EXPECT_EQ(Calls("Restore").size(), 1u);
}

// What falls off one edge of the destination is the opposite edge of the source; the pixel
// path draws the same picture as the device.
TEST_F(ClippedTest, MirroredCopiesByDeviceAndByPixels) {
  auto src = Numbered(100, 10);
  for (bool device : {true, false}) {
    SCOPED_TRACE(device ? "device" : "pixels");
    if (!device) qvhost::Withdraw(qvhost::Capability::Mirroring);
    auto dst = Make(200, 20, 16);
    qvhost::EnableCallLog(true);
    EXPECT_EQ(src->BlitClippedMirrorLeftRight(dst.get(), -30, 5, RECT{0, 0, 100, 10}), 0);
    EXPECT_NE(Calls("Blt").at(0).find("Blt((0,5,70,15), src, (0,0,70,10), 0x1000800, {fx=0x2,"),
              std::string::npos);
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
    const std::string blt = Calls("Blt").back();
    EXPECT_NE(blt.find(", (0,7,5,10), 0x1008800, {fx=0x4,"), std::string::npos) << blt;
    EXPECT_EQ(Get(*dst, 0, 17), 901u);  // source rows 0..6 would land below the bottom edge
    EXPECT_EQ(Get(*dst, 3, 18), 0u);
    EXPECT_EQ(CountNot(*dst, 0), 14);
    src->SetColorKey(0xFFFFFFFF);
    EXPECT_EQ(src->BlitClippedMirrorUpDown(dst.get(), 0, 20, RECT{0, 0, 100, 10}), E_FAIL);
  }
}

TEST_F(ClippedTest, ZoomAndResizeAboutTheCentre) {
  auto src = Numbered(100, 50);
  auto dst = Make(800, 600, 16);
  ASSERT_EQ(src->SetColorKey(0xFFFF), DD_OK);
  const RECT all = {0, 0, 100, 50};
  qvhost::EnableCallLog(true);
  EXPECT_EQ(src->BlitZoom(dst.get(), 200, 100, all, 2.0f), DD_OK);
  EXPECT_EQ(src->BlitZoomKeyed(dst.get(), 200, 100, all, 0.5f), DD_OK);
  EXPECT_EQ(src->BlitResize(dst.get(), 200, 100, all, 300, 100), DD_OK);
  EXPECT_EQ(src->BlitZoom(dst.get(), -50, 0, all, 2.0f), DD_OK);  // source edges move by cut / 2
  EXPECT_EQ(src->BlitResizeKeyed(dst.get(), 0, 0, all, 400, 100), DD_OK);
  EXPECT_EQ(src->BlitZoom(dst.get(), 200, 100, all, -1.0f), DDERR_INVALIDRECT);  // acts as 0
  EXPECT_EQ(src->BlitZoom(dst.get(), 0, 0, all, 1e30f), DD_OK);  // covers the clip rectangle
  const char* expected[] = {"(150,75,350,175), src, (0,0,100,50), 0x1000000,",
                            "(225,112,275,137), src, (0,0,100,50), 0x1008000,",
                            "(100,75,400,175), src, (0,0,100,50), 0x1000000,",
                            "(0,0,100,75), src, (50,12,100,50), 0x1000000,",
                            "(0,0,250,75), src, (37,12,100,50), 0x1008000,",
                            "(250,125,250,125), src, (0,0,100,50), 0x1000000,",
                            "(0,0,800,600), src, (0,0,100,50), 0x1000000,"};
  const auto blts = Calls("Blt");
  ASSERT_EQ(blts.size(), 7u);
  for (size_t i = 0; i < blts.size(); ++i)
    EXPECT_EQ(blts[i].find(expected[i]), std::string("IDirectDrawSurface4::Blt(").size())
        << blts[i];
  EXPECT_EQ(src->BlitResize(dst.get(), 0, 0, all, 0, 10), E_FAIL);
  EXPECT_EQ(src->BlitResizeKeyed(dst.get(), 0, 0, all, 10, -1), E_FAIL);
  EXPECT_EQ(src->BlitZoom(dst.get(), 900, 0, all, 1.0f), E_FAIL);
  EXPECT_EQ(src->BlitZoom(nullptr, 0, 0, all, 1.0f), E_FAIL);
  EXPECT_TRUE(Calls("Blt").empty());
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

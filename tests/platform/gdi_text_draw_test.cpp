// Text output: hard-edged glyphs, opaque and transparent backgrounds, clipping, target formats,
// DrawTextA layout, and a rendering compared with a stored reference.
//
// The reference is tests/platform/data/gdi_text_reference.txt ('#' text, '.' background). To
// remake it after a deliberate change, run the test with QV_UPDATE_TEXT_REFERENCE=1.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gdi/font.h"
#include "gdi/gdi_objects.h"
#include "gdi_canvas.h"
#include "platform_test.h"

namespace {

constexpr uint32_t kSentinel = 0x00123456;

// A canvas as text draws on it: filled with a sentinel colour (a ramp palette when palettized),
// so that every pixel text touches shows; a font of `height` selected (the reset drops it).
const PALETTEENTRY* RampPalette() {
  static PALETTEENTRY palette[256];
  for (int i = 0; i < 256; ++i)
    palette[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2), 0};
  return palette;
}
struct TextCanvas : Canvas {
  TextCanvas(int w, int h, int height, plat::PixelFormat format = plat::PixelFormat::Xrgb8888(),
             DWORD quality = NONANTIALIASED_QUALITY)
      : Canvas(w, h, format, format.IsPalettized() ? RampPalette() : nullptr) {
    Fill(format.IsPalettized() ? 7 : (format.bitsPerPixel == 32 ? kSentinel : 0x1234));
    SelectObject(dc, MakeFont("Arial", height, 0, FW_NORMAL, quality));
  }
  std::array<LONG, 4> Changed() const { return Edges(ChangedFrom(kSentinel)); }
};

using TextDraw = PlatformTest;

TEST_F(TextDraw, OpaqueFillsExactlyTheCellWithTwoColours) {
  TextCanvas c(160, 40, 14);
  SetTextColor(c.dc, RGB(255, 0, 0));
  SetBkColor(c.dc, RGB(0, 0, 255));
  SetBkMode(c.dc, OPAQUE);
  const char* text = "Quorvane 123 &%@";
  SIZE size = Extent(c.dc, text);
  ASSERT_TRUE(TextOutA(c.dc, 7, 5, text, static_cast<int>(strlen(text))));
  // The cell, advance widths by the cell height, is filled; nothing outside it changes and
  // inside only the text and background colours appear.
  EXPECT_EQ(c.Changed(), Edges({7, 5, 7 + size.cx, 5 + size.cy}));
  EXPECT_EQ(c.Colors(), (std::set<uint32_t>{kSentinel, 0xFF0000, 0x0000FF}));
}

TEST_F(TextDraw, TransparentLeavesEveryBackgroundPixel) {
  TextCanvas c(160, 40, 16);
  // A pattern under the text, so that any write other than a text pixel shows.
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 160; ++x) c.view.PutRaw(x, y, static_cast<uint32_t>(x * 7 + y * 1000));
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, RGB(0, 255, 0));
  ASSERT_TRUE(TextOutA(c.dc, 3, 3, "Transparent text", 16));
  int textPixels = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 160; ++x) {
      uint32_t now = c.At(x, y);
      if (now == static_cast<uint32_t>(x * 7 + y * 1000)) continue;
      ASSERT_EQ(now, 0x00FF00u) << x << "," << y;
      ++textPixels;
    }
  }
  EXPECT_GT(textPixels, 50);
}

TEST_F(TextDraw, ClipRegionAndTargetEdgesBoundTheText) {
  TextCanvas c(100, 30, 20);
  SetBkColor(c.dc, RGB(255, 255, 255));
  HRGN region = CreateRectRgn(10, 5, 40, 18);
  SelectClipRgn(c.dc, region);
  DeleteObject(region);  // the device context keeps its own copy
  ASSERT_TRUE(TextOutA(c.dc, 0, 0, "WWWWWWWWWW", 10));
  EXPECT_EQ(c.Changed(), Edges({10, 5, 40, 18}));

  // Without the clip, text hanging over every edge of the target draws only inside it.
  SelectClipRgn(c.dc, nullptr);
  c.Fill(kSentinel);
  for (POINT p : {POINT{-30, -10}, POINT{80, 20}, POINT{-5, 25}, POINT{95, -15}})
    ASSERT_TRUE(TextOutA(c.dc, p.x, p.y, "Wgjy", 4));
  EXPECT_NE(c.Changed()[2], 0);
  // And far away it draws nothing at all.
  c.Fill(kSentinel);
  ASSERT_TRUE(TextOutA(c.dc, 2000000000, -2000000000, "Wgjy", 4));
  ASSERT_TRUE(TextOutA(c.dc, -2147483647, 0, "Wgjy", 4));
  EXPECT_EQ(c.Changed()[2], 0);
}

// 16 bits take their own pixel values; 8 bits the nearest entry of the target's palette (entry
// i is (i, 255 - i, i / 2)).
TEST_F(TextDraw, SixteenAndEightBitTargetsGetTheirOwnPixelValues) {
  const struct {
    plat::PixelFormat format;
    COLORREF text, back;
    std::set<uint32_t> colors;
  } cases[] = {
      {plat::PixelFormat::Rgb565(), RGB(255, 255, 0), RGB(0, 0, 0), {0x1234, 0xFFE0, 0x0000}},
      {plat::PixelFormat::Indexed8(), RGB(200, 55, 100), RGB(10, 245, 5), {7, 200, 10}}};
  for (const auto& t : cases) {
    TextCanvas c(120, 30, 14, t.format);
    SetTextColor(c.dc, t.text);
    SetBkColor(c.dc, t.back);
    ASSERT_TRUE(TextOutA(c.dc, 2, 2, "FPS = 60", 8));
    EXPECT_EQ(c.Colors(), t.colors);
  }
}

TEST_F(TextDraw, SmoothedQualityBlendsHardEdgedDoesNot) {
  for (DWORD quality : {NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY}) {
    TextCanvas c(100, 30, 18, plat::PixelFormat::Xrgb8888(), quality);
    c.Fill(0);
    SetTextColor(c.dc, RGB(255, 255, 255));
    SetBkMode(c.dc, TRANSPARENT);
    ASSERT_TRUE(TextOutA(c.dc, 1, 1, "Smooth", 6));
    if (quality == NONANTIALIASED_QUALITY) {
      EXPECT_EQ(c.Colors(), (std::set<uint32_t>{0, 0xFFFFFF}));
    } else {
      EXPECT_GT(c.Colors().size(), 2u);
    }
  }
}

TEST_F(TextDraw, AlignmentMovesTheReferencePoint) {
  TextCanvas c(200, 60, 16);
  const int ascent = Metrics(c.dc).tmAscent;
  SIZE size = Extent(c.dc, "Right");
  SetTextAlign(c.dc, TA_RIGHT | TA_BASELINE);
  ASSERT_TRUE(TextOutA(c.dc, 150, 40, "Right", 5));
  RECT changed = c.ChangedFrom(kSentinel);
  EXPECT_EQ(changed.right, 150);
  EXPECT_EQ(changed.left, 150 - size.cx);
  EXPECT_EQ(changed.top, 40 - ascent);
}

// DrawTextA with a rectangle that fits "alpha beta" but not "alpha beta gamma".
TEST_F(TextDraw, DrawTextWrapsWordsAndMeasures) {
  TextCanvas c(200, 100, 14);
  const LONG twoWords = Extent(c.dc, "alpha beta").cx;
  const int width = (twoWords + Extent(c.dc, "alpha beta gamma").cx) / 2;
  RECT r = {5, 5, 5 + width, 90};
  EXPECT_EQ(DrawTextA(c.dc, "alpha beta gamma", -1, &r, DT_WORDBREAK | DT_CALCRECT), 28);
  // The widest line, its break spaces dropped; measuring draws nothing.
  EXPECT_EQ(Edges(r), Edges({5, 5, 5 + twoWords, 5 + 28}));
  EXPECT_EQ(c.Colors(), std::set<uint32_t>{kSentinel});

  // A word wider than the rectangle keeps its own whole line.
  r = {0, 0, 10, 90};
  EXPECT_EQ(DrawTextA(c.dc, "a unbreakableword b", -1, &r, DT_WORDBREAK | DT_CALCRECT), 42);
  EXPECT_EQ(r.right, Extent(c.dc, "unbreakableword").cx);

  // Line breaks: "\r\n", "\n" and "\r" each end a line; a final break adds none.
  r = {0, 0, 200, 90};
  EXPECT_EQ(DrawTextA(c.dc, "one\r\ntwo\nthree\rfour\n", -1, &r, DT_CALCRECT), 56);
  r = {0, 0, 200, 90};
  EXPECT_EQ(DrawTextA(c.dc, "one\ntwo", -1, &r, DT_SINGLELINE | DT_CALCRECT), 14);

  // Drawing: the opaque cells of the two lines, clipped to the rectangle.
  SetBkColor(c.dc, RGB(0, 0, 0));
  r = {5, 5, 5 + width, 90};
  EXPECT_EQ(DrawTextA(c.dc, "alpha beta gamma", -1, &r, DT_WORDBREAK), 28);
  std::array<LONG, 4> changed = c.Changed();
  EXPECT_LE(changed[2], 5 + width);
  changed[2] = 0;
  EXPECT_EQ(changed, Edges({5, 5, 0, 5 + 28}));
}

TEST_F(TextDraw, DrawTextAlignsAndClips) {
  TextCanvas c(200, 60, 14);
  SetBkColor(c.dc, RGB(0, 0, 0));
  const SIZE size = Extent(c.dc, "centre");
  RECT r = {20, 10, 180, 50};
  int h = DrawTextA(c.dc, "centre", 6, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  EXPECT_EQ(c.Changed()[0], 20 + (160 - size.cx) / 2);
  EXPECT_EQ(c.Changed()[1], 10 + (40 - 14) / 2);
  EXPECT_EQ(h, c.Changed()[3] - 10);
  c.Fill(kSentinel);
  EXPECT_EQ(DrawTextA(c.dc, "centre", 6, &r, DT_RIGHT), 14);
  EXPECT_EQ(c.Changed()[2], 180);
  EXPECT_EQ(c.Changed()[1], 10);

  // Text larger than its rectangle is clipped to it unless DT_NOCLIP.
  c.Fill(kSentinel);
  r = {10, 10, 30, 16};
  DrawTextA(c.dc, "clipped", -1, &r, 0);
  EXPECT_EQ(c.Changed()[2], 30);
  EXPECT_EQ(c.Changed()[3], 16);
  c.Fill(kSentinel);
  DrawTextA(c.dc, "clipped", -1, &r, DT_NOCLIP);
  EXPECT_GT(c.Changed()[2], 30);
  EXPECT_EQ(c.Changed()[3], 24);

  // Mnemonic prefixes: "&&" shows one ampersand, "&x" drops the marker.
  const LONG amp = Extent(c.dc, "a&b").cx;
  r = {0, 0, 200, 60};
  DrawTextA(c.dc, "a&&b", -1, &r, DT_CALCRECT);
  EXPECT_EQ(r.right, amp);
  r = {0, 0, 200, 60};
  DrawTextA(c.dc, "a&&b", -1, &r, DT_CALCRECT | DT_NOPREFIX);
  EXPECT_GT(r.right, amp);

  // Bad arguments.
  r = {0, 0, 10, 10};
  EXPECT_EQ(DrawTextA(c.dc, nullptr, 4, &r, 0), 0);
  EXPECT_EQ(DrawTextA(c.dc, "abc", -2, &r, 0), 0);
  EXPECT_EQ(DrawTextA(c.dc, "abc", 1 << 30, &r, 0), 0);
  EXPECT_EQ(DrawTextA(c.dc, "abc", 3, nullptr, 0), 0);
}

// The rendering of a line of Arial 14, hard-edged, against the stored reference.
TEST_F(TextDraw, RenderingMatchesTheStoredReference) {
  TextCanvas c(240, 18, 14);
  plat::gdi::FontFace* face = plat::gdi::FaceOf(plat::gdi::LookupDC(c.dc));
  ASSERT_NE(face, nullptr);
  if (face->family != "Liberation Sans") GTEST_SKIP() << "Liberation Sans is not installed";
  c.Fill(0);
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, RGB(255, 255, 255));
  ASSERT_TRUE(TextOutA(c.dc, 2, 2, "The quick brown fox, 0123456789!", 32));

  std::ostringstream art;
  for (int y = 0; y < c.view.height; ++y) {
    for (int x = 0; x < c.view.width; ++x) art << (c.At(x, y) ? '#' : '.');
    art << '\n';
  }
  // Next to this source file (QV_SOURCE names the source tree when the build moved).
  std::string here = __FILE__;
  here = here.substr(0, here.find_last_of('/') + 1);
  const char* source = std::getenv("QV_SOURCE");
  std::string path =
      (source ? std::string(source) + "/tests/platform/" : here) + "data/gdi_text_reference.txt";
  if (std::getenv("QV_UPDATE_TEXT_REFERENCE")) {
    std::ofstream(path) << art.str();
    GTEST_SKIP() << "reference written to " << path;
  }
  std::ifstream in(path);
  ASSERT_TRUE(in) << "missing " << path;
  std::stringstream stored;
  stored << in.rdbuf();
  EXPECT_EQ(art.str(), stored.str()) << "rendered:\n" << art.str();
}

}  // namespace

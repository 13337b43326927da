// Fonts: face choice, cell metrics against FreeType's own figures, and the text calls' answers
// to bad input.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <gtest/gtest.h>
#include <windows.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/gdi_bridge.h"
#include "gdi/font.h"
#include "gdi/gdi_objects.h"
#include "gdi_canvas.h"
#include "platform_test.h"

namespace {

// A 32-bit pixel buffer with a device context drawing into it.

HFONT MakeFont(const char* face, int height, int width = 0, int weight = FW_NORMAL,
               DWORD quality = NONANTIALIASED_QUALITY) {
  return CreateFontA(height, width, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, quality, VARIABLE_PITCH, face);
}

plat::gdi::FontFace* FaceOfHandle(HFONT font) {
  return plat::gdi::FaceOf(plat::gdi::LookupAs<plat::gdi::Font>(font, plat::gdi::Kind::Font));
}

bool Installed(const char* family) {
  // Fontconfig is set up by the platform's first font, not here.
  HFONT probe = MakeFont("Arial", 12);
  FaceOfHandle(probe);
  DeleteObject(probe);
  FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult r;
  FcPattern* m = FcFontMatch(nullptr, p, &r);
  FcPatternDestroy(p);
  FcChar8* got = nullptr;
  bool same = m && FcPatternGetString(m, FC_FAMILY, 0, &got) == FcResultMatch &&
              std::strcmp(reinterpret_cast<const char*>(got), family) == 0;
  if (m) FcPatternDestroy(m);
  return same;
}

class TextFont : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    canvas.emplace(64, 32);  // after the reset, which drops every device context
    ASSERT_NE(canvas->dc, nullptr);
  }
  std::optional<Canvas> canvas;
};

// Advances straight from FreeType for the same face, size and rendering mode.
TEST_F(TextFont, ExtentsAreTheFacesHintedAdvances) {
  HFONT font = MakeFont("Arial", 14);
  SelectObject(canvas->dc, font);
  plat::gdi::FontFace* face = FaceOfHandle(font);
  ASSERT_NE(face, nullptr);

  FT_Library lib;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  FT_Face ft;
  ASSERT_EQ(FT_New_Face(lib, face->file.c_str(), face->index, &ft), 0);
  ASSERT_EQ(FT_Set_Pixel_Sizes(ft, 0, face->pixelsPerEm), 0);

  TEXTMETRICA tm;
  ASSERT_TRUE(GetTextMetricsA(canvas->dc, &tm));
  int sum = 0;
  std::string all;
  for (int c = 32; c < 127; ++c) {
    char ch = static_cast<char>(c);
    ASSERT_EQ(FT_Load_Char(ft, c, FT_LOAD_TARGET_MONO), 0);
    int expected = static_cast<int>((ft->glyph->advance.x + 32) >> 6);
    SIZE size = {};
    ASSERT_TRUE(GetTextExtentPoint32A(canvas->dc, &ch, 1, &size));
    EXPECT_EQ(size.cx, expected) << "character " << ch;
    EXPECT_EQ(size.cy, tm.tmHeight);
    sum += expected;
    all.push_back(ch);
  }
  SIZE size = {};
  ASSERT_TRUE(GetTextExtentPoint32A(canvas->dc, all.data(), static_cast<int>(all.size()), &size));
  EXPECT_EQ(size.cx, sum);

  FT_Done_Face(ft);
  FT_Done_FreeType(lib);
  SelectObject(canvas->dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

// A positive height is the cell (Windows ascent + descent), a negative one the em square.
TEST_F(TextFont, PositiveHeightIsTheCellNegativeTheEm) {
  for (int h : {8, 14, 16, 23, 40}) {
    HFONT cell = MakeFont("Arial", h);
    HFONT em = MakeFont("Arial", -h);
    TEXTMETRICA a, b;
    SelectObject(canvas->dc, cell);
    ASSERT_TRUE(GetTextMetricsA(canvas->dc, &a));
    SelectObject(canvas->dc, em);
    ASSERT_TRUE(GetTextMetricsA(canvas->dc, &b));
    EXPECT_EQ(a.tmHeight, h);
    EXPECT_EQ(a.tmAscent + a.tmDescent, a.tmHeight);
    EXPECT_EQ(b.tmHeight - b.tmInternalLeading, h) << "em of height -" << h;
    EXPECT_GT(b.tmHeight, a.tmHeight);

    // The em-sized cell from the face's own OS/2 table.
    plat::gdi::FontFace* face = FaceOfHandle(em);
    ASSERT_NE(face, nullptr);
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face->ft, FT_SFNT_OS2));
    ASSERT_NE(os2, nullptr);
    double upem = face->ft->units_per_EM;
    EXPECT_EQ(b.tmAscent, std::lround(os2->usWinAscent * h / upem));
    EXPECT_EQ(b.tmDescent, std::lround(os2->usWinDescent * h / upem));
    SelectObject(canvas->dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(cell);
    DeleteObject(em);
  }
}

TEST_F(TextFont, DefaultFontIsABoldSixteenPixelCell) {
  TEXTMETRICA tm;
  ASSERT_TRUE(GetTextMetricsA(canvas->dc, &tm));
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_GE(tm.tmWeight, FW_BOLD);

  HFONT zero = MakeFont("Arial", 0);
  SelectObject(canvas->dc, zero);
  ASSERT_TRUE(GetTextMetricsA(canvas->dc, &tm));
  EXPECT_EQ(tm.tmHeight, 16);
  SelectObject(canvas->dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(zero);
}

TEST_F(TextFont, WidthStretchesToTheAverageCharacterWidth) {
  HFONT natural = MakeFont("Arial", 20);
  SelectObject(canvas->dc, natural);
  TEXTMETRICA tm;
  ASSERT_TRUE(GetTextMetricsA(canvas->dc, &tm));
  const char* text = "abcdefghijklmnopqrstuvwxyz";
  SIZE narrow;
  ASSERT_TRUE(GetTextExtentPoint32A(canvas->dc, text, 26, &narrow));

  HFONT wide = MakeFont("Arial", 20, tm.tmAveCharWidth * 2);
  SelectObject(canvas->dc, wide);
  TEXTMETRICA tmWide;
  ASSERT_TRUE(GetTextMetricsA(canvas->dc, &tmWide));
  SIZE stretched;
  ASSERT_TRUE(GetTextExtentPoint32A(canvas->dc, text, 26, &stretched));
  EXPECT_EQ(tmWide.tmAveCharWidth, tm.tmAveCharWidth * 2);
  EXPECT_EQ(tmWide.tmHeight, tm.tmHeight);
  EXPECT_NEAR(stretched.cx, narrow.cx * 2, narrow.cx / 8);
  SelectObject(canvas->dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(natural);
  DeleteObject(wide);
}

TEST_F(TextFont, WindowsFaceNamesMapToMetricCompatibleFaces) {
  if (!Installed("Liberation Sans") || !Installed("Liberation Mono") ||
      !Installed("Liberation Serif")) {
    GTEST_SKIP() << "Liberation fonts are not installed";
  }
  struct {
    const char* asked;
    const char* family;
  } cases[] = {{"Arial", "Liberation Sans"},
               {"Helvetica", "Liberation Sans"},
               {"MS Sans Serif", "Liberation Sans"},
               {"Times New Roman", "Liberation Serif"},
               {"Courier", "Liberation Mono"},
               {"courier new", "Liberation Mono"},
               {"No Such Face 1234", "Liberation Sans"},
               {"", "Liberation Sans"}};
  for (const auto& c : cases) {
    HFONT font = MakeFont(c.asked, 16);
    plat::gdi::FontFace* face = FaceOfHandle(font);
    ASSERT_NE(face, nullptr) << c.asked;
    EXPECT_EQ(face->family, c.family) << c.asked;
    DeleteObject(font);
  }

  // Weight 700 and above picks the bold face; below it the regular one.
  HFONT bold = MakeFont("Arial", 16, 0, FW_BOLD);
  HFONT semibold = MakeFont("Arial", 16, 0, FW_SEMIBOLD);
  ASSERT_NE(FaceOfHandle(bold), nullptr);
  EXPECT_TRUE(FaceOfHandle(bold)->ft->style_flags & FT_STYLE_FLAG_BOLD);
  EXPECT_FALSE(FaceOfHandle(bold)->syntheticBold);
  EXPECT_FALSE(FaceOfHandle(semibold)->ft->style_flags & FT_STYLE_FLAG_BOLD);
  DeleteObject(bold);
  DeleteObject(semibold);

  // Courier is fixed pitch: every character advances alike.
  HFONT mono = MakeFont("Courier", 12);
  SelectObject(canvas->dc, mono);
  SIZE i, w;
  ASSERT_TRUE(GetTextExtentPoint32A(canvas->dc, "iiii", 4, &i));
  ASSERT_TRUE(GetTextExtentPoint32A(canvas->dc, "WWWW", 4, &w));
  EXPECT_EQ(i.cx, w.cx);
  SelectObject(canvas->dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(mono);
}

TEST_F(TextFont, LogFontComesBackExactly) {
  HFONT font = CreateFontA(-13, 5, 900, 450, 650, 1, 1, 1, SYMBOL_CHARSET, OUT_TT_PRECIS,
                           CLIP_STROKE_PRECIS, ANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN,
                           "A face name longer than thirty-one characters");
  LOGFONTA expected = {-13,
                       5,
                       900,
                       450,
                       650,
                       1,
                       1,
                       1,
                       SYMBOL_CHARSET,
                       OUT_TT_PRECIS,
                       CLIP_STROKE_PRECIS,
                       ANTIALIASED_QUALITY,
                       FIXED_PITCH | FF_MODERN,
                       "A face name longer than thirty-"};  // cut to fit, terminated
  LOGFONTA log;
  ASSERT_EQ(GetObjectA(font, sizeof(log), &log), static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(std::memcmp(&log, &expected, sizeof(log)), 0);

  // A copy made from it is a separate font with the same description.
  HFONT copy = CreateFontIndirectA(&log);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, font);
  LOGFONTA again;
  ASSERT_EQ(GetObjectA(copy, sizeof(again), &again), static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(std::memcmp(&log, &again, sizeof(log)), 0);
  DeleteObject(font);
  DeleteObject(copy);
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
}

TEST_F(TextFont, ExtremeSizesStayBounded) {
  for (int h : {1, -1, 100000, -100000, INT32_MIN, INT32_MAX}) {
    HFONT font = CreateFontA(h, h, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0,
                             NONANTIALIASED_QUALITY, 0, "Arial");
    SelectObject(canvas->dc, font);
    TEXTMETRICA tm;
    ASSERT_TRUE(GetTextMetricsA(canvas->dc, &tm)) << h;
    EXPECT_GE(tm.tmHeight, 1);
    EXPECT_LE(tm.tmHeight, 2 * plat::gdi::kMaxFontPixels);
    EXPECT_TRUE(TextOutA(canvas->dc, 0, 0, "Wg", 2));
    SelectObject(canvas->dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
  }
}

TEST_F(TextFont, LargeFacesNoFontUsesAreNotKept) {
  // Each face of about 1000 pixels renders megabytes of glyphs; once no font uses it, it goes
  // when the next face is made, instead of staying until 64 faces have gathered.
  std::weak_ptr<plat::gdi::FontFace> first;
  for (int h = 1000; h < 1004; ++h) {
    LOGFONTA log = {};
    log.lfHeight = h;
    std::strcpy(log.lfFaceName, "Arial");
    std::shared_ptr<plat::gdi::FontFace> face = plat::gdi::AcquireFace(log);
    ASSERT_NE(face, nullptr);
    for (int code = 'A'; code <= 'Z'; ++code) face->Glyph(static_cast<uint8_t>(code));
    if (h == 1000) first = face;
  }
  EXPECT_TRUE(first.expired());
}

TEST_F(TextFont, DeviceContextStateAndBadHandles) {
  EXPECT_EQ(GetBkMode(canvas->dc), OPAQUE);
  EXPECT_EQ(SetBkMode(canvas->dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(canvas->dc, 7), 0);  // not a mode: refused, nothing changes
  EXPECT_EQ(GetBkMode(canvas->dc), TRANSPARENT);
  EXPECT_EQ(SetTextColor(canvas->dc, RGB(1, 2, 3)), RGB(0, 0, 0));
  EXPECT_EQ(GetTextColor(canvas->dc), RGB(1, 2, 3));
  EXPECT_EQ(SetBkColor(canvas->dc, RGB(4, 5, 6)), RGB(255, 255, 255));
  EXPECT_EQ(GetBkColor(canvas->dc), RGB(4, 5, 6));
  EXPECT_EQ(SetTextAlign(canvas->dc, TA_BASELINE), static_cast<UINT>(TA_TOP | TA_LEFT));

  HDC bad = reinterpret_cast<HDC>(static_cast<uintptr_t>(0x1234));
  HFONT font = MakeFont("Arial", 12);
  for (HDC dc : {bad, static_cast<HDC>(nullptr), reinterpret_cast<HDC>(font)}) {
    EXPECT_EQ(SetBkMode(dc, OPAQUE), 0);
    EXPECT_EQ(GetBkMode(dc), 0);
    EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
    EXPECT_EQ(GetTextColor(dc), CLR_INVALID);
    EXPECT_EQ(SetBkColor(dc, 0), CLR_INVALID);
    EXPECT_EQ(GetBkColor(dc), CLR_INVALID);
    EXPECT_EQ(SetTextAlign(dc, 0), static_cast<UINT>(GDI_ERROR));
    EXPECT_FALSE(TextOutA(dc, 0, 0, "x", 1));
    SIZE size;
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "x", 1, &size));
    TEXTMETRICA tm;
    EXPECT_FALSE(GetTextMetricsA(dc, &tm));
    RECT r = {0, 0, 10, 10};
    EXPECT_EQ(DrawTextA(dc, "x", 1, &r, 0), 0);
  }
  DeleteObject(font);
}

TEST_F(TextFont, BadStringsAndCountsAreRefused) {
  SIZE size = {77, 77};
  EXPECT_FALSE(GetTextExtentPoint32A(canvas->dc, nullptr, 3, &size));
  EXPECT_FALSE(GetTextExtentPoint32A(canvas->dc, "abc", -1, &size));
  EXPECT_FALSE(GetTextExtentPoint32A(canvas->dc, "abc", 0x7FFFFFFF, &size));
  EXPECT_FALSE(GetTextExtentPoint32A(canvas->dc, "abc", 3, nullptr));
  EXPECT_FALSE(GetTextMetricsA(canvas->dc, nullptr));
  EXPECT_FALSE(TextOutA(canvas->dc, 0, 0, nullptr, 5));
  EXPECT_FALSE(TextOutA(canvas->dc, 0, 0, "abc", -2));
  EXPECT_FALSE(TextOutA(canvas->dc, 0, 0, "abc", 1 << 30));

  // An empty string is no error: it measures zero wide and draws nothing.
  ASSERT_TRUE(GetTextExtentPoint32A(canvas->dc, "", 0, &size));
  EXPECT_EQ(size.cx, 0);
  EXPECT_TRUE(TextOutA(canvas->dc, 0, 0, nullptr, 0));
  EXPECT_TRUE(TextOutA(canvas->dc, 0, 0, "", 0));
  EXPECT_EQ(canvas->Colors(), std::set<uint32_t>{0u});
}

TEST_F(TextFont, MemoryDCWithoutPixelsTakesTextQuietly) {
  HDC mem = CreateCompatibleDC(nullptr);
  ASSERT_NE(mem, nullptr);
  EXPECT_TRUE(TextOutA(mem, 0, 0, "Hello", 5));
  SIZE size;
  EXPECT_TRUE(GetTextExtentPoint32A(mem, "Hello", 5, &size));
  EXPECT_GT(size.cx, 0);
  RECT r = {0, 0, 100, 100};
  EXPECT_GT(DrawTextA(mem, "Hello", -1, &r, DT_WORDBREAK), 0);
  DeleteDC(mem);
}

TEST_F(TextFont, EveryAnsiCodeHasAWidthAndTheEuroSignItsGlyph) {
  HFONT font = MakeFont("Arial", 16);
  SelectObject(canvas->dc, font);
  for (int c = 0; c < 256; ++c) {
    char ch = static_cast<char>(c);
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32A(canvas->dc, &ch, 1, &size)) << c;
    EXPECT_GE(size.cx, 0);
    EXPECT_TRUE(TextOutA(canvas->dc, 0, 0, &ch, 1));
  }
  // 0x80 is the euro sign in Windows-1252, not a C1 control.
  plat::gdi::FontFace* face = FaceOfHandle(font);
  EXPECT_EQ(plat::gdi::AnsiToUnicode(0x80), 0x20ACu);
  EXPECT_EQ(plat::gdi::AnsiToUnicode(0xE9), 0xE9u);
  EXPECT_NE(FT_Get_Char_Index(face->ft, 0x20AC), 0u);
  SIZE euro, e;
  ASSERT_TRUE(GetTextExtentPoint32A(canvas->dc, "\x80", 1, &euro));
  ASSERT_TRUE(GetTextExtentPoint32A(canvas->dc, "e", 1, &e));
  EXPECT_GT(euro.cx, 0);
  SelectObject(canvas->dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

// Points fontconfig at a configuration that lists only `fontDir` (none when empty). Must run
// before the process's first font.
void UseFontDirectoryOnly(const std::string& fontDir) {
  std::string conf = ::testing::TempDir() + "/qv_fonts_" + std::to_string(getpid()) + ".conf";
  std::ofstream(conf) << "<?xml version=\"1.0\"?>\n<fontconfig>"
                      << (fontDir.empty() ? "" : "<dir>" + fontDir + "</dir>") << "</fontconfig>\n";
  setenv("FONTCONFIG_FILE", conf.c_str(), 1);
}

// With no fonts installed at all, fonts can still be made and selected, but every call that
// needs a face fails instead of crashing.
bool TextCallsFailWithoutFonts(HDC dc) {
  UseFontDirectoryOnly("");
  HFONT font = MakeFont("Arial", 14);
  bool ok = font != nullptr && SelectObject(dc, font) != nullptr;
  SIZE size;
  TEXTMETRICA tm;
  RECT r = {0, 0, 50, 50};
  ok = ok && !GetTextExtentPoint32A(dc, "a", 1, &size) && !GetTextMetricsA(dc, &tm) &&
       !TextOutA(dc, 0, 0, "a", 1) && DrawTextA(dc, "a", 1, &r, 0) == 0;
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  return ok && !TextOutA(dc, 0, 0, "a", 1);
}

// Without Liberation, Windows names still come to some installed face.
bool OtherFacesStandInWithoutLiberation(HDC dc, const std::string& dir) {
  UseFontDirectoryOnly(dir);
  bool ok = true;
  for (const char* name : {"Arial", "Courier New", "Times New Roman", "Unknown"}) {
    HFONT font = MakeFont(name, 14);
    plat::gdi::FontFace* face = FaceOfHandle(font);
    ok = ok && face && face->family.find("Liberation") == std::string::npos;
    SelectObject(dc, font);
    SIZE size;
    ok = ok && TextOutA(dc, 0, 0, "abc", 3) && GetTextExtentPoint32A(dc, "abc", 3, &size) &&
         size.cx > 0 && size.cy == 14;
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
  }
  return ok;
}

// Each runs in a fresh process, so that fontconfig starts over with its configuration.
TEST_F(TextFont, WithoutAnyFontTextCallsFail) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(TextCallsFailWithoutFonts(canvas->dc) ? 0 : 1),
              ::testing::ExitedWithCode(0), "");
}

TEST_F(TextFont, WithoutLiberationAnyInstalledFaceStandsIn) {
  const std::string dir = "/usr/share/fonts/truetype/dejavu";
  if (access((dir + "/DejaVuSans.ttf").c_str(), R_OK) != 0) GTEST_SKIP() << "no DejaVu fonts";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(OtherFacesStandInWithoutLiberation(canvas->dc, dir) ? 0 : 1),
              ::testing::ExitedWithCode(0), "");
}

}  // namespace

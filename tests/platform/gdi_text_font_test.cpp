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

#include "gdi/font.h"
#include "gdi/gdi_objects.h"
#include "gdi_canvas.h"
#include "platform_test.h"

namespace {

plat::gdi::FontFace* FaceOfHandle(HFONT font) {
  return plat::gdi::FaceOf(plat::gdi::LookupAs<plat::gdi::Font>(font, plat::gdi::Kind::Font));
}

bool Installed(const char* family) {
  FaceOfHandle(MakeFont("Arial", 12));  // fontconfig is set up by the platform's first font
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

// Fonts made by a test are left to the platform's reset, which drops every GDI object.
class TextFont : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    canvas.emplace(64, 32);  // after the reset, which drops every device context
    dc = canvas->dc;
    ASSERT_NE(dc, nullptr);
  }
  HFONT Use(HFONT font) {
    SelectObject(dc, font);
    return font;
  }
  std::optional<Canvas> canvas;
  HDC dc = nullptr;
};

// Advances straight from FreeType for the same face, size and rendering mode.
TEST_F(TextFont, ExtentsAreTheFacesHintedAdvances) {
  plat::gdi::FontFace* face = FaceOfHandle(Use(MakeFont("Arial", 14)));
  ASSERT_NE(face, nullptr);
  FT_Library lib;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  FT_Face ft;
  ASSERT_EQ(FT_New_Face(lib, face->file.c_str(), face->index, &ft), 0);
  ASSERT_EQ(FT_Set_Pixel_Sizes(ft, 0, face->pixelsPerEm), 0);
  const int height = Metrics(dc).tmHeight;
  int sum = 0;
  std::string all;
  for (char c = 32; c < 127; ++c) {
    ASSERT_EQ(FT_Load_Char(ft, c, FT_LOAD_TARGET_MONO), 0);
    int expected = static_cast<int>((ft->glyph->advance.x + 32) >> 6);
    const char one[2] = {c, 0};
    SIZE size = Extent(dc, one);
    EXPECT_EQ(size.cx, expected) << "character " << c;
    EXPECT_EQ(size.cy, height);
    sum += expected;
    all.push_back(c);
  }
  EXPECT_EQ(Extent(dc, all.c_str()).cx, sum);
  FT_Done_Face(ft);
  FT_Done_FreeType(lib);
}

// A positive height is the cell (Windows ascent + descent), a negative one the em square; 0 and
// the device context's own font are the System font's bold 16-pixel cell.
TEST_F(TextFont, PositiveHeightIsTheCellNegativeTheEm) {
  TEXTMETRICA tm = Metrics(dc);
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_GE(tm.tmWeight, FW_BOLD);
  Use(MakeFont("Arial", 0));
  EXPECT_EQ(Metrics(dc).tmHeight, 16);
  for (int h : {8, 14, 16, 23, 40}) {
    SCOPED_TRACE(h);
    Use(MakeFont("Arial", h));
    TEXTMETRICA a = Metrics(dc);
    HFONT em = Use(MakeFont("Arial", -h));
    TEXTMETRICA b = Metrics(dc);
    EXPECT_EQ(a.tmHeight, h);
    EXPECT_EQ(a.tmAscent + a.tmDescent, a.tmHeight);
    EXPECT_EQ(b.tmHeight - b.tmInternalLeading, h);
    EXPECT_GT(b.tmHeight, a.tmHeight);
    // The em-sized cell from the face's own OS/2 table.
    plat::gdi::FontFace* face = FaceOfHandle(em);
    ASSERT_NE(face, nullptr);
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face->ft, FT_SFNT_OS2));
    ASSERT_NE(os2, nullptr);
    double upem = face->ft->units_per_EM;
    EXPECT_EQ(b.tmAscent, std::lround(os2->usWinAscent * h / upem));
    EXPECT_EQ(b.tmDescent, std::lround(os2->usWinDescent * h / upem));
  }
}

TEST_F(TextFont, WidthStretchesToTheAverageCharacterWidth) {
  const char* text = "abcdefghijklmnopqrstuvwxyz";
  Use(MakeFont("Arial", 20));
  TEXTMETRICA tm = Metrics(dc);
  SIZE narrow = Extent(dc, text);
  Use(MakeFont("Arial", 20, tm.tmAveCharWidth * 2));
  TEXTMETRICA wide = Metrics(dc);
  EXPECT_EQ(wide.tmAveCharWidth, tm.tmAveCharWidth * 2);
  EXPECT_EQ(wide.tmHeight, tm.tmHeight);
  EXPECT_NEAR(Extent(dc, text).cx, narrow.cx * 2, narrow.cx / 8);
}

TEST_F(TextFont, WindowsFaceNamesMapToMetricCompatibleFaces) {
  for (const char* family : {"Liberation Sans", "Liberation Mono", "Liberation Serif"}) {
    if (!Installed(family)) GTEST_SKIP() << family << " is not installed";
  }
  const std::pair<const char*, std::vector<const char*>> cases[] = {
      {"Liberation Sans", {"Arial", "Helvetica", "MS Sans Serif", "No Such Face 1234", ""}},
      {"Liberation Serif", {"Times New Roman"}},
      {"Liberation Mono", {"Courier", "courier new"}}};
  for (const auto& [family, names] : cases) {
    for (const char* asked : names) {
      plat::gdi::FontFace* face = FaceOfHandle(MakeFont(asked, 16));
      ASSERT_NE(face, nullptr) << asked;
      EXPECT_EQ(face->family, family) << asked;
    }
  }
  // Weight 700 and above picks the bold face; below it the regular one.
  plat::gdi::FontFace* bold = FaceOfHandle(MakeFont("Arial", 16, 0, FW_BOLD));
  ASSERT_NE(bold, nullptr);
  EXPECT_TRUE(bold->ft->style_flags & FT_STYLE_FLAG_BOLD);
  EXPECT_FALSE(bold->syntheticBold);
  EXPECT_FALSE(FaceOfHandle(MakeFont("Arial", 16, 0, FW_SEMIBOLD))->ft->style_flags &
               FT_STYLE_FLAG_BOLD);
  // Courier is fixed pitch: every character advances alike.
  Use(MakeFont("Courier", 12));
  EXPECT_EQ(Extent(dc, "iiii").cx, Extent(dc, "WWWW").cx);
}

TEST_F(TextFont, LogFontComesBackExactly) {
  HFONT font = CreateFontA(-13, 5, 900, 450, 650, 1, 1, 1, SYMBOL_CHARSET, OUT_TT_PRECIS,
                           CLIP_STROKE_PRECIS, ANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN,
                           "A face name longer than thirty-one characters");
  // The face name is cut to fit, and terminated.
  // clang-format off
  LOGFONTA expected = {-13, 5, 900, 450, 650, 1, 1, 1, SYMBOL_CHARSET, OUT_TT_PRECIS,
                       CLIP_STROKE_PRECIS, ANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN, {}};
  // clang-format on
  std::strcpy(expected.lfFaceName, "A face name longer than thirty-");
  LOGFONTA log, again;
  ASSERT_EQ(GetObjectA(font, sizeof(log), &log), static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(std::memcmp(&log, &expected, sizeof(log)), 0);
  // A copy made from it is a separate font with the same description.
  HFONT copy = CreateFontIndirectA(&log);
  EXPECT_NE(copy, font);
  ASSERT_EQ(GetObjectA(copy, sizeof(again), &again), static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(std::memcmp(&log, &again, sizeof(log)), 0);
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
}

TEST_F(TextFont, ExtremeSizesStayBounded) {
  for (int h : {1, -1, 100000, -100000, INT32_MIN, INT32_MAX}) {
    SCOPED_TRACE(h);
    Use(MakeFont("Arial", h, h));
    TEXTMETRICA tm = Metrics(dc);
    EXPECT_GE(tm.tmHeight, 1);
    EXPECT_LE(tm.tmHeight, 2 * plat::gdi::kMaxFontPixels);
    EXPECT_TRUE(TextOutA(dc, 0, 0, "Wg", 2));
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
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, 7), 0);  // not a mode: refused, nothing changes
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(SetTextColor(dc, RGB(1, 2, 3)), RGB(0, 0, 0));
  EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
  EXPECT_EQ(SetBkColor(dc, RGB(4, 5, 6)), RGB(255, 255, 255));
  EXPECT_EQ(GetBkColor(dc), RGB(4, 5, 6));
  EXPECT_EQ(SetTextAlign(dc, TA_BASELINE), static_cast<UINT>(TA_TOP | TA_LEFT));

  HDC font = reinterpret_cast<HDC>(MakeFont("Arial", 12));
  for (HDC bad : {reinterpret_cast<HDC>(uintptr_t{0x1234}), static_cast<HDC>(nullptr), font}) {
    EXPECT_EQ(SetBkMode(bad, OPAQUE), 0);
    EXPECT_EQ(GetBkMode(bad), 0);
    EXPECT_EQ(SetTextColor(bad, 0), CLR_INVALID);
    EXPECT_EQ(GetTextColor(bad), CLR_INVALID);
    EXPECT_EQ(SetBkColor(bad, 0), CLR_INVALID);
    EXPECT_EQ(GetBkColor(bad), CLR_INVALID);
    EXPECT_EQ(SetTextAlign(bad, 0), static_cast<UINT>(GDI_ERROR));
    EXPECT_FALSE(TextOutA(bad, 0, 0, "x", 1));
    SIZE size;
    EXPECT_FALSE(GetTextExtentPoint32A(bad, "x", 1, &size));
    TEXTMETRICA tm;
    EXPECT_FALSE(GetTextMetricsA(bad, &tm));
    RECT r = {0, 0, 10, 10};
    EXPECT_EQ(DrawTextA(bad, "x", 1, &r, 0), 0);
  }
}

TEST_F(TextFont, BadStringsAndCountsAreRefused) {
  SIZE size = {77, 77};
  EXPECT_FALSE(GetTextExtentPoint32A(dc, nullptr, 3, &size));
  EXPECT_FALSE(GetTextExtentPoint32A(dc, "abc", -1, &size));
  EXPECT_FALSE(GetTextExtentPoint32A(dc, "abc", 0x7FFFFFFF, &size));
  EXPECT_FALSE(GetTextExtentPoint32A(dc, "abc", 3, nullptr));
  EXPECT_FALSE(GetTextMetricsA(dc, nullptr));
  EXPECT_FALSE(TextOutA(dc, 0, 0, nullptr, 5));
  EXPECT_FALSE(TextOutA(dc, 0, 0, "abc", -2));
  EXPECT_FALSE(TextOutA(dc, 0, 0, "abc", 1 << 30));
  // An empty string is no error: it measures zero wide and draws nothing.
  EXPECT_EQ(Extent(dc, "").cx, 0);
  EXPECT_TRUE(TextOutA(dc, 0, 0, nullptr, 0));
  EXPECT_TRUE(TextOutA(dc, 0, 0, "", 0));
  EXPECT_EQ(canvas->Colors(), std::set<uint32_t>{0u});
}

TEST_F(TextFont, MemoryDCWithoutPixelsTakesTextQuietly) {
  HDC mem = CreateCompatibleDC(nullptr);
  EXPECT_TRUE(TextOutA(mem, 0, 0, "Hello", 5));
  EXPECT_GT(Extent(mem, "Hello").cx, 0);
  RECT r = {0, 0, 100, 100};
  EXPECT_GT(DrawTextA(mem, "Hello", -1, &r, DT_WORDBREAK), 0);
}

TEST_F(TextFont, EveryAnsiCodeHasAWidthAndTheEuroSignItsGlyph) {
  plat::gdi::FontFace* face = FaceOfHandle(Use(MakeFont("Arial", 16)));
  for (int c = 0; c < 256; ++c) {
    char ch = static_cast<char>(c);
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32A(dc, &ch, 1, &size)) << c;
    EXPECT_GE(size.cx, 0);
    EXPECT_TRUE(TextOutA(dc, 0, 0, &ch, 1));
  }
  // 0x80 is the euro sign in Windows-1252, not a C1 control.
  EXPECT_EQ(plat::gdi::AnsiToUnicode(0x80), 0x20ACu);
  EXPECT_EQ(plat::gdi::AnsiToUnicode(0xE9), 0xE9u);
  EXPECT_NE(FT_Get_Char_Index(face->ft, 0x20AC), 0u);
  EXPECT_GT(Extent(dc, "\x80").cx, 0);
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
  SIZE size;
  TEXTMETRICA tm;
  RECT r = {0, 0, 50, 50};
  bool ok = font != nullptr && SelectObject(dc, font) != nullptr &&
            !GetTextExtentPoint32A(dc, "a", 1, &size) && !GetTextMetricsA(dc, &tm) &&
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
  }
  return ok;
}

// Each runs in a fresh process, so that fontconfig starts over with its configuration.
TEST_F(TextFont, WithoutAnyFontTextCallsFail) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(TextCallsFailWithoutFonts(dc) ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

TEST_F(TextFont, WithoutLiberationAnyInstalledFaceStandsIn) {
  const std::string dir = "/usr/share/fonts/truetype/dejavu";
  if (access((dir + "/DejaVuSans.ttf").c_str(), R_OK) != 0) GTEST_SKIP() << "no DejaVu fonts";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(OtherFacesStandInWithoutLiberation(dc, dir) ? 0 : 1),
              ::testing::ExitedWithCode(0), "");
}

}  // namespace

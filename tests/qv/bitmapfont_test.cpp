// BitmapFont on a headless full-screen 800 x 600 x 16 display: the atlas layout, drawing counts
// and alignments (with glyph cells set up by the test), repainting, and a lost atlas.
#include <string>

#include "bitmapfont.h"
#include "blend_fixture.h"

namespace {

class Font : public BlitTest {
 protected:
  void SetUp() override {
    BlitTest::SetUp();
    font = std::make_unique<BitmapFont>(screen.get(), "Arial", 14, 0x0000FFFF, 0, 0, 400, 2);
    ASSERT_NE(font->atlas, nullptr);
    ASSERT_NE(font->atlas->surface, nullptr);
    target = std::make_unique<Surface>(screen.get(), 200, 20, SystemMemory);
    ASSERT_EQ(target->Fill(0), DD_OK);
  }
  // Columns of row 0 of the target that hold something, as a string of '#' and '.'.
  std::string Row() {
    const std::vector<DWORD> pixels = Read(*target);
    std::string row;
    for (int x = 0; x < target->width; ++x) row += pixels[x] != 0 ? '#' : '.';
    return row;
  }
  static std::string Span(int from, int to) {  // '#' in [from, to) of 200 columns
    std::string row(200, '.');
    for (int x = from; x < to; ++x) row[static_cast<size_t>(x)] = '#';
    return row;
  }

  // Gives 'a' to 'e' one shared 10 x 10 cell of a solid atlas, so that draws show as spans.
  void UseTenPixelGlyphs() {
    ASSERT_EQ(font->atlas->Fill(0xFFFF), DD_OK);
    for (char c = 'a'; c <= 'e'; ++c) font->glyphs[static_cast<int>(c)] = {0, 0, 10, 10, 10, 10};
  }

  // Members go before the base's screen.
  std::unique_ptr<BitmapFont> font;
  std::unique_ptr<Surface> target;
};

TEST_F(Font, AtlasRowsBreakBefore310) {
  int rows = 1;
  EXPECT_EQ(font->glyphs[0].left, 0);
  EXPECT_EQ(font->glyphs[0].top, 0);
  for (int c = 1; c < 128; ++c) {
    SCOPED_TRACE(c);
    const Glyph& prev = font->glyphs[c - 1];
    const Glyph& g = font->glyphs[c];
    EXPECT_EQ(g.right - g.left, g.width);
    EXPECT_EQ(g.bottom - g.top, g.height);
    if (prev.right + g.width >= 310) {
      ++rows;
      EXPECT_EQ(g.left, 0);
      EXPECT_EQ(g.top, prev.top + g.height);
    } else {
      EXPECT_EQ(g.left, prev.right);
      EXPECT_EQ(g.top, prev.top);
    }
    EXPECT_LT(g.right, 310);
  }
  EXPECT_GT(rows, 1);  // 128 characters of a 14-pixel font don't fit one row
  EXPECT_EQ(font->atlas->width, 320);
  EXPECT_EQ(font->atlas->height, font->glyphs[127].top + 14 + 5);
  EXPECT_GT(font->GetCharWidth('W'), font->GetCharWidth('i'));
  EXPECT_EQ(font->GetCharWidth(static_cast<char>(200)), 0);
  EXPECT_EQ(font->GetTextWidth("Wi"), font->GetCharWidth('W') + font->GetCharWidth('i'));
}

TEST_F(Font, DrawStopsAtTheCount) {
  UseTenPixelGlyphs();
  EXPECT_EQ(font->Draw(0, 0, "abcde", target.get(), 3), DD_OK);
  EXPECT_EQ(Row(), Span(0, 30));
  ASSERT_EQ(target->Fill(0), DD_OK);
  EXPECT_EQ(font->Draw(0, 0, "abcde", target.get(), 0), DD_OK);
  EXPECT_EQ(Row(), Span(0, 0));
  EXPECT_EQ(font->DrawKeyed(0, 0, "abcde", target.get(), -1), DD_OK);
  EXPECT_EQ(Row(), Span(0, 50));
  // Characters without glyphs are skipped, and nothing is read for them.
  ASSERT_EQ(target->Fill(0), DD_OK);
  EXPECT_EQ(font->Draw(100, 0,
                       "a\xC8\xFF"
                       "b",
                       target.get(), -1),
            DD_OK);
  EXPECT_EQ(Row(), Span(100, 120));
  EXPECT_EQ(font->Draw(0, 0, "", target.get(), -1), DD_OK);
  EXPECT_EQ(font->Draw(0, 0, nullptr, target.get(), -1), DDERR_INVALIDPARAMS);
}

TEST_F(Font, DrawAlignedInAField) {
  UseTenPixelGlyphs();
  struct Case {
    int width;
    const char* text;
    int alignment;
    int from, to;
  };
  const Case cases[] = {
      {100, "abcd", 1, 80, 120},                           // centred: 50 + 30
      {100, "abcd", 3, 110, 150},                          // right: 50 + 60
      {100, "abcd", 2, 0, 0},                              // other alignments draw nothing
      {25, "abc", 1, 50, 70},                              // too wide: from x, as many as fit
      {25, "abc", 3, 50, 70},     {30, "abc", 1, 50, 80},  // exactly as wide: from x, all of it
      {5, "abc", 3, 0, 0},                                 // not even one fits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " " + c.text + " " + std::to_string(c.alignment));
    ASSERT_EQ(target->Fill(0), DD_OK);
    EXPECT_EQ(font->DrawAligned(50, 0, c.width, c.text, target.get(), c.alignment), DD_OK);
    EXPECT_EQ(Row(), Span(c.from, c.to));
  }
  ASSERT_EQ(target->Fill(0), DD_OK);
  EXPECT_EQ(font->DrawAlignedKeyed(50, 0, 100, "ab", target.get(), 3), DD_OK);
  EXPECT_EQ(Row(), Span(130, 150));
}

TEST_F(Font, DrawClippedCutsEachGlyph) {
  UseTenPixelGlyphs();
  const RECT clip = {15, 0, 42, 20};
  EXPECT_EQ(font->DrawClipped(0, 0, "abcde", target.get(), clip, -1), DD_OK);
  // 'a' lies wholly left of the clip: its blit is refused, the others still land in place.
  EXPECT_EQ(Row(), Span(15, 42));
}

TEST_F(Font, ColorKeyDoesNotRepaintButTextColorDoes) {
  ASSERT_EQ(font->atlas->Fill(0x1234), DD_OK);
  const Glyph& a = font->glyphs[static_cast<int>('A')];
  EXPECT_EQ(font->SetColorKey(0x0001), DD_OK);
  EXPECT_EQ(font->atlas->colorKey, 0x0001u);
  EXPECT_EQ(Get(*font->atlas, a.left, a.top), 0x1234u);

  EXPECT_EQ(font->SetTextColor(0x00FFFFFF), DD_OK);
  int painted = 0, white = 0;
  for (int y = a.top; y < a.bottom; ++y) {
    for (int x = a.left; x < a.right; ++x) {
      uint32_t p = Get(*font->atlas, x, y);
      painted += p != 0x1234;
      white += p == 0xFFFF;
    }
  }
  EXPECT_EQ(painted, a.width * a.height);  // background and text fill the whole cell
  EXPECT_GT(white, 0);
  // Outside the cells the atlas keeps what it held.
  EXPECT_EQ(Get(*font->atlas, 319, font->atlas->height - 1), 0x1234u);
}

TEST_F(Font, LostAtlasIsRepaintedAndTheNextCharacterDrawn) {
  ASSERT_EQ(font->atlas->Fill(0x1234), DD_OK);
  const Glyph& a = font->glyphs[static_cast<int>('A')];
  const Glyph& b = font->glyphs[static_cast<int>('B')];
  qvhost::LoseSurfaces();
  ASSERT_EQ(target->surface->Restore(), DD_OK);
  EXPECT_EQ(font->Draw(0, 0, "AB", target.get(), -1), DD_OK);
  EXPECT_NE(Get(*font->atlas, a.left, a.top), 0x1234u);  // painted again
  int inA = 0, inB = 0;
  for (int y = 0; y < 20 && y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) inA += Get(*target, x, y) != 0;
    for (int x = a.width; x < a.width + b.width; ++x) inB += Get(*target, x, y) != 0;
  }
  EXPECT_EQ(inA, 0);  // the character that failed is not drawn again
  EXPECT_GT(inB, 0);  // yellow strokes of 'B'
}

// Text is drawn from the locked atlas; it must give the pixels and the result of one BltFast
// per character, on every edge, keyed or not, clipped or not.
TEST_F(Font, DrawsWhatBltFastPerCharacterDraws) {
  ASSERT_EQ(font->SetBackgroundColor(0x0000FF00), DD_OK);  // a cell background to tell apart
  ASSERT_EQ(font->SetColorKey(0), DD_OK);
  Surface expected(screen.get(), 200, 20, SystemMemory);
  const char text[] = "Wig,|_~ 1@";
  const RECT clip = {3, 2, 150, 13};
  for (bool keyed : {false, true}) {
    for (bool clipped : {false, true}) {
      for (int x : {-7, 0, 5, 150}) {
        for (int y : {-3, 0, 9}) {
          SCOPED_TRACE(testing::Message() << keyed << clipped << " at " << x << "," << y);
          ASSERT_EQ(target->Fill(0x0841), DD_OK);
          ASSERT_EQ(expected.Fill(0x0841), DD_OK);
          const DWORD flags = keyed ? DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT : DDBLTFAST_WAIT;
          HRESULT last = DD_OK;
          int at = x;
          for (const char* c = text; *c; ++c) {
            const Glyph& g = font->glyphs[static_cast<int>(*c)];
            RECT source = {g.left, g.top, g.right, g.bottom};
            int dx = at, dy = y;
            if (clipped) ClipSourceToRect(dx, dy, source, clip);
            last = expected.surface->BltFast(static_cast<DWORD>(dx), static_cast<DWORD>(dy),
                                             font->atlas->surface, &source, flags);
            at += g.width;
          }
          const HRESULT drawn =
              clipped ? (keyed ? font->DrawClippedKeyed(x, y, text, target.get(), clip, -1)
                               : font->DrawClipped(x, y, text, target.get(), clip, -1))
                      : (keyed ? font->DrawKeyed(x, y, text, target.get(), -1)
                               : font->Draw(x, y, text, target.get(), -1));
          EXPECT_EQ(drawn, last);
          ASSERT_EQ(Read(*target), Read(expected));
        }
      }
    }
  }
}

}  // namespace

// Pixels, lines and shapes: runs in every format against a plain model, clipping at each edge,
// the fourth byte of 32-bit pixels, line and circle pixel sets, and absurd coordinates that
// must neither hang nor write outside the surface.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "blend_fixture.h"

namespace {

using Points = std::set<std::pair<int, int>>;

class PrimitivesTest : public BlitTest {
 protected:
  // A surface of the depth, with the Screen's depth set to match (the primitives write in the
  // Screen's format). Every byte starts as 0xA5.
  std::unique_ptr<Surface> Canvas(int w, int h, int depth) {
    screen->bitsPerPixel = depth;
    auto s = Make(w, h, depth);
    Fill(*s, 0xA5A5A5A5);
    return s;
  }

  // The pixels that differ from the 0xA5 background.
  static Points Drawn(Surface& s) {
    const DWORD background = Bytes(s) == 4 ? 0xA5A5A5A5 : ((1u << (8 * Bytes(s))) - 1) & 0xA5A5A5A5;
    Points points;
    const std::vector<DWORD> pixels = Read(s);
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x)
        if (pixels[y * s.width + x] != background) points.insert({x, y});
    return points;
  }

  template <typename Draw>
  static Points DrawLocked(Surface& s, Draw draw) {
    EXPECT_EQ(s.Lock(), DD_OK);
    draw();
    s.Unlock();
    return Drawn(s);
  }
};

// Horizontal and vertical runs of every length and position across the clip rectangle, in
// every format: the single pixels and words of the fast paths end exactly at the run's ends.
TEST_F(PrimitivesTest, RunsInEveryFormatStopAtTheClipRectangle) {
  const struct {
    int depth;
    DWORD color, stored;
  } formats[] = {{8, 0x3C, 0x3C},
                 {15, 0x1234, 0x1234},
                 {16, 0xBEEF, 0xBEEF},
                 {24, 0x123456, 0x123456},
                 {32, 0x00123456, 0xA5123456}};
  for (const auto& f : formats) {
    auto s = Canvas(23, 9, f.depth);
    s->SetClipRect(RECT{2, 1, 21, 8});
    for (int x1 = -2; x1 < 25; x1 += 3) {
      for (int x2 = -1; x2 < 25; x2 += 2) {
        for (int y : {0, 1, 7, 8}) {
          Fill(*s, 0xA5A5A5A5);
          const Points got = DrawLocked(*s, [&] { s->DrawHLine(x1, x2, y, f.color); });
          Points expected;
          if (y >= 1 && y < 8)
            for (int x = std::max(std::min(x1, x2), 2); x <= std::min(std::max(x1, x2), 20); ++x)
              expected.insert({x, y});
          ASSERT_EQ(got, expected) << f.depth << ": " << x1 << ".." << x2 << " row " << y;
          if (!got.empty()) {
            ASSERT_EQ(Get(*s, got.begin()->first, y), f.stored);
          }
        }
      }
    }
    for (int y1 : {-5, 0, 1, 4, 7, 8, 12}) {
      for (int y2 : {-1, 1, 3, 7, 9}) {
        Fill(*s, 0xA5A5A5A5);
        const Points got = DrawLocked(*s, [&] {
          s->DrawVLine(y1, y2, 2, f.color);
          s->DrawVLine(y1, y2, 1, f.color);   // left of the clip
          s->DrawVLine(y1, y2, 21, f.color);  // right of it
        });
        Points expected;
        for (int y = std::max(std::min(y1, y2), 1); y <= std::min(std::max(y1, y2), 7); ++y)
          expected.insert({2, y});
        ASSERT_EQ(got, expected) << f.depth << ": " << y1 << ".." << y2;
      }
    }
  }
}

TEST_F(PrimitivesTest, PixelsAtTheEdgesAndInEachFormat) {
  auto s = Canvas(800, 600, 16);
  ASSERT_EQ(s->Lock(), DD_OK);
  s->PutPixel(800, 0, 0x1111);
  s->PutPixel(-1, 0, 0x1111);
  s->PutPixel(0, 600, 0x1111);
  s->PutPixel(799, 599, 0x2222);
  s->DrawHLine(790, 900, 10, 0x3333);
  EXPECT_EQ(s->GetPixel(799, 599), 0x2222u);
  EXPECT_EQ(s->GetPixel(800, 0), 0u);  // no pixel there to read
  EXPECT_EQ(s->GetPixel(0, -1), 0u);
  s->Unlock();
  Points expected = {{799, 599}};
  for (int x = 790; x < 800; ++x) expected.insert({x, 10});
  EXPECT_EQ(Drawn(*s), expected);

  // GetPixel by format: 24 bits as 0xRRGGBB, 32 bits whole.
  auto s24 = Canvas(4, 4, 24);
  Set(*s24, 1, 1, 0x00ABCDEF);
  ASSERT_EQ(s24->Lock(), DD_OK);
  EXPECT_EQ(s24->GetPixel(1, 1), 0xABCDEFu);
  s24->Unlock();
  auto s32 = Canvas(4, 4, 32);
  ASSERT_EQ(s32->Lock(), DD_OK);
  EXPECT_EQ(s32->GetPixel(2, 2), 0xA5A5A5A5u);
  s32->Unlock();
}

TEST_F(PrimitivesTest, BlendedPixelsByChannel) {
  auto s16 = Canvas(4, 1, 16);
  Fill(*s16, 0);
  ASSERT_EQ(s16->Lock(), DD_OK);
  s16->PutPixelAlpha(0, 0, 0xFFFF, 128);
  s16->PutPixelAlpha(1, 0, 0xFFFF, 0);
  s16->PutPixelAlpha(2, 0, 0xFFFF, 1000);  // an overshooting weight stops at the channel's top
  s16->Unlock();
  EXPECT_EQ(Get(*s16, 0, 0), (15u << 11) | (31u << 5) | 15u);
  EXPECT_EQ(Get(*s16, 1, 0), 0u);
  EXPECT_EQ(Get(*s16, 2, 0), 0xFFFFu);

  auto s15 = Canvas(2, 1, 15);
  Fill(*s15, 0x7C00);  // red
  ASSERT_EQ(s15->Lock(), DD_OK);
  s15->PutPixelAlpha(0, 0, 0x001F, 64);  // a quarter of the way to blue
  s15->Unlock();
  EXPECT_EQ(Get(*s15, 0, 0), (23u << 10) | 7u);  // 31 + floor(-7.75), floor(7.75)

  auto s32 = Canvas(2, 1, 32);
  ASSERT_EQ(s32->Lock(), DD_OK);
  s32->PutPixelAlpha(0, 0, 0x000000, 256);
  s32->Unlock();
  EXPECT_EQ(Get(*s32, 0, 0), 0xA5000000u);

  auto s8 = Canvas(2, 1, 8);
  ASSERT_EQ(s8->Lock(), DD_OK);
  s8->PutPixelAlpha(0, 0, 0x42, 10);  // palette indices are stored as they come
  s8->Unlock();
  EXPECT_EQ(Get(*s8, 0, 0), 0x42u);
}

TEST_F(PrimitivesTest, LinesPlotTheirTruncatedSteps) {
  auto s = Canvas(40, 40, 16);
  EXPECT_EQ(DrawLocked(*s, [&] { s->DrawLine(0, 0, 3, 3, 1); }),
            (Points{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
  Fill(*s, 0xA5A5A5A5);
  const Points shallow = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 1},
                          {6, 1}, {7, 2}, {8, 2}, {9, 2}, {10, 2}};
  EXPECT_EQ(DrawLocked(*s, [&] { s->DrawLine(0, 0, 10, 3, 1); }), shallow);
  Fill(*s, 0xA5A5A5A5);
  EXPECT_EQ(DrawLocked(*s, [&] { s->DrawLine(10, 3, 0, 0, 1); }), shallow);
  Fill(*s, 0xA5A5A5A5);
  EXPECT_EQ(DrawLocked(*s, [&] { s->DrawLine(5, 7, 5, 2, 1); }).size(), 6u);

  // Lines from far outside: they finish at once and stay inside the clip rectangle.
  s->SetClipRect(RECT{10, 10, 30, 30});
  Fill(*s, 0xA5A5A5A5);
  const Points far = DrawLocked(*s, [&] {
    s->DrawLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1);
    s->DrawLine(INT_MIN, 20, INT_MAX, 21, 1);
    s->DrawLine(20, INT_MAX, 21, INT_MIN, 1);
    s->DrawLineAntialiased(INT_MIN, INT_MIN + 5, INT_MAX, INT_MAX, 0xFFFF);
    s->DrawLineAntialiased(INT_MAX, 15, INT_MIN, 16, 0xFFFF);
    s->DrawLineAntialiased(12, INT_MIN, 13, INT_MAX, 0xFFFF);
  });
  EXPECT_FALSE(far.empty());
  for (const auto& p : far) {
    EXPECT_GE(p.first, 10);
    EXPECT_LT(p.first, 30);
    EXPECT_GE(p.second, 10);
    EXPECT_LT(p.second, 30);
  }
  for (int i = 10; i < 30; ++i) EXPECT_EQ(far.count({i, i}), 1u) << i;  // the main diagonal
}

TEST_F(PrimitivesTest, AntialiasedLineWeights) {
  auto s = Canvas(8, 8, 32);
  Fill(*s, 0);
  ASSERT_EQ(s->Lock(), DD_OK);
  s->DrawLineAntialiased(4, 1, 0, 0, 0xFFFFFF);  // flat, drawn from its upper end
  s->Unlock();
  EXPECT_EQ(Get(*s, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(Get(*s, 4, 1), 0xFFFFFFu);
  // Step 1 of 4: accumulator 0x4000, weights 191 and 64 of 255.
  EXPECT_EQ(Get(*s, 1, 0), 0xBEBEBEu);
  EXPECT_EQ(Get(*s, 1, 1), 0x3F3F3Fu);
  EXPECT_EQ(Get(*s, 2, 0), 0x7E7E7Eu);  // 0x8000: weights 127 and 128
  EXPECT_EQ(Get(*s, 2, 1), 0x7F7F7Fu);

  Fill(*s, 0);
  ASSERT_EQ(s->Lock(), DD_OK);
  s->DrawLineAntialiased(3, 0, 2, 4, 0xFFFFFF);  // steep, leaning left
  s->Unlock();
  EXPECT_EQ(Get(*s, 3, 0), 0xFFFFFFu);
  EXPECT_EQ(Get(*s, 3, 1), 0xBEBEBEu);
  EXPECT_EQ(Get(*s, 2, 1), 0x3F3F3Fu);
  EXPECT_EQ(Get(*s, 2, 4), 0xFFFFFFu);
}

TEST_F(PrimitivesTest, CirclesAndRoundedRectangles) {
  auto s = Canvas(200, 200, 16);
  EXPECT_EQ(DrawLocked(*s, [&] { s->DrawCircle(50, 60, 0, 1); }), (Points{{50, 60}}));
  Fill(*s, 0xA5A5A5A5);
  const Points filled = DrawLocked(*s, [&] { s->FillCircle(100, 100, 10, 1); });
  std::set<int> rows;
  for (const auto& p : filled) rows.insert(p.second);
  EXPECT_EQ(*rows.begin(), 90);
  EXPECT_EQ(*rows.rbegin(), 109);
  EXPECT_EQ(rows.size(), 20u);
  EXPECT_EQ(std::count_if(filled.begin(), filled.end(), [](auto p) { return p.second == 90; }), 1);
  EXPECT_EQ(filled.count({90, 100}) + filled.count({110, 100}), 2u);
  EXPECT_EQ(filled.count({89, 100}) + filled.count({111, 100}), 0u);

  // A circle of radius 5: symmetric, its extreme points drawn.
  Fill(*s, 0xA5A5A5A5);
  const Points circle = DrawLocked(*s, [&] { s->DrawCircle(20, 20, 5, 1); });
  for (const auto& p : circle) EXPECT_EQ(circle.count({40 - p.first, p.second}), 1u);
  for (const auto& p : {std::make_pair(25, 20), {15, 20}, {20, 15}, {20, 25}})
    EXPECT_EQ(circle.count(p), 1u);

  // Radius 0 rounds nothing off; a radius of 3 cuts the corners.
  Fill(*s, 0xA5A5A5A5);
  const Points square = DrawLocked(*s, [&] { s->DrawRect(20, 12, 2, 2, 1); });
  Fill(*s, 0xA5A5A5A5);
  EXPECT_EQ(DrawLocked(*s, [&] { s->DrawRoundedRect(2, 2, 20, 12, 0, 1); }), square);
  Fill(*s, 0xA5A5A5A5);
  const Points rounded = DrawLocked(*s, [&] { s->DrawRoundedRect(20, 12, 2, 2, 3, 1); });
  EXPECT_EQ(rounded.count({2, 2}) + rounded.count({20, 12}), 0u);
  for (const auto& p : {std::make_pair(5, 2), {17, 2}, {2, 5}, {20, 9}, {3, 3}, {19, 11}})
    EXPECT_EQ(rounded.count(p), 1u) << p.first << "," << p.second;

  // Negative and absurd radii, far-away centres: defined, quick, inside the surface.
  auto small = Canvas(16, 16, 16);
  const Points absurd = DrawLocked(*small, [&] {
    small->DrawCircle(8, 8, -3, 1);
    small->FillCircle(8, 8, -3, 1);
    small->DrawCircle(8, 8, INT_MAX, 1);
    small->DrawCircle(INT_MIN, INT_MAX, INT_MAX, 1);
    small->FillCircle(INT_MAX, INT_MIN, INT_MAX, 1);
    small->DrawRoundedRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, 1);
    small->DrawRoundedRect(0, 0, 15, 15, -4, 1);
  });
  for (const auto& p : absurd) EXPECT_TRUE(p.first < 16 && p.second < 16);
  Fill(*small, 0xA5A5A5A5);
  EXPECT_EQ(DrawLocked(*small, [&] { small->FillCircle(8, 8, INT_MAX, 1); }).size(), 256u);
}

TEST_F(PrimitivesTest, ThirtyTwoBitPixelsKeepTheirFourthByte) {
  auto s = Canvas(32, 32, 32);
  ASSERT_EQ(s->Lock(), DD_OK);
  s->PutPixel(1, 1, 0xFFFFFFFF);
  s->PutPixelAlpha(2, 1, 0xFFFFFFFF, 200);
  s->DrawHLine(0, 31, 3, 0xFFFFFFFF);
  s->DrawVLine(0, 31, 4, 0xFFFFFFFF);
  s->DrawLine(0, 0, 31, 20, 0xFFFFFFFF);
  s->DrawLineAntialiased(0, 31, 31, 5, 0xFFFFFFFF);
  s->DrawRect(5, 5, 25, 25, 0xFFFFFFFF);
  s->DrawRoundedRect(6, 6, 24, 24, 4, 0xFFFFFFFF);
  s->DrawCircle(16, 16, 9, 0xFFFFFFFF);
  s->FillCircle(16, 16, 5, 0xFFFFFFFF);
  s->Unlock();
  int changed = 0;
  for (DWORD pixel : Read(*s)) {
    EXPECT_EQ(pixel >> 24, 0xA5u);
    changed += pixel != 0xA5A5A5A5;
  }
  EXPECT_GT(changed, 200);
}

TEST_F(PrimitivesTest, NothingIsWrittenWithoutAScreenOrLockedMemory) {
  auto s = Canvas(8, 8, 16);
  s->screen = nullptr;  // no Screen: no pixel format to write in
  ASSERT_EQ(s->Lock(), DD_OK);
  s->PutPixel(1, 1, 1);
  s->DrawHLine(0, 7, 2, 1);
  s->FillCircle(4, 4, 3, 1);
  EXPECT_EQ(s->GetPixel(1, 1), 0u);
  s->Unlock();
  s->screen = screen.get();
  EXPECT_TRUE(Drawn(*s).empty());

  Surface empty;  // never created, never locked
  empty.screen = screen.get();
  empty.PutPixel(0, 0, 1);
  empty.DrawLine(0, 0, 5, 5, 1);
  empty.DrawCircle(2, 2, 2, 1);
  EXPECT_EQ(empty.GetPixel(0, 0), 0u);
}

}  // namespace

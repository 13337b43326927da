// Pixels, lines and shapes: runs in every format against the clip rectangle, blended pixels,
// line and circle pixel sets, and absurd coordinates that must neither hang nor stray.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <utility>

#include "blend_fixture.h"

namespace {

using Points = std::set<std::pair<int, int>>;

class PrimitivesTest : public BlitTest {
 protected:
  // A surface in the Screen's format (the primitives write in it), every byte 0xA5.
  std::unique_ptr<Surface> Canvas(int w, int h, int depth) {
    screen->bitsPerPixel = depth;
    return Make(w, h, depth, 0xA5);
  }

  // Draws with the surface locked; the pixels that no longer hold the 0xA5 bytes.
  template <typename Draw>
  static Points Drawn(Surface& s, Draw draw) {
    EXPECT_EQ(s.Lock(), DD_OK);
    draw();
    s.Unlock();
    const DWORD background = Bytes(s) == 4 ? 0xA5A5A5A5 : 0xA5A5A5A5 & ((1u << 8 * Bytes(s)) - 1);
    const std::vector<DWORD> pixels = Read(s);
    Points points;
    for (size_t i = 0; i < pixels.size(); ++i)
      if (pixels[i] != background) points.insert({int(i) % s.width, int(i) / s.width});
    Fill(s, background);
    return points;
  }
};

// Runs of every length and position across a clip rectangle in each format: the single
// pixels and words of the fast paths end exactly at the run's ends, and 32-bit pixels keep
// their fourth byte.
TEST_F(PrimitivesTest, RunsInEveryFormatStopAtTheClipRectangle) {
  const DWORD formats[][3] = {{8, 0x3C, 0x3C},
                              {15, 0x1234, 0x1234},
                              {16, 0xBEEF, 0xBEEF},
                              {24, 0x123456, 0x123456},
                              {32, 0x00123456, 0xA5123456}};
  for (const auto& f : formats) {
    auto s = Canvas(23, 9, f[0]);
    s->SetClipRect(RECT{2, 1, 21, 8});
    for (int a = -2; a < 25; a += 3) {
      for (int b = -1; b < 25; b += 2) {
        for (int y : {0, 1, 7, 8}) {
          Points expected;
          for (int x = std::max(std::min(a, b), 2);
               y >= 1 && y < 8 && x <= std::min(std::max(a, b), 20); ++x)
            expected.insert({x, y});
          ASSERT_EQ(Drawn(*s, [&] { s->DrawHLine(a, b, y, f[1]); }), expected)
              << f[0] << ": " << a << ".." << b << " row " << y;
          expected.clear();
          for (int v = std::max(std::min(a, b) / 3, 1); v <= std::min(std::max(a, b) / 3, 7); ++v)
            expected.insert({y + 2, v});
          ASSERT_EQ(Drawn(*s, [&] { s->DrawVLine(a / 3, b / 3, y + 2, f[1]); }), expected);
        }
      }
    }
    ASSERT_EQ(s->Lock(), DD_OK);
    s->PutPixel(20, 7, f[1]);
    s->PutPixel(21, 7, f[1]);  // right of the clip rectangle
    EXPECT_EQ(s->GetPixel(20, 7), f[0] == 24 ? f[1] : f[2]);
    EXPECT_EQ(s->GetPixel(23, 0), 0u);  // no pixel there to read
    s->Unlock();
  }
}

TEST_F(PrimitivesTest, BlendedPixelsByChannel) {
  auto blended = [&](int depth, DWORD old, DWORD color, DWORD weight) {
    auto s = Canvas(1, 1, depth);
    Fill(*s, old);
    EXPECT_EQ(s->Lock(), DD_OK);
    s->PutPixelAlpha(0, 0, color, weight);
    s->Unlock();
    return Get(*s, 0, 0);
  };
  EXPECT_EQ(blended(16, 0, 0xFFFF, 128), 0x7BEFu);
  EXPECT_EQ(blended(16, 0, 0xFFFF, 1000), 0xFFFFu);  // an overshooting weight stops at the top
  EXPECT_EQ(blended(15, 0x7C00, 0x1F, 64), (23u << 10) | 7u);  // 31 + floor(-7.75), floor(7.75)
  EXPECT_EQ(blended(32, 0xA5FFFFFF, 0, 256), 0xA5000000u);
  EXPECT_EQ(blended(8, 0x11, 0x42, 10), 0x42u);
}

TEST_F(PrimitivesTest, LinesPlotTheirTruncatedSteps) {
  auto s = Canvas(40, 40, 32);
  EXPECT_EQ(Drawn(*s, [&] { s->DrawLine(0, 0, 3, 3, 1); }),
            (Points{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
  const Points shallow = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 1},
                          {6, 1}, {7, 2}, {8, 2}, {9, 2}, {10, 2}};
  EXPECT_EQ(Drawn(*s, [&] { s->DrawLine(10, 3, 0, 0, 1); }), shallow);
  // Wu's line, flat from its upper end: step 1 of 4 has weights 191 and 64, step 2 127 and 128.
  Fill(*s, 0);
  ASSERT_EQ(s->Lock(), DD_OK);
  s->DrawLineAntialiased(4, 1, 0, 0, 0xFFFFFF);
  s->DrawLineAntialiased(30, 0, 29, 4, 0xFFFFFF);  // steep, leaning left
  s->Unlock();
  const std::vector<DWORD> p = Read(*s);
  EXPECT_EQ(p[0], 0xFFFFFFu);
  EXPECT_EQ(p[40 + 4], 0xFFFFFFu);
  EXPECT_EQ(p[1], 0xBEBEBEu);
  EXPECT_EQ(p[40 + 1], 0x3F3F3Fu);
  EXPECT_EQ(p[2], 0x7E7E7Eu);
  EXPECT_EQ(p[40 + 30], 0xBEBEBEu);
  EXPECT_EQ(p[40 + 29], 0x3F3F3Fu);
  // From far outside: done at once, inside the clip rectangle only.
  Fill(*s, 0xA5A5A5A5);
  s->SetClipRect(RECT{10, 10, 30, 30});
  const Points far = Drawn(*s, [&] {
    s->DrawLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1);
    s->DrawLine(INT_MIN, 20, INT_MAX, 21, 1);
    s->DrawLineAntialiased(INT_MIN, INT_MIN + 5, INT_MAX, INT_MAX, 0xFFFF);
    s->DrawLineAntialiased(INT_MAX, 15, INT_MIN, 16, 0xFFFF);
    s->DrawLineAntialiased(12, INT_MIN, 13, INT_MAX, 0xFFFF);
  });
  for (const auto& q : far)
    EXPECT_TRUE(q.first >= 10 && q.first < 30 && q.second >= 10 && q.second < 30);
  for (int i = 10; i < 30; ++i)
    EXPECT_EQ(far.count({i, i}) + far.count({i, 15}) + far.count({12, i}), 3u) << i;
}

// Random lines and pixels, partly outside a clip rectangle, in every format, against the
// running-double walk written out plainly.
TEST_F(PrimitivesTest, LinesAndPixelsMatchTheWalkModel) {
  std::mt19937 random(3);
  for (int depth : {8, 16, 24, 32}) {
    auto s = Canvas(61, 47, depth);
    const RECT clip = {5, 3, 57, 44};
    s->SetClipRect(clip);
    auto inside = [&](int x, int y) {
      return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
    };
    for (int n = 0; n < 200; ++n) {
      int x1 = int(random() % 90) - 15, y1 = int(random() % 70) - 12;
      int x2 = int(random() % 90) - 15, y2 = int(random() % 70) - 12;
      Points expected;
      if (n % 4 == 0) {
        if (inside(x1, y1)) expected.insert({x1, y1});
        ASSERT_EQ(Drawn(*s, [&] { s->PutPixel(x1, y1, 0x123456); }), expected);
        continue;
      }
      const bool alongX = std::abs(x2 - x1) > std::abs(y2 - y1);
      if (alongX ? x1 > x2 : y1 > y2) std::swap(x1, x2), std::swap(y1, y2);
      if (x1 == x2 || y1 == y2) continue;  // the runs, tested above
      const double slope = alongX ? double(y2 - y1) / (x2 - x1) : double(x2 - x1) / (y2 - y1);
      double minor = alongX ? y1 : x1;
      for (int m = alongX ? x1 : y1; m <= (alongX ? x2 : y2); ++m, minor += slope) {
        const int x = alongX ? m : int(minor), y = alongX ? int(minor) : m;
        if (inside(x, y)) expected.insert({x, y});
      }
      ASSERT_EQ(Drawn(*s, [&] { s->DrawLine(x1, y1, x2, y2, 0x123456); }), expected)
          << depth << ": " << x1 << "," << y1 << " to " << x2 << "," << y2;
    }
  }
}

// The inline PutPixel against PutPixelAnyFormat, its reference: random points around random
// clip rectangles, some reaching outside the surface, where the memory the lock described
// bounds both. A description whose pixel pointer was changed after the lock is followed by
// both, to the pixels it now points at.
TEST_F(PrimitivesTest, InlinePixelsMatchTheGeneralPath) {
  std::mt19937 random(8);
  for (int depth : {8, 15, 16, 32}) {
    auto fast = Canvas(37, 21, depth), general = Canvas(37, 21, depth);
    auto model = Canvas(37, 21, depth);
    for (int n = 0; n < 300; ++n) {
      const RECT clip = {LONG(random() % 50) - 6, LONG(random() % 30) - 4, LONG(random() % 50),
                         LONG(random() % 30)};
      // Half the points lie on or next to an edge of the clip rectangle.
      auto near = [&](LONG low, LONG high, int spread, int shift) {
        const LONG edges[4] = {low - 1, low, high - 1, high};
        return n % 2 ? int(edges[random() % 4]) : int(random() % spread) - shift;
      };
      const int x = near(clip.left, clip.right, 50, 6), y = near(clip.top, clip.bottom, 30, 4);
      const DWORD color = random();
      const bool moved = n % 5 == 0;
      const std::vector<DWORD> before = moved ? Read(*fast) : std::vector<DWORD>();
      for (Surface* s : {fast.get(), general.get(), model.get()}) {
        s->clipRect = clip;
        ASSERT_EQ(s->Lock(), DD_OK);
      }
      if (moved) fast->desc.lpSurface = general->desc.lpSurface;
      fast->PutPixel(x, y, color);
      if (!moved) general->PutPixelAnyFormat(x, y, color);
      model->PutPixelAnyFormat(x, y, color);
      for (Surface* s : {fast.get(), general.get(), model.get()}) s->Unlock();
      ASSERT_EQ(Read(*general), Read(*model)) << depth << ": " << x << "," << y;
      if (moved) {
        ASSERT_EQ(Read(*fast), before) << depth << ": " << x << "," << y;
        Write(*fast, Read(*model));
      }
      ASSERT_EQ(Read(*fast), Read(*model)) << depth << ": " << x << "," << y;
    }
  }
}

TEST_F(PrimitivesTest, CirclesAndRoundedRectangles) {
  auto s = Canvas(200, 200, 16);
  EXPECT_EQ(Drawn(*s, [&] { s->DrawCircle(50, 60, 0, 1); }), (Points{{50, 60}}));
  const Points filled = Drawn(*s, [&] { s->FillCircle(100, 100, 10, 1); });
  std::map<int, int> rows;
  for (const auto& q : filled) rows[q.second]++;
  EXPECT_EQ(rows.begin()->first, 90);
  EXPECT_EQ(rows.rbegin()->first, 109);
  EXPECT_EQ(rows[90], 1);
  EXPECT_EQ(rows[100], 21);
  EXPECT_EQ(filled.count({90, 100}) + filled.count({110, 100}), 2u);
  const Points square = Drawn(*s, [&] { s->DrawRect(20, 12, 2, 2, 1); });
  EXPECT_EQ(Drawn(*s, [&] { s->DrawRoundedRect(2, 2, 20, 12, 0, 1); }), square);
  const Points rounded = Drawn(*s, [&] { s->DrawRoundedRect(20, 12, 2, 2, 3, 1); });
  EXPECT_EQ(rounded.count({2, 2}) + rounded.count({20, 12}), 0u);
  for (const auto& q : Points{{5, 2}, {17, 2}, {2, 5}, {20, 9}, {3, 3}, {19, 11}})
    EXPECT_EQ(rounded.count(q), 1u);
  // Negative and absurd radii, far centres: defined, quick, inside the surface.
  auto small = Canvas(16, 16, 16);
  const Points absurd = Drawn(*small, [&] {
    small->DrawCircle(8, 8, -3, 1);
    small->FillCircle(8, 8, -3, 1);
    small->DrawCircle(8, 8, INT_MAX, 1);
    small->DrawCircle(INT_MIN, INT_MAX, INT_MAX, 1);
    small->FillCircle(INT_MAX, INT_MIN, INT_MAX, 1);
    small->DrawRoundedRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, 1);
  });
  EXPECT_TRUE(absurd.empty());
  EXPECT_EQ(Drawn(*small, [&] { small->FillCircle(8, 8, INT_MAX, 1); }).size(), 256u);
  // Without a Screen there is no format to write in; an unlocked surface has no memory.
  small->screen = nullptr;
  EXPECT_TRUE(Drawn(*small, [&] { small->DrawHLine(0, 15, 3, 1); }).empty());
  Surface empty;
  empty.screen = screen.get();
  empty.DrawLine(0, 0, 5, 5, 1);
  EXPECT_EQ(empty.GetPixel(0, 0), 0u);
}

}  // namespace

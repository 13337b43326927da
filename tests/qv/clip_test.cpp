// Clipping rectangles: the clip rectangle kept inside the surface, clipping a rectangle, a blit
// against two surfaces and a blit against a given rectangle.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <random>

#include "qvsurface.h"

namespace {

// A surface of a size, without a DirectDraw surface: clipping needs only the fields.
struct SizedSurface : Surface {
  SizedSurface(int w, int h) {
    width = w;
    height = h;
    clipRect = RECT{0, 0, w, h};
  }
};

void ExpectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

TEST(ClipRect, SetKeepsItInsideTheSurfaceAndGetCopiesItOut) {
  SizedSurface s(800, 600);
  s.SetClipRect(RECT{-5, -5, 2000, 2000});
  RECT out;
  s.GetClipRect(out);
  ExpectRect(out, 0, 0, 800, 600);

  s.SetClipRect(RECT{10, 20, 30, 40});
  s.GetClipRect(out);
  ExpectRect(out, 10, 20, 30, 40);

  // An inverted rectangle is stored as it comes out; it then clips everything away.
  s.SetClipRect(RECT{500, 10, 100, 20});
  ExpectRect(s.clipRect, 500, 10, 100, 20);
  RECT r = {0, 0, 800, 600};
  EXPECT_EQ(s.ClipToClipRect(r), 0);

  s.SetClipRect(RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX});
  ExpectRect(s.clipRect, 0, 0, 800, 600);
}

TEST(ClipRect, ClipToClipRectRejectsAtTheEdgesAndCutsInside) {
  SizedSurface s(800, 600);
  RECT r = {800, 0, 900, 10};
  EXPECT_EQ(s.ClipToClipRect(r), 0);
  ExpectRect(r, 800, 0, 900, 10);

  r = RECT{799, 0, 900, 10};
  EXPECT_EQ(s.ClipToClipRect(r), 1);
  ExpectRect(r, 799, 0, 800, 10);

  r = RECT{-10, -20, 10, 20};
  EXPECT_EQ(s.ClipToClipRect(r), 1);
  ExpectRect(r, 0, 0, 10, 20);

  // Wholly outside, or inverted: nothing is left and the rectangle stays as it was.
  for (RECT outside : {RECT{0, 600, 10, 700}, RECT{-10, 0, 0, 10}, RECT{0, -10, 10, 0},
                       RECT{20, 0, 10, 10}, RECT{0, 20, 10, 10}}) {
    const RECT before = outside;
    EXPECT_EQ(s.ClipToClipRect(outside), 0);
    ExpectRect(outside, before.left, before.top, before.right, before.bottom);
  }
}

// A source rectangle drawn at (x, y), and what clipping leaves of both.
struct BlitCase {
  const char* what;
  RECT source;
  int x, y;
  RECT clip;  // ClipBlit: the source's clip rectangle (the destination is 800 x 600)
  int result;
  RECT cut;
  int cutX, cutY;
};

TEST(ClipRect, ClipBlitCutsSourceAndMovesThePosition) {
  const RECT all = {0, 0, 100, 50};
  const BlitCase cases[] = {
      {"left and bottom", all, -30, 580, all, 1, {30, 0, 100, 20}, 0, 580},
      // A cut by the source's own clip rectangle does not move where the rest lands.
      {"own clip", all, 200, 100, {10, 0, 100, 50}, 1, {10, 0, 100, 50}, 200, 100},
      // Nothing left: outside the source or the destination, or at the ends of the integers.
      {"outside the source", {100, 0, 120, 10}, 200, 100, all, 0, {}, 0, 0},
      {"outside the destination", all, 800, 100, all, 0, {}, 0, 0},
      {"integer ends", all, INT_MAX, INT_MIN, all, 0, {}, 0, 0},
  };
  for (const BlitCase& c : cases) {
    SCOPED_TRACE(c.what);
    SizedSurface source(100, 50), dest(800, 600);
    source.SetClipRect(c.clip);
    RECT r = c.source;
    int x = c.x, y = c.y;
    ASSERT_EQ(source.ClipBlit(&dest, x, y, r), c.result);
    if (c.result == 0) continue;
    ExpectRect(r, c.cut.left, c.cut.top, c.cut.right, c.cut.bottom);
    EXPECT_EQ(x, c.cutX);
    EXPECT_EQ(y, c.cutY);
  }
  SizedSurface source(100, 50);
  RECT r = all;
  int x = 0, y = 0;
  EXPECT_EQ(source.ClipBlit(nullptr, x, y, r), 0);
}

// Random blits, most of them wholly inside both clip rectangles (which take a shortcut), against
// a model: the source cut by its own clip rectangle stays in place; the destination's cut moves
// each source edge by as much as the destination edge moved.
TEST(ClipRect, ClipBlitMatchesTheModelOnRandomBlits) {
  std::mt19937 random(3);
  auto pick = [&](int n) { return static_cast<LONG>(random() % n); };
  for (int n = 0; n < 3000; ++n) {
    SizedSurface source(60, 40), dest(80, 50);
    source.SetClipRect(RECT{pick(10), pick(10), 50 + pick(11), 30 + pick(11)});
    dest.SetClipRect(RECT{pick(10), pick(10), 70 + pick(11), 40 + pick(11)});
    RECT s = {pick(30), pick(20), 0, 0};
    s.right = s.left + 1 + pick(30);
    s.bottom = s.top + 1 + pick(20);
    int x = pick(90) - 5, y = pick(60) - 5;
    const RECT& own = source.clipRect;
    const RECT& k = dest.clipRect;
    // The model.
    RECT cut = {std::max(s.left, own.left), std::max(s.top, own.top), std::min(s.right, own.right),
                std::min(s.bottom, own.bottom)};
    const RECT target = {x, y, x + cut.right - cut.left, y + cut.bottom - cut.top};
    const RECT t = {std::max(target.left, k.left), std::max(target.top, k.top),
                    std::min(target.right, k.right), std::min(target.bottom, k.bottom)};
    const bool visible =
        cut.right > cut.left && cut.bottom > cut.top && t.right > t.left && t.bottom > t.top;
    const RECT expected = {cut.left + t.left - x, cut.top + t.top - y,
                           cut.right + t.right - target.right,
                           cut.bottom + t.bottom - target.bottom};
    const int answer = source.ClipBlit(&dest, x, y, s);
    ASSERT_EQ(answer, visible ? 1 : 0) << n;
    if (!visible) continue;
    ExpectRect(s, expected.left, expected.top, expected.right, expected.bottom);
    ASSERT_EQ(x, t.left) << n;
    ASSERT_EQ(y, t.top) << n;
  }
}

TEST(ClipRect, ClipSourceToRectCutsInItsOrder) {
  const RECT screen = {0, 0, 800, 600};
  const BlitCase cases[] = {
      {"right", {0, 0, 20, 10}, 790, 0, screen, 1, {0, 0, 10, 10}, 790, 0},
      // Left and top cuts move the position onto the clip rectangle.
      {"left and top", {5, 5, 45, 25}, -10, -4, {0, 0, 100, 100}, 1, {15, 9, 45, 25}, 0, 0},
      // The bottom cut uses the position after the top cut.
      {"top and bottom", {0, 0, 10, 50}, 0, -10, {0, 0, 100, 30}, 1, {0, 10, 10, 40}, 0, 0},
      // Wholly outside: the source comes out empty or inverted, nothing is rejected.
      {"outside", {0, 0, 10, 10}, 900, 10, screen, 0, {}, 0, 0},
      {"integer ends", {0, 0, INT_MAX, INT_MAX}, INT_MAX, INT_MAX, screen, 0, {}, 0, 0},
  };
  for (const BlitCase& c : cases) {
    SCOPED_TRACE(c.what);
    RECT r = c.source;
    int x = c.x, y = c.y;
    ClipSourceToRect(x, y, r, c.clip);
    if (c.result == 0) {
      EXPECT_LE(r.right, r.left);
      if (c.y > c.clip.bottom) {
        EXPECT_LE(r.bottom, r.top);
      }
      continue;
    }
    ExpectRect(r, c.cut.left, c.cut.top, c.cut.right, c.cut.bottom);
    EXPECT_EQ(x, c.cutX);
    EXPECT_EQ(y, c.cutY);
  }
}

}  // namespace

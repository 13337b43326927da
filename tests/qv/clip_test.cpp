// Clipping rectangles: the clip rectangle kept inside the surface, clipping a rectangle, a blit
// against two surfaces and a blit against a given rectangle.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>

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

TEST(ClipRect, ClipBlitCutsSourceAndMovesThePosition) {
  SizedSurface source(100, 50);
  SizedSurface dest(800, 600);
  RECT s = {0, 0, 100, 50};
  int x = -30;
  int y = 580;
  EXPECT_EQ(source.ClipBlit(&dest, x, y, s), 1);
  ExpectRect(s, 30, 0, 100, 20);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 580);

  // A cut by the source's own clip rectangle does not move where the rest lands.
  source.SetClipRect(RECT{10, 0, 100, 50});
  s = RECT{0, 0, 100, 50};
  x = 200;
  y = 100;
  EXPECT_EQ(source.ClipBlit(&dest, x, y, s), 1);
  ExpectRect(s, 10, 0, 100, 50);
  EXPECT_EQ(x, 200);
  EXPECT_EQ(y, 100);

  // Nothing left: outside the source, outside the destination, or no destination.
  s = RECT{100, 0, 120, 10};
  EXPECT_EQ(source.ClipBlit(&dest, x, y, s), 0);
  s = RECT{10, 0, 100, 50};
  x = 800;
  EXPECT_EQ(source.ClipBlit(&dest, x, y, s), 0);
  x = 0;
  EXPECT_EQ(source.ClipBlit(nullptr, x, y, s), 0);

  // Positions at the ends of the integer range are clipped, not overflowed.
  s = RECT{10, 0, 100, 50};
  x = INT_MAX;
  y = INT_MIN;
  EXPECT_EQ(source.ClipBlit(&dest, x, y, s), 0);
}

TEST(ClipRect, ClipSourceToRectCutsInItsOrder) {
  const RECT clip = {0, 0, 800, 600};
  RECT s = {0, 0, 20, 10};
  int x = 790;
  int y = 0;
  ClipSourceToRect(x, y, s, clip);
  ExpectRect(s, 0, 0, 10, 10);
  EXPECT_EQ(x, 790);

  // Left and top cuts move the position onto the clip rectangle.
  s = RECT{5, 5, 45, 25};
  x = -10;
  y = -4;
  ClipSourceToRect(x, y, s, RECT{0, 0, 100, 100});
  ExpectRect(s, 15, 9, 45, 25);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);

  // Bottom cut uses the position after the top cut.
  s = RECT{0, 0, 10, 50};
  x = 0;
  y = -10;
  ClipSourceToRect(x, y, s, RECT{0, 0, 100, 30});
  ExpectRect(s, 0, 10, 10, 40);
  EXPECT_EQ(y, 0);

  // Wholly outside: the source comes out empty or inverted, nothing is rejected.
  s = RECT{0, 0, 10, 10};
  x = 900;
  y = 10;
  ClipSourceToRect(x, y, s, clip);
  EXPECT_LE(s.right, s.left);

  s = RECT{0, 0, INT_MAX, INT_MAX};
  x = INT_MAX;
  y = INT_MAX;
  ClipSourceToRect(x, y, s, clip);  // no overflow
  EXPECT_LE(s.right, s.left);
  EXPECT_LE(s.bottom, s.top);
}

}  // namespace

// Clipping rectangles: the surface's clip rectangle and the routines every clipped drawing
// operation shares. Edges are computed in 64 bits so that extreme positions can't overflow.
#include <windows.h>

#include <cstdint>
#include <limits>

#include "qvsurface.h"

namespace {

LONG Saturate(int64_t value) {
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<LONG>(value);
}

int64_t Max(int64_t a, int64_t b) { return a > b ? a : b; }
int64_t Min(int64_t a, int64_t b) { return a < b ? a : b; }

}  // namespace

void Surface::SetClipRect(const RECT& rect) {
  clipRect.top = Saturate(Max(rect.top, 0));
  clipRect.left = Saturate(Max(rect.left, 0));
  clipRect.bottom = Saturate(Min(rect.bottom, height));
  clipRect.right = Saturate(Min(rect.right, width));
}

void Surface::GetClipRect(RECT& rect) const { rect = clipRect; }

int Surface::ClipToClipRect(RECT& rect) const {
  const RECT& k = clipRect;
  if (rect.top >= k.bottom || rect.left >= k.right || rect.bottom <= k.top || rect.right <= k.left)
    return 0;
  RECT cut = rect;
  if (cut.top < k.top) cut.top = k.top;
  if (cut.left < k.left) cut.left = k.left;
  if (cut.bottom > k.bottom) cut.bottom = k.bottom;
  if (cut.right > k.right) cut.right = k.right;
  // An inverted rectangle or clip rectangle leaves nothing to draw either: callers size their
  // copies from the result and must never see a negative width or height.
  if (cut.right <= cut.left || cut.bottom <= cut.top) return 0;
  rect = cut;
  return 1;
}

int Surface::ClipBlit(const Surface* dest, int& x, int& y, RECT& source) const {
  if (!dest) return 0;
  // Most blits lie wholly inside both clip rectangles, and then nothing moves.
  const RECT& own = clipRect;
  const RECT& k = dest->clipRect;
  if (source.left >= own.left && source.top >= own.top && source.right <= own.right &&
      source.bottom <= own.bottom && source.left < source.right && source.top < source.bottom &&
      x >= k.left && y >= k.top &&
      static_cast<int64_t>(x) + source.right - source.left <= k.right &&
      static_cast<int64_t>(y) + source.bottom - source.top <= k.bottom)
    return 1;
  // Cutting the source against its own clip rectangle does not move the position.
  if (!ClipToClipRect(source)) return 0;
  RECT target;
  target.left = x;
  target.top = y;
  target.right = Saturate(static_cast<int64_t>(x) + source.right - source.left);
  target.bottom = Saturate(static_cast<int64_t>(y) + source.bottom - source.top);
  const RECT unclipped = target;
  if (!dest->ClipToClipRect(target)) return 0;
  // Each source edge moves by as much as the same destination edge did.
  source.top = Saturate(static_cast<int64_t>(source.top) + target.top - y);
  source.left = Saturate(static_cast<int64_t>(source.left) + target.left - x);
  source.bottom = Saturate(static_cast<int64_t>(source.bottom) + target.bottom - unclipped.bottom);
  source.right = Saturate(static_cast<int64_t>(source.right) + target.right - unclipped.right);
  x = target.left;
  y = target.top;
  return 1;
}

void ClipSourceToRect(int& x, int& y, RECT& source, const RECT& clip) {
  // Right edge, then left: the left cut uses source.left as it came in, which the right cut
  // leaves alone.
  if (static_cast<int64_t>(x) + source.right - source.left > clip.right)
    source.right = Saturate(static_cast<int64_t>(clip.right) - x + source.left);
  if (x < clip.left) {
    source.left = Saturate(static_cast<int64_t>(source.left) + clip.left - x);
    x = clip.left;
  }
  if (y < clip.top) {
    source.top = Saturate(static_cast<int64_t>(source.top) + clip.top - y);
    y = clip.top;
  }
  if (static_cast<int64_t>(y) + source.bottom - source.top > clip.bottom)
    source.bottom = Saturate(static_cast<int64_t>(clip.bottom) - y + source.top);
}

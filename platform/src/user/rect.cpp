// Rectangle helpers. Rectangles are left/top inclusive, right/bottom exclusive.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "core/trace.h"

namespace {
LONG Clamp(int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }
bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
}  // namespace

namespace trace = plat::trace;

extern "C" {

BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
  QV_ENTRY_OR_RETURN("SetRect", trace::Ptr(lprc), trace::Dec(xLeft), trace::Dec(yTop),
                     trace::Dec(xRight), trace::Dec(yBottom));
  if (!lprc) return FALSE;
  *lprc = RECT{xLeft, yTop, xRight, yBottom};
  return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT lprc) {
  QV_ENTRY_OR_RETURN("SetRectEmpty", trace::Ptr(lprc));
  if (!lprc) return FALSE;
  *lprc = RECT{0, 0, 0, 0};
  return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy) {
  QV_ENTRY_OR_RETURN("OffsetRect", trace::Rect(lprc), trace::Dec(dx), trace::Dec(dy));
  if (!lprc) return FALSE;
  lprc->left = Clamp(static_cast<int64_t>(lprc->left) + dx);
  lprc->right = Clamp(static_cast<int64_t>(lprc->right) + dx);
  lprc->top = Clamp(static_cast<int64_t>(lprc->top) + dy);
  lprc->bottom = Clamp(static_cast<int64_t>(lprc->bottom) + dy);
  return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* lprc) {
  QV_ENTRY_OR_RETURN("IsRectEmpty", trace::Rect(lprc));
  return !lprc || Empty(*lprc) ? TRUE : FALSE;
}

BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2) {
  QV_ENTRY_OR_RETURN("IntersectRect", trace::Ptr(lprcDst), trace::Rect(lprcSrc1),
                     trace::Rect(lprcSrc2));
  if (!lprcDst) return FALSE;
  if (!lprcSrc1 || !lprcSrc2 || Empty(*lprcSrc1) || Empty(*lprcSrc2)) {
    *lprcDst = RECT{0, 0, 0, 0};
    return FALSE;
  }
  RECT r{std::max(lprcSrc1->left, lprcSrc2->left), std::max(lprcSrc1->top, lprcSrc2->top),
         std::min(lprcSrc1->right, lprcSrc2->right), std::min(lprcSrc1->bottom, lprcSrc2->bottom)};
  if (Empty(r)) {
    *lprcDst = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *lprcDst = r;
  return TRUE;
}

BOOL WINAPI PtInRect(const RECT* lprc, POINT pt) {
  QV_ENTRY_OR_RETURN("PtInRect", trace::Rect(lprc), trace::Dec(pt.x), trace::Dec(pt.y));
  if (!lprc) return FALSE;
  return (pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top && pt.y < lprc->bottom)
             ? TRUE
             : FALSE;
}

}  // extern "C"

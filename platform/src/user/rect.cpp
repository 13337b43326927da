// Rectangle helpers. Rectangles are left/top inclusive, right/bottom exclusive.
#include <windows.h>

#include <algorithm>
#include <climits>

namespace {
LONG Clamp(int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }
}  // namespace

extern "C" {

BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
  if (!lprc) return FALSE;
  *lprc = RECT{xLeft, yTop, xRight, yBottom};
  return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT lprc) {
  if (!lprc) return FALSE;
  *lprc = RECT{0, 0, 0, 0};
  return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  lprc->left = Clamp(static_cast<int64_t>(lprc->left) + dx);
  lprc->right = Clamp(static_cast<int64_t>(lprc->right) + dx);
  lprc->top = Clamp(static_cast<int64_t>(lprc->top) + dy);
  lprc->bottom = Clamp(static_cast<int64_t>(lprc->bottom) + dy);
  return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* lprc) {
  if (!lprc) return TRUE;
  return (lprc->right <= lprc->left || lprc->bottom <= lprc->top) ? TRUE : FALSE;
}

BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2) {
  if (!lprcDst) return FALSE;
  if (!lprcSrc1 || !lprcSrc2 || IsRectEmpty(lprcSrc1) || IsRectEmpty(lprcSrc2)) {
    SetRectEmpty(lprcDst);
    return FALSE;
  }
  RECT r{std::max(lprcSrc1->left, lprcSrc2->left), std::max(lprcSrc1->top, lprcSrc2->top),
         std::min(lprcSrc1->right, lprcSrc2->right), std::min(lprcSrc1->bottom, lprcSrc2->bottom)};
  if (IsRectEmpty(&r)) {
    SetRectEmpty(lprcDst);
    return FALSE;
  }
  *lprcDst = r;
  return TRUE;
}

BOOL WINAPI PtInRect(const RECT* lprc, POINT pt) {
  if (!lprc) return FALSE;
  return (pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top && pt.y < lprc->bottom)
             ? TRUE
             : FALSE;
}

}  // extern "C"

// Clipped, mirrored and scaled copies through the display device. Each clips the source
// rectangle and the placement against both surfaces' clip rectangles before the device sees
// them; the mirrored copies fall back on a pixel-by-pixel copy when the device can't mirror.
#include <windows.h>
#include <ddraw.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "blit/locked.h"
#include "qvsurface.h"

namespace {

using qvblit::Saturate32;
using qvblit::TruncToInt64;

HRESULT DeviceReady(const Surface& source, const Surface& dest) {
  return source.surface && dest.surface ? DD_OK : DDERR_NOTINITIALIZED;
}

// The device's answer to a lost source: restore it, and hand the error back undrawn.
HRESULT RestoreIfLost(Surface& source, HRESULT result) {
  if (result == DDERR_SURFACELOST) source.Restore();
  return result;
}

HRESULT CopyClipped(Surface& source, Surface* dest, int x, int y, RECT rect, DWORD flags) {
  if (!source.ClipBlit(dest, x, y, rect)) return E_FAIL;
  const HRESULT ready = DeviceReady(source, *dest);
  if (ready != DD_OK) return ready;
  return RestoreIfLost(source, dest->surface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y),
                                                      source.surface, &rect, flags));
}

// Pixel-by-pixel mirrored copy of `rect` into the w x h rectangle at (x, y).
HRESULT CopyMirroredByPixels(Surface& source, Surface& dest, int x, int y, const RECT& rect,
                             bool leftRight, bool keyed) {
  HRESULT result = source.Lock();
  if (FAILED(result)) return result;
  const bool same = &dest == &source;
  if (!same) {
    result = dest.Lock();
    if (FAILED(result)) {
      source.Unlock();
      return result;
    }
  }
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  for (int i = 0; i < h; ++i) {
    for (int j = 0; j < w; ++j) {
      const DWORD pixel = source.GetPixel(rect.left + j, rect.top + i);
      if (keyed && pixel == source.colorKey) continue;
      if (leftRight)
        dest.PutPixel(x + w - 1 - j, y + i, pixel);
      else
        dest.PutPixel(x + j, y + h - 1 - i, pixel);
    }
  }
  source.Unlock();
  if (!same) dest.Unlock();
  return 0;
}

HRESULT CopyMirrored(Surface& source, Surface* dest, int x, int y, RECT rect, bool leftRight,
                     bool keyed) {
  RECT own = rect;
  if (!source.ClipToClipRect(own)) return E_FAIL;
  RECT cut = own;
  if (!source.ClipBlit(dest, x, y, cut)) return E_FAIL;
  // The destination's clip cut the source on the same edge; mirrored, what falls off one edge
  // of the destination is the opposite edge of the source.
  if (leftRight) {
    const LONG shift = (own.right - cut.right) - (cut.left - own.left);
    cut.left += shift;
    cut.right += shift;
  } else {
    const LONG shift = (own.bottom - cut.bottom) - (cut.top - own.top);
    cut.top += shift;
    cut.bottom += shift;
  }
  RECT target = {x, y, x + (cut.right - cut.left), y + (cut.bottom - cut.top)};
  const HRESULT ready = DeviceReady(source, *dest);
  if (ready != DD_OK) return ready;

  DDBLTFX fx;
  std::memset(&fx, 0, sizeof(fx));
  fx.dwSize = sizeof(fx);
  fx.dwDDFX = leftRight ? DDBLTFX_MIRRORLEFTRIGHT : DDBLTFX_MIRRORUPDOWN;
  const DWORD flags = DDBLT_DDFX | DDBLT_WAIT | (keyed ? DDBLT_KEYSRC : 0);
  if (dest->surface->Blt(&target, source.surface, &cut, flags, &fx) == DD_OK) return 0;
  return CopyMirroredByPixels(source, *dest, x, y, cut, leftRight, keyed);
}

// The unclipped destination of a scaled copy. A destination edge that the clip moves by k
// pixels moves the same source edge by trunc(k * numerator / denominator) pixels, per axis.
struct Placement {
  RECT target;
  double horizontalNumerator;
  double horizontalDenominator;
  double verticalNumerator;
  double verticalDenominator;
};

int64_t SourceShift(int64_t cut, double numerator, double denominator) {
  return TruncToInt64(static_cast<double>(cut) * numerator / denominator);
}

HRESULT CopyPlaced(Surface& source, Surface* dest, RECT rect, const Placement& placement,
                   bool keyed) {
  RECT target = placement.target;
  if (target.right <= target.left || target.bottom <= target.top) {
    // An empty placement (a scale of 0) goes to the device as it is when it lies within the
    // destination's clip rectangle: there is no edge to move.
    const RECT& k = dest->clipRect;
    if (target.top >= k.bottom || target.left >= k.right || target.bottom <= k.top ||
        target.right <= k.left)
      return E_FAIL;
  } else {
    if (!dest->ClipToClipRect(target)) return E_FAIL;
    const RECT& t0 = placement.target;
    const Placement& p = placement;
    const int64_t cutTop = static_cast<int64_t>(target.top) - t0.top;
    const int64_t cutLeft = static_cast<int64_t>(target.left) - t0.left;
    const int64_t cutBottom = static_cast<int64_t>(t0.bottom) - target.bottom;
    const int64_t cutRight = static_cast<int64_t>(t0.right) - target.right;
    rect.top =
        Saturate32(rect.top + SourceShift(cutTop, p.verticalNumerator, p.verticalDenominator));
    rect.left = Saturate32(rect.left +
                           SourceShift(cutLeft, p.horizontalNumerator, p.horizontalDenominator));
    rect.bottom = Saturate32(rect.bottom -
                             SourceShift(cutBottom, p.verticalNumerator, p.verticalDenominator));
    rect.right = Saturate32(rect.right -
                            SourceShift(cutRight, p.horizontalNumerator, p.horizontalDenominator));
  }
  const HRESULT ready = DeviceReady(source, *dest);
  if (ready != DD_OK) return ready;
  const DWORD flags = DDBLT_WAIT | (keyed ? DDBLT_KEYSRC : 0);
  return RestoreIfLost(source, dest->surface->Blt(&target, source.surface, &rect, flags, nullptr));
}

// The rectangle at (left, top) of the given size, each edge computed in floating point and
// saturated to 32 bits, so that an absurd scale still gives a rectangle that covers the clip.
RECT PlacedRect(double left, double top, double width, double height) {
  RECT r;
  r.left = Saturate32(TruncToInt64(left));
  r.top = Saturate32(TruncToInt64(top));
  r.right = Saturate32(TruncToInt64(left + width));
  r.bottom = Saturate32(TruncToInt64(top + height));
  return r;
}

HRESULT Zoom(Surface& source, Surface* dest, int x, int y, RECT rect, float scale, bool keyed) {
  if (!dest) return E_FAIL;
  if (!source.ClipToClipRect(rect)) return E_FAIL;
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  if (!(scale >= 0.0f)) scale = 0.0f;  // negative or not a number
  const float scaledWidth = static_cast<float>(w) * scale;
  const float scaledHeight = static_cast<float>(h) * scale;
  const double top = std::trunc(h * 0.5 + y - scaledHeight * 0.5);
  const double left = std::trunc(w * 0.5 + x - scaledWidth * 0.5);
  Placement placement;
  placement.target = PlacedRect(left, top, std::trunc(scaledWidth), std::trunc(scaledHeight));
  // A non-empty placement implies a positive scale, so the division is defined where used.
  placement.horizontalNumerator = 1.0;
  placement.horizontalDenominator = scale;
  placement.verticalNumerator = 1.0;
  placement.verticalDenominator = scale;
  return CopyPlaced(source, dest, rect, placement, keyed);
}

HRESULT Resize(Surface& source, Surface* dest, int x, int y, RECT rect, int newWidth, int newHeight,
               bool keyed) {
  if (!dest) return E_FAIL;
  if (!source.ClipToClipRect(rect)) return E_FAIL;
  if (newWidth <= 0 || newHeight <= 0) return E_FAIL;
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  const double top = std::trunc(h * 0.5 + y - newHeight * 0.5);
  const double left = std::trunc(w * 0.5 + x - newWidth * 0.5);
  Placement placement;
  placement.target = PlacedRect(left, top, newWidth, newHeight);
  placement.horizontalNumerator = w;
  placement.horizontalDenominator = newWidth;
  placement.verticalNumerator = h;
  placement.verticalDenominator = newHeight;
  return CopyPlaced(source, dest, rect, placement, keyed);
}

}  // namespace

HRESULT Surface::BlitClipped(Surface* dest, int x, int y, RECT source) {
  return CopyClipped(*this, dest, x, y, source, DDBLTFAST_WAIT);
}

HRESULT Surface::BlitKeyedClipped(Surface* dest, int x, int y, RECT source) {
  return CopyClipped(*this, dest, x, y, source, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

HRESULT Surface::BlitClippedMirrorLeftRight(Surface* dest, int x, int y, RECT source) {
  return CopyMirrored(*this, dest, x, y, source, true, false);
}

HRESULT Surface::BlitClippedMirrorLeftRightKeyed(Surface* dest, int x, int y, RECT source) {
  return CopyMirrored(*this, dest, x, y, source, true, true);
}

HRESULT Surface::BlitClippedMirrorUpDown(Surface* dest, int x, int y, RECT source) {
  return CopyMirrored(*this, dest, x, y, source, false, false);
}

HRESULT Surface::BlitClippedMirrorUpDownKeyed(Surface* dest, int x, int y, RECT source) {
  return CopyMirrored(*this, dest, x, y, source, false, true);
}

HRESULT Surface::BlitZoom(Surface* dest, int x, int y, RECT source, float scale) {
  return Zoom(*this, dest, x, y, source, scale, false);
}

HRESULT Surface::BlitZoomKeyed(Surface* dest, int x, int y, RECT source, float scale) {
  return Zoom(*this, dest, x, y, source, scale, true);
}

HRESULT Surface::BlitResize(Surface* dest, int x, int y, RECT source, int newWidth, int newHeight) {
  return Resize(*this, dest, x, y, source, newWidth, newHeight, false);
}

HRESULT Surface::BlitResizeKeyed(Surface* dest, int x, int y, RECT source, int newWidth,
                                 int newHeight) {
  return Resize(*this, dest, x, y, source, newWidth, newHeight, true);
}

// Software blending blitters: a source rectangle combined with the destination pixel by pixel
// in locked memory (alpha map, constant weight, halves, shading, brightness). All ten share one
// frame: clip against both surfaces, lock, run the rule over the rows in the destination's
// format, unlock. The rule and the row loop are chosen once per call (blend_job.h).
#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "blit/blend_job.h"
#include "blit/locked.h"
#include "qvsurface.h"

namespace {

using qvblit::BlendJob;
using qvblit::BlendRule;

// Weights of the constant-weight rules: the low 16 bits, limited to 256.
uint32_t LimitedWeight(DWORD parameter) {
  const uint32_t weight = parameter & 0xFFFF;
  return weight > 256 ? 256 : weight;
}

// What a blitter asks for: the rule, whether the source's key is skipped, the rule's parameter.
// The job itself is filled in once, where it runs: built by each blitter and copied whole, it
// was read back before its fields' stores had landed.
struct Ask {
  BlendRule rule;
  bool keyed;
  uint32_t weight;
};

// Shrinks a copy of `source` at (x, y) to what both memories hold. False when nothing is left.
bool FitToMemory(int64_t& x, int64_t& y, int64_t& left, int64_t& top, int64_t& right,
                 int64_t& bottom, int64_t sourceWidth, int64_t sourceHeight,
                 const qvblit::LockedMemory& dest) {
  int64_t cut = 0;
  if (-left > cut) cut = -left;
  if (-x > cut) cut = -x;
  left += cut;
  x += cut;
  cut = 0;
  if (-top > cut) cut = -top;
  if (-y > cut) cut = -y;
  top += cut;
  y += cut;
  if (right > sourceWidth) right = sourceWidth;
  if (x + (right - left) > dest.width) right = left + (dest.width - x);
  if (bottom > sourceHeight) bottom = sourceHeight;
  if (y + (bottom - top) > dest.height) bottom = top + (dest.height - y);
  return right > left && bottom > top;
}

HRESULT Draw(Surface& source, Surface& dest, int x, int y, const RECT& rect, Ask ask) {
  const DWORD format = dest.pixelFormat.bitsPerPixel;
  // Palette indices can't be blended: nothing changes.
  if (format != 15 && format != 16 && format != 24 && format != 32) return 0;
  // Pixels of another size would be read at the wrong stride, past the end of the rows.
  if (qvblit::LockedDepth(source) != qvblit::LockedDepth(dest)) return DDERR_INVALIDPIXELFORMAT;

  const int bytes = qvblit::BytesPerPixel(format);
  const qvblit::LockedMemory from = qvblit::MemoryOf(source, bytes);
  const qvblit::LockedMemory to = qvblit::MemoryOf(dest, bytes);
  if (!from.Valid() || !to.Valid()) return E_FAIL;

  int64_t sourceWidth = from.width;
  int64_t sourceHeight = from.height;
  const BYTE* alphaMap = ask.rule == BlendRule::AlphaMap ? source.alphaMap : nullptr;
  if (alphaMap) {
    // The alpha map holds width x height weights.
    if (source.width < sourceWidth) sourceWidth = source.width;
    if (source.height < sourceHeight) sourceHeight = source.height;
  }
  int64_t dx = x, dy = y;
  int64_t left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
  if (!FitToMemory(dx, dy, left, top, right, bottom, sourceWidth, sourceHeight, to)) return E_FAIL;

  BlendJob job;
  job.rule = ask.rule;
  job.keyed = ask.keyed;
  job.weight = ask.weight;
  job.format = format;
  job.key = source.colorKey;
  job.dest = to.At(dx, dy);
  job.destPitch = to.pitch;
  job.source = from.At(left, top);
  job.sourcePitch = from.pitch;
  if (alphaMap) {
    job.alpha = alphaMap + top * source.width + left;
    job.alphaPitch = source.width;
  }
  job.width = right - left;
  job.height = bottom - top;
  // A surface onto itself may overlap its own rows: the pixel-by-pixel order is kept then.
  if (&source == &dest)
    qvblit::reference::Blend(job);
  else
    qvblit::Blend(job, qvblit::BestIsa());
  return 0;
}

// The frame shared by every blitter: clip, lock the source and then the destination, draw,
// unlock in the same order.
HRESULT Run(Surface& source, Surface* dest, int x, int y, RECT rect, Ask ask) {
  if (!source.ClipBlit(dest, x, y, rect)) return E_FAIL;
  HRESULT result = source.Lock();
  if (FAILED(result)) return result;
  // A surface blended onto itself is locked once: a second lock would be refused.
  const bool same = dest == &source;
  if (!same) {
    result = dest->Lock();
    if (FAILED(result)) {
      source.Unlock();
      return result;
    }
  }
  result = Draw(source, *dest, x, y, rect, ask);
  source.Unlock();
  if (!same) dest->Unlock();
  return result;
}

}  // namespace

HRESULT Surface::BlitAlphaMap(Surface* dest, int x, int y, RECT source) {
  if (!alphaMap) {
    BlitKeyedClipped(dest, x, y, source);
    return E_FAIL;
  }
  return Run(*this, dest, x, y, source, Ask{BlendRule::AlphaMap, true, 0});
}

HRESULT Surface::BlitHalfBlend(Surface* dest, int x, int y, RECT source) {
  return Run(*this, dest, x, y, source, Ask{BlendRule::HalfBlend, false, 0});
}

HRESULT Surface::BlitHalfBlendKeyed(Surface* dest, int x, int y, RECT source) {
  return Run(*this, dest, x, y, source, Ask{BlendRule::HalfBlend, true, 0});
}

HRESULT Surface::BlitAlpha(Surface* dest, int x, int y, RECT source, DWORD weight) {
  return Run(*this, dest, x, y, source, Ask{BlendRule::Alpha, false, LimitedWeight(weight)});
}

HRESULT Surface::BlitAlphaKeyed(Surface* dest, int x, int y, RECT source, DWORD weight) {
  return Run(*this, dest, x, y, source, Ask{BlendRule::Alpha, true, LimitedWeight(weight)});
}

HRESULT Surface::BlitShade(Surface* dest, int x, int y, RECT source, DWORD factor) {
  return Run(*this, dest, x, y, source, Ask{BlendRule::Shade, false, LimitedWeight(factor)});
}

HRESULT Surface::BlitShadeKeyed(Surface* dest, int x, int y, RECT source, DWORD factor) {
  return Run(*this, dest, x, y, source, Ask{BlendRule::Shade, true, LimitedWeight(factor)});
}

HRESULT Surface::BlitHalfShade(Surface* dest, int x, int y, RECT source) {
  return Run(*this, dest, x, y, source, Ask{BlendRule::HalfShade, false, 0});
}

HRESULT Surface::BlitHalfShadeKeyed(Surface* dest, int x, int y, RECT source) {
  return Run(*this, dest, x, y, source, Ask{BlendRule::HalfShade, true, 0});
}

HRESULT Surface::BlitFade(Surface* dest, int x, int y, RECT source, DWORD factor) {
  return Run(*this, dest, x, y, source, Ask{BlendRule::Fade, false, factor & 0xFFFF});
}

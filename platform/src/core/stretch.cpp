#include "core/stretch.h"

#include <algorithm>
#include <cstring>

namespace plat {

namespace {

// One axis: the source position of each destination position in [from, to), cut to the
// positions whose source lies inside [0, limit). The source position moves one way only along
// the axis, so the positions cut away are a prefix and a suffix; `first` is the first kept.
void MapAxis(int64_t dstStart, int64_t dstLength, int64_t srcStart, int64_t srcLength, bool mirror,
             MirrorOrder order, int64_t from, int64_t to, int64_t limit, int32_t* first,
             std::vector<int32_t>* out) {
  // i = iBase + iStep * d is the position within the destination span, reflected or not;
  // s = sBase + sStep * j the source position for the scaled j, reflected or not.
  const bool reflectDst = mirror && order == MirrorOrder::ReflectDestination;
  const bool reflectSrc = mirror && order == MirrorOrder::ReflectSource;
  const int64_t iStep = reflectDst ? -1 : 1;
  const int64_t iBase = reflectDst ? dstStart + dstLength - 1 : -dstStart;
  const int64_t sStep = reflectSrc ? -1 : 1;
  const int64_t sBase = reflectSrc ? srcStart + srcLength - 1 : srcStart;
  out->resize(static_cast<size_t>(to - from));
  int32_t* const kept = out->data();
  size_t count = 0;
  *first = static_cast<int32_t>(from);
  for (int64_t d = from; d < to; ++d) {
    const int64_t s = sBase + sStep * ((iBase + iStep * d) * srcLength / dstLength);
    if (s < 0 || s >= limit) {
      if (count == 0) *first = static_cast<int32_t>(d + 1);
      continue;
    }
    kept[count++] = static_cast<int32_t>(s);
  }
  out->resize(count);
}

// 16-bit pixels through memcpy: no alignment is assumed, and the compiler makes plain moves.
inline void CopyPixel16(uint8_t* d, const uint8_t* s) {
  uint16_t v;
  std::memcpy(&v, s, 2);
  std::memcpy(d, &v, 2);
}

}  // namespace

StretchPlan PlanStretch(const StretchRects& r, const RECT& clip, int32_t srcWidth,
                        int32_t srcHeight) {
  StretchPlan plan;
  if (r.dstWidth <= 0 || r.dstHeight <= 0 || r.srcWidth <= 0 || r.srcHeight <= 0) return plan;
  const int64_t x0 = std::max<int64_t>(r.dstLeft, clip.left);
  const int64_t x1 = std::min<int64_t>(r.dstLeft + r.dstWidth, clip.right);
  const int64_t y0 = std::max<int64_t>(r.dstTop, clip.top);
  const int64_t y1 = std::min<int64_t>(r.dstTop + r.dstHeight, clip.bottom);
  if (x0 >= x1 || y0 >= y1) return plan;
  MapAxis(r.dstLeft, r.dstWidth, r.srcLeft, r.srcWidth, r.mirrorLeftRight, r.mirrorOrder, x0, x1,
          srcWidth, &plan.left, &plan.columns);
  MapAxis(r.dstTop, r.dstHeight, r.srcTop, r.srcHeight, r.mirrorUpDown, r.mirrorOrder, y0, y1,
          srcHeight, &plan.top, &plan.rows);
  plan.straight = !plan.columns.empty();
  for (size_t i = 1; plan.straight && i < plan.columns.size(); ++i) {
    plan.straight = plan.columns[i] == plan.columns[i - 1] + 1;
  }
  return plan;
}

void StretchCopy(const PixelBuffer& dst, const PixelBuffer& src, const StretchPlan& plan,
                 const ColorKey& srcKey, const ColorKey& dstKey) {
  if (plan.Empty()) return;
  const ptrdiff_t bpp = dst.format.BytesPerPixel();
  const int32_t* const columns = plan.columns.data();
  const size_t count = plan.columns.size();
  const bool keyed = srcKey.enabled || dstKey.enabled;
  for (size_t r = 0; r < plan.rows.size(); ++r) {
    const uint8_t* srow = src.Row(plan.rows[r]);
    uint8_t* d = dst.At(plan.left, plan.top + static_cast<int>(r));
    if (!keyed && plan.straight) {
      std::memcpy(d, srow + columns[0] * bpp, count * bpp);
      continue;
    }
    if (!keyed && bpp == 2) {
      for (size_t i = 0; i < count; ++i) CopyPixel16(d + 2 * i, srow + 2 * columns[i]);
      continue;
    }
    for (size_t i = 0; i < count; ++i, d += bpp) {
      const uint32_t value = LoadPixel(srow + columns[i] * bpp, bpp);
      if (srcKey.Matches(value)) continue;
      if (dstKey.enabled && !dstKey.Matches(LoadPixel(d, bpp))) continue;
      StorePixel(d, bpp, value);
    }
  }
}

}  // namespace plat

// Nearest-neighbour scaling of one rectangle of pixels onto another, with mirroring: the
// geometry that DirectDraw's Blt and GDI's StretchBlt and StretchDIBits share, and the copy of
// raw pixels of one depth along it, with colour keys.
#ifndef QV_PLATFORM_CORE_STRETCH_H
#define QV_PLATFORM_CORE_STRETCH_H

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/pixels.h"

namespace plat {

// Destination column i of a span dw wide reads source column i * sw / dw, rounded down. A
// mirrored axis is reflected either before scaling, at the destination position
// (i -> dw - 1 - i: DirectDraw), or after it, at the source position that was read
// (j -> sw - 1 - j: GDI). Without scaling the two agree; scaled, they differ at some seams.
enum class MirrorOrder { ReflectDestination, ReflectSource };

// A stretch of the source rectangle onto the whole destination rectangle. Sizes are positive;
// 64 bits hold any sum of 32-bit caller coordinates.
struct StretchRects {
  int64_t dstLeft = 0, dstTop = 0, dstWidth = 0, dstHeight = 0;
  int64_t srcLeft = 0, srcTop = 0, srcWidth = 0, srcHeight = 0;
  bool mirrorLeftRight = false;
  bool mirrorUpDown = false;
  MirrorOrder mirrorOrder = MirrorOrder::ReflectSource;
};

// The destination pixels a stretch draws, from (left, top) on: the source column of each
// destination column and the source row of each destination row. Pixels outside the clip and
// pixels whose source lies outside the source image are not part of it.
struct StretchPlan {
  int32_t left = 0;
  int32_t top = 0;
  std::vector<int32_t> columns;
  std::vector<int32_t> rows;
  bool straight = false;  // the columns are one unbroken forward run: each row is a plain copy

  bool Empty() const { return columns.empty() || rows.empty(); }
};

// Plans the part of `rects` inside `clip` (destination coordinates, inside the destination
// image) for a source image of `srcWidth` x `srcHeight`.
StretchPlan PlanStretch(const StretchRects& rects, const RECT& clip, int32_t srcWidth,
                        int32_t srcHeight);

// Copies raw pixels along a plan; source and destination have the same bytes per pixel and do
// not overlap. Source pixels that `srcKey` matches are skipped; with `dstKey` enabled only
// destination pixels it matches are written.
void StretchCopy(const PixelBuffer& dst, const PixelBuffer& src, const StretchPlan& plan,
                 const ColorKey& srcKey, const ColorKey& dstKey);

}  // namespace plat

#endif

// The frame drawn into the window's own pixels in one pass: converted to 0x00RRGGBB and scaled
// with the player's filter, for presenting without a graphics card (or with a software
// OpenGL, which scales more slowly still).
//
// Every filter is planned the same way, one axis at a time: each output column (and row) reads
// one source pixel and blends in the next by a weight of 0 to 255 (out of 256).
//   nearest  the source pixel under the output pixel's centre, weight 0
//   linear   the two source pixels around the centre, weighted by distance
//   sharp    nearest, except on the one output pixel that straddles the border of two source
//            pixels, which takes them in proportion to how much of it each covers: crisp
//            pixels, and no uneven widths where the scale is not whole. At a whole scale it is
//            nearest; below 1 it is linear.
#ifndef QV_PLATFORM_BACKEND_SDL_PICTURE_SCALER_H
#define QV_PLATFORM_BACKEND_SDL_PICTURE_SCALER_H

#include <cstdint>
#include <vector>

#include "core/pixels.h"
#include "core/settings.h"

namespace plat::sdl {

struct Area {
  int x = 0, y = 0, w = 0, h = 0;
};

// Where a frame's picture lies in an output of the given size: `fit`, the largest with the
// frame's aspect kept; `integer`, the largest whole multiple that fits (the frame as it is when
// none does, cut at the output's edges), centred on black.
Area PictureArea(int frameWidth, int frameHeight, int outputWidth, int outputHeight,
                 Scaling scaling);

// One output pixel's reading along one axis: source pixel `index`, blended with index + 1 by
// weight / 256 (index + 1 is always inside the source when the weight is not 0).
struct Tap {
  int32_t index;
  uint32_t weight;
};
std::vector<Tap> PlanAxis(int sourceSize, int outputSize, Filter filter);

// Draws `frame` scaled into `area` of an output of 0x00RRGGBB pixels, `pitch` pixels from one
// row to the next (`area` must lie inside it). Only the rows whose source rows changed since the
// last frame are drawn, unless told to draw everything: a game's frame mostly repeats the last
// one, and the window system then only needs the rows drawn. The plans are kept from one frame
// to the next; conversion and blending use the widest vectors the processor has (SSE2,
// AVX2), chosen at run time.
class PictureScaler {
 public:
  // Runs of output rows, counted from the output's top.
  struct Rows {
    int first, count;
  };
  // Draws the picture's rows that differ from the last frame drawn; every row when `everything`
  // is set (new output pixels, or ones changed by others), for 8-bit frames (whose palette may
  // have changed) and when the frame's size, the area or the filter changed. Returns the rows
  // drawn.
  const std::vector<Rows>& Draw(const PixelBuffer& frame, Filter filter, uint32_t* output,
                                int pitch, Area area, bool everything = true);

 private:
  // Source row y scaled across, from the two kept last (in an output row drawn earlier in this
  // frame, or a buffer of the scaler's), else made now, into `into` when given.
  const uint32_t* ScaledRow(const PixelBuffer& frame, int y, uint32_t* into = nullptr);

  int frameWidth_ = 0, frameHeight_ = 0, areaWidth_ = 0, areaHeight_ = 0;
  Filter filter_ = Filter::Sharp;
  std::vector<Tap> columns_, rows_;
  bool columnsBlend_ = false;                        // some column takes two source pixels
  std::vector<int32_t> columnIndex_, columnWeight_;  // the columns' taps, as the loops read them
  std::vector<uint32_t> sourceRow_;
  std::vector<uint32_t> cached_[2];
  int cachedY_[2] = {-1, -1};
  const uint32_t* cachedRow_[2] = {nullptr, nullptr};
  int nextSlot_ = 0;
  std::vector<uint8_t> lastFrame_;  // the last frame's bytes, row after row
  enum RowState : uint8_t { kUnknown, kSame, kChanged };
  std::vector<uint8_t> changed_;  // per source row: whether it differs from the last frame's
  std::vector<Rows> drawn_;
};

// The same picture pixel by pixel, plainly: the reference the scaler is checked against.
void DrawPictureReference(const PixelBuffer& frame, Filter filter, uint32_t* output, int pitch,
                          Area area);

// One frame row as 0x00RRGGBB; 5-6-5 rows through two small tables.
void RowToXrgb(const PixelBuffer& frame, int y, uint32_t* out);

}  // namespace plat::sdl

#endif

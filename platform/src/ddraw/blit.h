// The pixel loops behind Blt and BltFast: fills, plain and keyed copies, and the general
// nearest-neighbour stretch with mirroring and colour keys. Callers validate and clip first:
// every rectangle given here lies inside its surface.
#ifndef QV_PLATFORM_DDRAW_BLIT_H
#define QV_PLATFORM_DDRAW_BLIT_H

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/pixels.h"

namespace plat::ddraw {

// A surface's source or destination colour key.
using Key = ColorKey;

// Fills `rect` of `dst` with a raw pixel value (already cut to the pixel depth).
void Fill(const PixelBuffer& dst, const RECT& rect, uint32_t raw);

// Copies `srcRect` of `src` to (x, y) of `dst` without scaling. `srcKey` skips source pixels,
// `dstKey` writes only over destination pixels that match it. The two buffers must not overlap.
void Copy(const PixelBuffer& dst, int x, int y, const PixelBuffer& src, const RECT& srcRect,
          const Key& srcKey, const Key& dstKey);

// The opaque runs of a keyed source, row by row: what a keyed copy of a sprite that is drawn
// often and rarely changed needs to copy.
struct KeyedRuns {
  struct Run {
    uint16_t x;
    uint16_t length;
  };
  std::vector<uint32_t> rowStart;  // height + 1 indexes into `runs`
  std::vector<Run> runs;
  uint64_t opaquePixels = 0;

  // Whether copying run by run beats a select of every pixel by a compare mask: a walk over
  // runs of a few pixels, whose lengths the processor can't predict, costs more than the
  // select, which takes the same time whatever the key pixels' pattern.
  bool WorthWalking() const { return opaquePixels >= 16 * static_cast<uint64_t>(runs.size()); }
};

// Finds the runs of pixels of `src` that the key does not remove.
void BuildRuns(const PixelBuffer& src, const Key& key, KeyedRuns* out);

// Keyed copy through the runs of the whole source surface `runs` was built from.
void CopyRuns(const PixelBuffer& dst, int x, int y, const PixelBuffer& src, const RECT& srcRect,
              const KeyedRuns& runs);

// Scales `srcRect` onto the destination rectangle `dstFull` by nearest neighbour, drawing only
// the part inside `dstClip` (which lies inside `dstFull`). Mirroring flips the source
// left-right and/or up-down, reflecting the destination position before scaling
// (MirrorOrder::ReflectDestination). The two buffers must not overlap.
void Stretch(const PixelBuffer& dst, const RECT& dstFull, const RECT& dstClip,
             const PixelBuffer& src, const RECT& srcRect, bool mirrorLeftRight, bool mirrorUpDown,
             const Key& srcKey, const Key& dstKey);

}  // namespace plat::ddraw

#endif

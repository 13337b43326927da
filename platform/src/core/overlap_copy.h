// A copy whose source and destination are the same pixel memory (a surface or a bitmap drawn
// onto itself) would read pixels it has already overwritten. DirectDraw's Blt and BltFast and
// GDI's copies all read such a source from a copy of the part they read, made here.
#ifndef QV_PLATFORM_CORE_OVERLAP_COPY_H
#define QV_PLATFORM_CORE_OVERLAP_COPY_H

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/pixels.h"

namespace plat {

// Whether the rows of `a` and `b` share any byte of memory.
bool SharesMemory(const PixelBuffer& a, const PixelBuffer& b);

// The pixels a copy into `dst` may read the rectangle `*part` of `src` from: `src` itself when
// the two share no memory; otherwise a copy of `*part` kept in `storage`, with `*part` moved to
// the copy's coordinates. `*part` lies inside `src`.
PixelBuffer OverlapSafeSource(const PixelBuffer& dst, const PixelBuffer& src, RECT* part,
                              std::vector<uint8_t>* storage);

}  // namespace plat

#endif

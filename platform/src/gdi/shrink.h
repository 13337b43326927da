// Shrinking in the BLACKONWHITE and WHITEONBLACK stretch modes: the source pixels that fall on
// one destination pixel are combined (AND, or OR) instead of all but one being dropped, so thin
// dark (or light) lines survive the shrink.
#ifndef QV_PLATFORM_GDI_SHRINK_H
#define QV_PLATFORM_GDI_SHRINK_H

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/pixels.h"

namespace plat::gdi {

// The source rectangle reduced along each shrinking axis: `reduced` (backed by `storage`)
// holds one pixel per destination pixel there, each the combination of its group, and the
// rectangle to read from it replaces (xSrc, ySrc, wSrc, hSrc), signs kept. False when the
// source is read as it is: COLORONCOLOR or HALFTONE, nothing shrinks, palette indexes, or a
// rectangle reaching outside the source.
bool CombineShrunkPixels(int mode, const PixelBuffer& src, int* xSrc, int* ySrc, int* wSrc,
                         int* hSrc, int wDst, int hDst, std::vector<uint8_t>* storage,
                         PixelBuffer* reduced);

}  // namespace plat::gdi

#endif

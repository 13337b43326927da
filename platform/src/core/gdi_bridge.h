// How DirectDraw hands a surface's pixels to GDI: IDirectDrawSurface4::GetDC makes a device
// context that draws straight into the surface's memory, ReleaseDC ends it.
#ifndef QV_PLATFORM_CORE_GDI_BRIDGE_H
#define QV_PLATFORM_CORE_GDI_BRIDGE_H

#include <windows.h>

#include "core/pixels.h"

namespace plat::gdi {

// A device context drawing into pixel memory owned by the caller, which keeps the memory (and
// the palette the view points at) alive until ReleaseDCForPixels.
HDC CreateDCForPixels(const PixelBuffer& pixels);
// Ends a device context made by CreateDCForPixels. False for any other handle.
bool ReleaseDCForPixels(HDC dc);

}  // namespace plat::gdi

#endif

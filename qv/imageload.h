/// @file imageload.h
/// Image loading: bitmaps onto DirectDraw surfaces, palettes for 8-bit modes, colour matching
/// and the pixel-format record of a surface.
#ifndef QV_IMAGELOAD_H
#define QV_IMAGELOAD_H

#include <windows.h>
#include <ddraw.h>

struct PixelFormatInfo;

/// A new DirectDraw surface holding the bitmap of that name (a resource of the program's module
/// first, a file second), or null. On success the bitmap's size goes to *width and *height.
/// `memory` is the surface memory type (0 video, 1 system, other: DirectDraw chooses; low 8 bits).
IDirectDrawSurface4* LoadBitmapSurface(IDirectDraw4* directDraw, LPCSTR fileName, int* width,
                                       int* height, int memory);

/// As LoadBitmapSurface, with the bitmap scaled to width x height by the loader (0 keeps the
/// bitmap's own size).
IDirectDrawSurface4* LoadBitmapSurfaceSized(IDirectDraw4* directDraw, LPCSTR fileName, int width,
                                            int height, int memory);

/// A new plain off-screen surface in memory of DirectDraw's choosing, or null. `desc`, when
/// given, receives the description it was created from.
IDirectDrawSurface4* CreateOffscreenSurface(IDirectDraw4* directDraw, int width, int height,
                                            DDSURFACEDESC2* desc = nullptr);

/// Reloads the named bitmap into an existing surface, stretched to the surface's size.
HRESULT ReloadBitmap(IDirectDrawSurface4* surface, LPCSTR fileName);

/// Stretches the part (x, y, dx, dy) of a GDI bitmap onto the whole surface; dx or dy 0 means
/// the bitmap's own width or height.
HRESULT CopyBitmap(IDirectDrawSurface4* surface, HBITMAP bitmap, int x, int y, int dx, int dy);

/// A 256-entry palette: the colour table of the named bitmap (resource or file) over the
/// built-in 3-3-2 colour cube, or the cube alone when name is null. Null on failure.
IDirectDrawPalette* LoadPalette(IDirectDraw4* directDraw, LPCSTR name);

/// The raw pixel value that the surface stores for a colour; CLR_INVALID asks for the current
/// top-left pixel. 0xFFFFFFFF when the surface can't be locked.
DWORD ColorMatch(IDirectDrawSurface4* surface, COLORREF color);

/// Sets the surface's source colour key to the pixel value matching `color`.
HRESULT SetColorKeyFromColor(IDirectDrawSurface4* surface, COLORREF color);

/// Fills *info with the surface's channel masks, shifts and depth. 1 on success, 0 when the
/// description can't be read or the format is not RGB.
int GetPixelFormatInfo(IDirectDrawSurface4* surface, PixelFormatInfo* info);

#endif

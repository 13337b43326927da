/// @file qvsurface.h
/// Surface: one image of the engine. A DirectDraw off-screen surface with a stored source
/// rectangle, destination rectangle and source colour key, drawn onto another Surface through
/// the draw operations of its virtual table. The Screen's front and back buffers are Surfaces.
#ifndef QV_QVSURFACE_H
#define QV_QVSURFACE_H

#include <windows.h>
#include <ddraw.h>

#include <cstdio>

class Screen;
class FileContainer;

/// Channel layout of a surface's pixels. Masks are shifted down to bit 0 (31 for a 5-bit
/// channel, 63 for a 6-bit one); shifts are the bit position of each channel's lowest bit.
/// bitsPerPixel: 8 or less for palette formats, 15 (5-5-5), 16 (5-6-5), 24, 32; 0 for any other
/// format. Bytes per pixel in software drawing are (bitsPerPixel + 1) / 8.
struct PixelFormatInfo {
  BYTE blueMask;       ///< Blue channel mask, shifted down.
  BYTE greenMask;      ///< Green channel mask, shifted down.
  BYTE redMask;        ///< Red channel mask, shifted down.
  BYTE reservedMask;   ///< Alpha or unused bits' mask, shifted down.
  BYTE blueShift;      ///< Bit position of blue's lowest bit.
  BYTE greenShift;     ///< Bit position of green's lowest bit.
  BYTE redShift;       ///< Bit position of red's lowest bit.
  BYTE reservedShift;  ///< Bit position of the alpha or unused bits.
  DWORD bitsPerPixel;  ///< 8 or less, 15, 16, 24, 32; 0 for another format.
};

/// Where a surface's memory is asked for. Only the low 8 bits of the value are looked at:
/// 0 video memory, 1 system memory, anything else lets DirectDraw choose.
enum SurfaceMemory : int {
  VideoMemory = 0,   ///< video memory
  SystemMemory = 1,  ///< system memory
  AnyMemory = 2,     ///< DirectDraw chooses
};

/// One image: a DirectDraw surface with its rectangles, colour key and clip rectangle.
class Surface {
 public:
  // ---- Construction --------------------------------------------------------------------------
  /// An empty surface: no DirectDraw surface, rectangles 0, colorKey 0xFFFFFFFF.
  Surface();
  /// Empty surface followed by Create(screen, width, height, memory); the result is dropped.
  Surface(Screen* screen, int width, int height, SurfaceMemory memory);
  /// Empty surface followed by Create(screen, fileName, memory); the result is dropped.
  Surface(Screen* screen, const char* fileName, SurfaceMemory memory);
  /// A new DirectDraw surface of the same description with the source drawn onto it.
  Surface(const Surface& other);
  /// Not assignable (the copy constructor copies the pixels).
  Surface& operator=(const Surface&) = delete;

  // ---- Draw operations (virtual slots 0 to 10, in this order) --------------------------------
  /// Slot 0: frees the font, releases a held DC, frees the alpha map, releases the DirectDraw
  /// surface and the reference taken on the Screen's DirectDraw object.
  virtual ~Surface();
  /// Slot 1: Blt of sourceRect onto destRect (both of this surface) on the target, DDBLT_WAIT.
  virtual HRESULT Blit(Surface* target);
  /// Slot 2: BltFast of sourceRect to (x, y), DDBLTFAST_WAIT.
  virtual HRESULT BlitAt(int x, int y, Surface* target);
  /// Slot 3: BltFast of sourceRect to (x, y) with the source colour key.
  virtual HRESULT BlitKeyedAt(int x, int y, Surface* target);
  /// Slot 4: as BlitKeyedAt after clipping a copy of sourceRect and (x, y) to `clip`.
  virtual HRESULT BlitKeyedClippedAt(int x, int y, Surface* target, const RECT& clip);
  /// Slot 5: Blt of the whole surface onto the client area of the Screen's window.
  virtual HRESULT BlitToWindow(Surface* target);
  /// Slot 6: Blt of sourceRect onto (x, y, x + width * factorX, y + height * factorY) with the
  /// source colour key; the rectangle is stored in destRect.
  virtual HRESULT BlitStretched(int x, int y, int factorX, int factorY, Surface* target);
  /// Slot 7: Blt of sourceRect onto (x, y, x + trunc(width * factor), y + trunc(height *
  /// factor)) with the source colour key; the rectangle is stored in destRect.
  virtual HRESULT BlitScaled(int x, int y, float factor, Surface* target);
  /// Slot 8: Blt of sourceRect onto the same rectangle of the target, mirrored left to right.
  virtual HRESULT BlitMirroredLeftRight(int x, int y, Surface* target);
  /// Slot 9: Blt of sourceRect onto the same rectangle of the target, mirrored up and down.
  virtual HRESULT BlitMirroredUpDown(int x, int y, Surface* target);
  /// Slot 10: reserved; does nothing.
  virtual void ReservedBlit(int a, int b, int c, int d, int e);

  // ---- Creation (1 success, 0 failure) -------------------------------------------------------
  /// A new blank surface of that size in the Screen's pixel format.
  int Create(Screen* screen, int width, int height, SurfaceMemory memory);
  /// A BMP through the image loader (resource, then file); a PSD when that fails and the file
  /// starts with "8BPS". The surface keeps the caller's fileName pointer.
  int Create(Screen* screen, const char* fileName, SurfaceMemory memory);
  /// File readers (qv/surface_files.cpp).
  int CreateFromPsd(Screen* screen, const char* fileName, SurfaceMemory memory);
  /// A BMP read from an open file at its current position; size counts the BMP's bytes from
  /// its first byte, 0 means the header's bfSize. The file stays open.
  int CreateFromBitmapStream(Screen* screen, std::FILE* file, SurfaceMemory memory, DWORD size);
  /// The same with the arguments in the other order.
  int CreateFromBitmapStream(Screen* screen, std::FILE* file, DWORD size, SurfaceMemory memory);
  /// The BMP of an archive entry: the container's stream moved to the entry's data, read with
  /// the entry's size as the BMP's size. 0 for an index outside the table or an empty entry.
  int CreateFromContainer(Screen* screen, FileContainer* container, int index,
                          SurfaceMemory memory);
  /// Reads an 8-bit BMP of the surface's size as the alpha map BlitAlphaMap uses: 1 or 0.
  int LoadAlphaMap(const char* fileName);

  // ---- Rectangles and colour key -------------------------------------------------------------
  /// Arguments in the order top, left, bottom, right; stored as RECTs. No checking.
  void SetSourceRect(LONG top, LONG left, LONG bottom, LONG right);
  /// As SetSourceRect, for destRect.
  void SetDestRect(LONG top, LONG left, LONG bottom, LONG right);
  /// Stores the raw pixel value as the source colour key and sets it on the DirectDraw surface.
  HRESULT SetColorKey(DWORD key);
  /// Takes the key from the top-left pixel (0xFFFFFFFF when the surface can't be locked).
  void SetColorKey();

  // ---- Pixel and GDI access ------------------------------------------------------------------
  /// Locks the whole surface into desc (lpSurface, lPitch); restores a lost surface and tries
  /// again, a bounded number of times.
  HRESULT Lock();
  /// Unlocks after Lock.
  HRESULT Unlock();
  /// A GDI device context on the surface, kept in `dc` until ReleaseDC.
  HDC GetDC();
  /// Gives the device context back.
  void ReleaseDC();
  /// Text through GDI (qv/surface_text.cpp). Need a DC held with GetDC.
  void SetFont(const char* faceName, int width, int height, int weight);
  /// Selects the surface's font into the held DC; the previous font.
  HGDIOBJ SelectFont();
  /// One line of text at (x, y), transparent background.
  BOOL DrawText(int x, int y, COLORREF color, const char* text);
  /// Text word-wrapped in the rectangle; the height of the text drawn.
  int DrawTextInRect(const char* text, COLORREF color, RECT* rect);
  /// Inverts every bit of every pixel in the rectangle, clamped to the surface. Returns 0.
  HRESULT InvertRect(int left, int top, int right, int bottom);
  /// Restores the DirectDraw surface (the front buffer's for a full-screen back buffer) and
  /// reloads the image file if the surface has one.
  void Restore();

  // ---- Colour fills by the display device ----------------------------------------------------
  /// Fills the whole surface with a raw pixel value.
  HRESULT Fill(DWORD color);
  /// Fills a rectangle (right and bottom exclusive) with a raw pixel value.
  HRESULT FillRect(LONG left, LONG top, LONG right, LONG bottom, DWORD color);

  // ---- Clipping (qv/blit/clip.cpp) -----------------------------------------------------------
  /// Stores the rectangle kept inside the surface: left, top >= 0; right <= width, bottom <=
  /// height. An inverted rectangle is stored as it comes out.
  void SetClipRect(const RECT& rect);
  /// The stored clip rectangle.
  void GetClipRect(RECT& rect) const;
  /// Cuts `rect` to clipRect: 1 when something is left, 0 (rect unchanged) when it lies wholly
  /// outside.
  int ClipToClipRect(RECT& rect) const;
  /// Clips a blit of `source` from this surface to (x, y) on `dest` against both clip
  /// rectangles: 1 when something is left to draw, 0 otherwise (also for a null dest).
  int ClipBlit(const Surface* dest, int& x, int& y, RECT& source) const;

  // ---- Software blending blitters (qv/blit/blend.cpp) ----------------------------------------
  /// Each combines `source` of this surface with `dest` at (x, y), pixel by pixel in locked
  /// memory, after clipping against both clip rectangles. E_FAIL when clipping leaves nothing,
  /// else 0; a destination in a palette format is left unchanged. The keyed forms skip source
  /// pixels equal to colorKey.
  /// dest + (src - dest) * a / 256, a from the alpha map; without one: BlitKeyedClipped, E_FAIL.
  HRESULT BlitAlphaMap(Surface* dest, int x, int y, RECT source);
  HRESULT BlitHalfBlend(Surface* dest, int x, int y, RECT source);  ///< dest / 2 + src / 2
  /// As BlitHalfBlend, skipping source pixels equal to colorKey.
  HRESULT BlitHalfBlendKeyed(Surface* dest, int x, int y, RECT source);
  /// src + (dest - src) * weight / 256, weight limited to 256 (0 copies, 256 keeps dest).
  HRESULT BlitAlpha(Surface* dest, int x, int y, RECT source, DWORD weight);
  /// As BlitAlpha, skipping source pixels equal to colorKey.
  HRESULT BlitAlphaKeyed(Surface* dest, int x, int y, RECT source, DWORD weight);
  /// dest * factor / 256, factor limited to 256; the source only masks (keyed form).
  HRESULT BlitShade(Surface* dest, int x, int y, RECT source, DWORD factor);
  /// As BlitShade, only under source pixels other than colorKey.
  HRESULT BlitShadeKeyed(Surface* dest, int x, int y, RECT source, DWORD factor);
  HRESULT BlitHalfShade(Surface* dest, int x, int y, RECT source);  ///< dest / 2
  /// As BlitHalfShade, only under source pixels other than colorKey.
  HRESULT BlitHalfShadeKeyed(Surface* dest, int x, int y, RECT source);
  /// src * factor / 256 written over dest (256 copies, 0 is black); channels saturate.
  HRESULT BlitFade(Surface* dest, int x, int y, RECT source, DWORD factor);

  // ---- Pixels, lines and shapes (qv/blit/primitives.cpp) -------------------------------------
  /// The caller locks the surface around these. Pixels are in the Screen's format (its
  /// bitsPerPixel); everything outside clipRect or the locked memory is dropped.
  /// Inline for 15- and 16-bit screens (qvscreen.h); the other formats go to PutPixelAnyFormat.
  inline void PutPixel(int x, int y, DWORD color);
  /// Each channel becomes d + (color - d) * weight / 256; palette formats store the colour.
  void PutPixelAlpha(int x, int y, DWORD color, DWORD weight);
  /// The raw pixel (0xRRGGBB for 24 bits); 0 outside the locked memory.
  DWORD GetPixel(int x, int y);
  void DrawHLine(int x1, int x2, int y, DWORD color);  ///< both ends included
  void DrawVLine(int y1, int y2, int x, DWORD color);  ///< both ends included
  /// A line from (x1, y1) to (x2, y2), both ends included.
  void DrawLine(int x1, int y1, int x2, int y2, DWORD color);
  /// A line with its edge pixels blended into what lies under them.
  void DrawLineAntialiased(int x1, int y1, int x2, int y2, DWORD color);
  /// A rectangle's outline, corners included.
  void DrawRect(int x1, int y1, int x2, int y2, DWORD color);
  /// A rectangle's outline with rounded corners of that radius.
  void DrawRoundedRect(int x1, int y1, int x2, int y2, int radius, DWORD color);
  /// A circle's outline about (cx, cy).
  void DrawCircle(int cx, int cy, int radius, DWORD color);
  /// Rows cy - radius to cy + radius - 1.
  void FillCircle(int cx, int cy, int radius, DWORD color);

  /// PutPixel in every format, with every check: the path the inline one takes for the formats
  /// it doesn't store itself, and its reference.
  void PutPixelAnyFormat(int x, int y, DWORD color);

  // ---- Clipped, mirrored and scaled blits (qv/blit/clipped.cpp) ------------------------------
  /// Copies of `source` of this surface to (x, y) on `dest` by the display device, clipped
  /// against both clip rectangles: E_FAIL when nothing is left, else the device's result
  /// (the mirrored forms answer 0 once drawn, by the device or pixel by pixel).
  HRESULT BlitClipped(Surface* dest, int x, int y, RECT source);
  /// As BlitClipped, with the source colour key.
  HRESULT BlitKeyedClipped(Surface* dest, int x, int y, RECT source);
  /// As BlitClipped, mirrored left to right.
  HRESULT BlitClippedMirrorLeftRight(Surface* dest, int x, int y, RECT source);
  /// As BlitClippedMirrorLeftRight, with the source colour key.
  HRESULT BlitClippedMirrorLeftRightKeyed(Surface* dest, int x, int y, RECT source);
  /// As BlitClipped, mirrored up and down.
  HRESULT BlitClippedMirrorUpDown(Surface* dest, int x, int y, RECT source);
  /// As BlitClippedMirrorUpDown, with the source colour key.
  HRESULT BlitClippedMirrorUpDownKeyed(Surface* dest, int x, int y, RECT source);
  /// Scaled by `scale` about the centre of the unscaled placement; a negative scale acts as 0.
  HRESULT BlitZoom(Surface* dest, int x, int y, RECT source, float scale);
  /// As BlitZoom, with the source colour key.
  HRESULT BlitZoomKeyed(Surface* dest, int x, int y, RECT source, float scale);
  /// Resized to newWidth x newHeight about the same centre; E_FAIL for a size that is not
  /// positive.
  HRESULT BlitResize(Surface* dest, int x, int y, RECT source, int newWidth, int newHeight);
  /// As BlitResize, with the source colour key.
  HRESULT BlitResizeKeyed(Surface* dest, int x, int y, RECT source, int newWidth, int newHeight);

  // ---- Fields, in this order -----------------------------------------------------------------
  int width;                     ///< Width in pixels.
  int height;                    ///< Height in pixels.
  const char* fileName;          ///< the caller's text, not copied
  HDC dc;                        ///< held between GetDC and ReleaseDC
  DWORD colorKey;                ///< raw pixel value in the surface's own format
  RECT sourceRect;               ///< The part of this surface Blit draws.
  RECT destRect;                 ///< Where Blit draws on the target.
  HFONT font;                    ///< owned
  DDSURFACEDESC2 desc;           ///< creation description; after Lock, lpSurface and lPitch
  LPDIRECTDRAWSURFACE4 surface;  ///< owned
  Screen* screen;                ///< not owned
  RECT clipRect;                 ///< Drawing onto this surface stays inside it.
  PixelFormatInfo pixelFormat;   ///< The surface's channel layout.
  /// Set by a successful Lock when the screen has 15 or 16 bits and the lock described its
  /// pitch, width and height, so that the inline PutPixel may store directly; cleared by
  /// Unlock. (In the padding before alphaMap: the surface does not grow.)
  DWORD lockedDirect16;
  BYTE* alphaMap;  ///< owned, width * height bytes row by row, or null

 private:
  /// The draw operations' answer to a lost surface: restore, and hand the error back.
  HRESULT RestoreIfLost(HRESULT result);
  /// Draws the PSD file the surface was made from into it again; 0 when it can't.
  int ReloadPsd();
  /// DD_OK when both this surface and the target hold a DirectDraw surface.
  HRESULT CheckDraw(const Surface* target) const;
  /// Gives back a held DC and releases the DirectDraw surface before a re-creation.
  void ReleaseContents();
  /// Keeps exactly one reference on the DirectDraw object the surface was created on.
  void HoldDirectDraw(LPDIRECTDRAW4 directDraw);
  /// The DirectDraw object this surface holds a reference on, or null (the Screen's buffers
  /// take none).
  LPDIRECTDRAW4 directDrawRef;

  /// Sets lockedDirect16 from the description a Lock left.
  void NoteLockForPixels();
};

/// Clips a blit of `source` to (x, y) against `clip`: the right, left, top and bottom edges in
/// that order; the position moves right or down by what was cut on the left or top. A blit
/// placed wholly outside leaves `source` empty or inverted.
void ClipSourceToRect(int& x, int& y, RECT& source, const RECT& clip);

// The Screen, whose pixel depth the inline PutPixel reads, and PutPixel itself.
#include "qvscreen.h"

#endif

// BitmapFont: text drawn by copying glyph cells from an atlas Surface that GDI painted once
// with the characters 0 to 127 of one font. Drawing costs one BltFast per character.
#ifndef QV_BITMAPFONT_H
#define QV_BITMAPFONT_H

#include <windows.h>
#include <ddraw.h>

#include "qvsurface.h"

class Screen;

// One atlas cell: a RECT in atlas coordinates (right and bottom exclusive, usable as the source
// rectangle of BltFast) and the character's extent as GDI measures it.
struct Glyph {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
  LONG width;
  LONG height;
};

class BitmapFont {
 public:
  // Builds the atlas. `memoryType` is accepted for the caller's sake; the atlas always lets
  // DirectDraw choose its memory.
  BitmapFont(Screen* screen, const char* faceName, int fontHeight, COLORREF textColor,
             DWORD colorKey, COLORREF backgroundColor, int fontWeight, int memoryType);
  // "Courier", height 12, white text, colour key 0, background 0, weight 400.
  explicit BitmapFont(Screen* screen);
  ~BitmapFont();
  BitmapFont(const BitmapFont&) = delete;
  BitmapFont& operator=(const BitmapFont&) = delete;

  // Measures the 128 characters, lays out the cells and creates and paints a new atlas.
  void Build(Screen* screen, const char* faceName, int fontHeight, COLORREF textColor,
             DWORD colorKey, COLORREF backgroundColor, int fontWeight, int memoryType);
  // Paints every glyph into its cell of the atlas; the result of setting the colour key.
  HRESULT Render();

  // Rebuilds with another face, height, text colour and weight, keeping key and background.
  void SetFont(const char* faceName, int fontHeight, COLORREF textColor, int fontWeight);
  // Both repaint the atlas and return the result of Render.
  HRESULT SetTextColor(COLORREF color);
  HRESULT SetBackgroundColor(COLORREF color);
  // Sets the atlas's source colour key without repainting.
  HRESULT SetColorKey(DWORD key);

  // Extents from the glyph table; characters 128 to 255 have no glyph and measure 0.
  int GetCharWidth(char character) const;
  int GetCharHeight(char character) const;
  int GetTextWidth(const char* text) const;

  // Restores the atlas after a loss and paints the glyphs again.
  HRESULT Restore();

  // Characters from (x, y) to the right, up to the terminating zero or `maxCount` characters
  // (a negative count does not limit). The result of the last BltFast; DD_OK when nothing was
  // drawn. Characters 128 to 255 are skipped.
  HRESULT Draw(int x, int y, const char* text, Surface* target, int maxCount);
  HRESULT DrawKeyed(int x, int y, const char* text, Surface* target, int maxCount);
  // As Draw, each glyph clipped to `clip` first.
  HRESULT DrawClipped(int x, int y, const char* text, Surface* target, const RECT& clip,
                      int maxCount);
  HRESULT DrawClippedKeyed(int x, int y, const char* text, Surface* target, const RECT& clip,
                           int maxCount);
  // In a field of `width` pixels from x: alignment 1 centres, 3 aligns right; a text wider
  // than the field is drawn from x as far as it fits. Other alignments draw nothing (DD_OK).
  HRESULT DrawAligned(int x, int y, int width, const char* text, Surface* target, int alignment);
  HRESULT DrawAlignedKeyed(int x, int y, int width, const char* text, Surface* target,
                           int alignment);

  // ---- Fields, in this order -----------------------------------------------------------------
  Glyph glyphs[256];  // 0 to 127 filled by Build
  COLORREF textColor;
  COLORREF backgroundColor;
  DWORD colorKey;  // raw pixel value of the atlas
  int fontHeight;
  int fontWeight;
  const char* faceName;  // the caller's text, not copied
  SurfaceMemory atlasMemory;
  Surface* atlas;  // owned
  Screen* screen;  // not owned

 private:
  HRESULT DrawRun(int x, int y, const char* text, Surface* target, const RECT* clip, int maxCount,
                  DWORD flags);
  HRESULT DrawInField(int x, int y, int width, const char* text, Surface* target, int alignment,
                      DWORD flags);
};

#endif

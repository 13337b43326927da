/// @file bitmapfont.h
/// BitmapFont: text drawn by copying glyph cells from an atlas Surface that GDI painted once
/// with the characters 0 to 127 of one font. Drawing costs one BltFast per character.
#ifndef QV_BITMAPFONT_H
#define QV_BITMAPFONT_H

#include <windows.h>
#include <ddraw.h>

#include "qvsurface.h"

class Screen;

/// One atlas cell: a RECT in atlas coordinates (right and bottom exclusive, usable as the source
/// rectangle of BltFast) and the character's extent as GDI measures it.
struct Glyph {
  LONG left;    ///< Left edge in the atlas.
  LONG top;     ///< Top edge in the atlas.
  LONG right;   ///< Right edge in the atlas (exclusive).
  LONG bottom;  ///< Bottom edge in the atlas (exclusive).
  LONG width;   ///< The character's width as GDI measures it.
  LONG height;  ///< The character's height as GDI measures it.
};

/// Text drawn from an atlas of glyphs that GDI painted once.
class BitmapFont {
 public:
  /// Builds the atlas. `memoryType` is accepted for the caller's sake; the atlas always lets
  /// DirectDraw choose its memory.
  BitmapFont(Screen* screen, const char* faceName, int fontHeight, COLORREF textColor,
             DWORD colorKey, COLORREF backgroundColor, int fontWeight, int memoryType);
  /// "Courier", height 12, white text, colour key 0, background 0, weight 400.
  explicit BitmapFont(Screen* screen);
  /// Frees the atlas.
  ~BitmapFont();
  BitmapFont(const BitmapFont&) = delete;             ///< Not copyable: the font owns its atlas.
  BitmapFont& operator=(const BitmapFont&) = delete;  ///< Not copyable.

  /// Measures the 128 characters, lays out the cells and creates and paints a new atlas.
  void Build(Screen* screen, const char* faceName, int fontHeight, COLORREF textColor,
             DWORD colorKey, COLORREF backgroundColor, int fontWeight, int memoryType);
  /// Paints every glyph into its cell of the atlas; the result of setting the colour key.
  HRESULT Render();

  /// Rebuilds with another face, height, text colour and weight, keeping key and background.
  void SetFont(const char* faceName, int fontHeight, COLORREF textColor, int fontWeight);
  /// Both repaint the atlas and return the result of Render.
  HRESULT SetTextColor(COLORREF color);
  /// The atlas's background colour.
  HRESULT SetBackgroundColor(COLORREF color);
  /// Sets the atlas's source colour key without repainting.
  HRESULT SetColorKey(DWORD key);

  /// Extents from the glyph table; characters 128 to 255 have no glyph and measure 0.
  int GetCharWidth(char character) const;
  /// The character's height.
  int GetCharHeight(char character) const;
  /// The sum of the characters' widths.
  int GetTextWidth(const char* text) const;

  /// Restores the atlas after a loss and paints the glyphs again.
  HRESULT Restore();

  /// Characters from (x, y) to the right, up to the terminating zero or `maxCount` characters
  /// (a negative count does not limit). The result of the last BltFast; DD_OK when nothing was
  /// drawn. Characters 128 to 255 are skipped.
  HRESULT Draw(int x, int y, const char* text, Surface* target, int maxCount);
  /// As Draw, with the atlas's colour key (the background left out).
  HRESULT DrawKeyed(int x, int y, const char* text, Surface* target, int maxCount);
  /// As Draw, each glyph clipped to `clip` first.
  HRESULT DrawClipped(int x, int y, const char* text, Surface* target, const RECT& clip,
                      int maxCount);
  /// As DrawClipped, with the atlas's colour key.
  HRESULT DrawClippedKeyed(int x, int y, const char* text, Surface* target, const RECT& clip,
                           int maxCount);
  /// In a field of `width` pixels from x: alignment 1 centres, 3 aligns right; a text wider
  /// than the field is drawn from x as far as it fits. Other alignments draw nothing (DD_OK).
  HRESULT DrawAligned(int x, int y, int width, const char* text, Surface* target, int alignment);
  /// As DrawAligned, with the atlas's colour key.
  HRESULT DrawAlignedKeyed(int x, int y, int width, const char* text, Surface* target,
                           int alignment);

  // ---- Fields, in this order -----------------------------------------------------------------
  Glyph glyphs[256];          ///< 0 to 127 filled by Build
  COLORREF textColor;         ///< The glyphs' colour.
  COLORREF backgroundColor;   ///< The atlas's background.
  DWORD colorKey;             ///< raw pixel value of the atlas
  int fontHeight;             ///< GDI height of the font in pixels.
  int fontWeight;             ///< GDI weight (400 normal, 700 bold).
  const char* faceName;       ///< the caller's text, not copied
  SurfaceMemory atlasMemory;  ///< Where the atlas surface is created.
  Surface* atlas;             ///< owned
  Screen* screen;             ///< not owned

 private:
  HRESULT DrawRun(int x, int y, const char* text, Surface* target, const RECT* clip, int maxCount,
                  DWORD flags);
  HRESULT DrawInField(int x, int y, int width, const char* text, Surface* target, int alignment,
                      DWORD flags);
};

#endif

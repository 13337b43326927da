// The rasteriser's side of a GDI font: a face found through fontconfig, scaled by FreeType to
// the cell GDI would give for the LOGFONTA, with its character cell metrics and a cache of the
// rendered glyphs of the 256 ANSI codes.
#ifndef QV_PLATFORM_GDI_FONT_H
#define QV_PLATFORM_GDI_FONT_H

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gdi/gdi_objects.h"

struct FT_FaceRec_;

namespace plat::gdi {

// One rendered character. Coverage is 0..255 per pixel; hard-edged faces hold only 0 and 255.
struct GlyphImage {
  bool loaded = false;
  int advance = 0;  // whole pixels from this character's pen position to the next one's
  int left = 0;     // from the pen position to the first column of the image
  int top = 0;      // from the baseline up to the first row of the image
  int width = 0;
  int rows = 0;
  std::vector<uint8_t> coverage;  // width * rows, top row first
};

struct FontFace {
  FontFace() = default;
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;
  ~FontFace();

  std::string file;  // the font file FreeType reads
  int index = 0;     // face index within the file
  std::string family;
  FT_FaceRec_* ft = nullptr;
  int32_t loadFlags = 0;
  bool mono = true;  // hard-edged rendering
  bool syntheticBold = false;
  bool syntheticItalic = false;
  int pixelsPerEm = 0;

  // Pixel widths of the 256 codes when the face stands in for a raster font (each glyph is
  // then centred in its width); null when the outline's own advances count.
  const uint8_t* fixedAdvances = nullptr;

  TEXTMETRICA metrics = {};
  int underlineOffset = 1;  // rows below the baseline
  int underlineThickness = 1;
  int strikeoutOffset = 0;  // rows above the baseline
  int strikeoutThickness = 1;

  // The glyph of an ANSI (Windows-1252) code, rendered on first use and kept.
  const GlyphImage& Glyph(uint8_t code);
  int Advance(uint8_t code) { return Glyph(code).advance; }
  // Sum of the advances of `count` characters.
  int64_t Extent(const char* text, size_t count);
  // Memory the glyphs rendered so far take.
  size_t GlyphBytes() const;

 private:
  GlyphImage glyphs_[256];
};

// The Unicode character of a Windows-1252 code. Codes that Windows-1252 leaves undefined map to
// the C1 control of the same value, which fonts do not draw.
uint32_t AnsiToUnicode(uint8_t code);

// Heights and widths beyond this many pixels are scaled down to it: larger glyphs would only
// cost memory, and no screen shows them.
constexpr int kMaxFontPixels = 1024;

// The face for a LOGFONTA, shared between fonts with the same resolved face and size. Null when
// no usable font is installed.
std::shared_ptr<FontFace> AcquireFace(const LOGFONTA& log);

// The LOGFONTA of a device context's default font, like Windows' "System" font: a bold sans
// face in a 16-pixel cell.
const LOGFONTA& DefaultLogFont();

// Whether a LOGFONTA asks for Windows' System raster font, and that font's cell, metrics and
// character widths given to a face that draws its shapes.
bool IsSystemFontRequest(const LOGFONTA& log);
void MakeSystemFontFace(FontFace* face);

// The face selected into a device context (its own font, or the default one), made on first
// use. Null when no font can be loaded.
FontFace* FaceOf(DC* dc);
FontFace* FaceOf(Font* font);

// Where and how text lands in a device context's pixels.
struct TextCanvas {
  PixelBuffer target;
  RECT clip = {};  // inside the target; right and bottom exclusive
  COLORREF textColor = 0;
  uint32_t textRaw = 0;  // the colours in the target's pixel format
  uint32_t backgroundRaw = 0;
};

// The canvas of a device context: its target clipped to its clip region and, when given, to
// `limit`. False when nothing can be drawn there (no pixels, an unsupported format, or an empty
// clip), which is not an error.
bool PrepareCanvas(DC* dc, const RECT* limit, TextCanvas* canvas);
// Fills a rectangle, clipped to the canvas, with a raw pixel value.
void FillCanvas(const TextCanvas& canvas, const RECT& rect, uint32_t raw);
// Draws the glyphs of `count` characters in the text colour, the first character cell's
// top-left at (x, y), with the font's underline and strike-out. The background is not touched.
void DrawGlyphs(const TextCanvas& canvas, FontFace* face, int x, int y, const char* text,
                size_t count);

// Longest string the text calls take: a count beyond it is refused rather than trusted.
constexpr int kMaxTextCount = 8192;

// A counted string for an entry line, which reads text up to a terminating zero the string
// may not have: the counted characters (up to the zero for -1), or nothing for a bad count.
inline std::string CountedText(const char* text, int count) {
  if (!text || count < -1 || count > kMaxTextCount) return std::string();
  size_t length = count == -1 ? strnlen(text, kMaxTextCount) : static_cast<size_t>(count);
  return std::string(text, length);
}

}  // namespace plat::gdi

#endif

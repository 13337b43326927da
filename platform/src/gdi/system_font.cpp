// Windows' System font, the font a new device context starts with: a bold raster font in a
// 16-pixel cell (13 above the baseline), whose characters have fixed pixel widths. Its shapes come
// from the sans face standing in for it; its cell and the width of every character are the raster
// font's, so text in it takes the room it takes on Windows.
#include <windows.h>

#include <string>

#include "gdi/font.h"
#include "gdi/font_lookup.h"

namespace plat::gdi {

namespace {

// Pixel widths of the 256 ANSI codes. Codes below the first character (0x20) are drawn as the
// default character 0x80. The widest character is 14 pixels, as GetTextMetrics reports it.
constexpr uint8_t kSystemWidths[256] = {
    4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,   // 0x00
    4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,   // 0x10
    4,  4,  6,  8,  8,  11, 9,  4,  4,  4,  6,  8,  4,  4,  4,  4,   // 0x20
    8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  4,  4,  8,  8,  8,  8,   // 0x30
    14, 8,  10, 9,  10, 9,  8,  10, 10, 4,  7,  9,  8,  12, 10, 10,  // 0x40
    9,  10, 10, 9,  8,  10, 8,  14, 9,  10, 9,  4,  4,  4,  5,  8,   // 0x50
    5,  8,  8,  7,  8,  8,  4,  8,  8,  4,  4,  7,  4,  12, 8,  8,   // 0x60
    8,  8,  5,  8,  4,  8,  8,  10, 8,  8,  8,  5,  4,  5,  5,  4,   // 0x70
    4,  4,  5,  4,  6,  8,  10, 10, 4,  14, 9,  8,  4,  4,  9,  4,   // 0x80
    4,  4,  4,  7,  7,  7,  6,  9,  4,  9,  8,  7,  4,  4,  8,  4,   // 0x90
    9,  4,  8,  8,  8,  8,  4,  8,  5,  10, 5,  7,  8,  4,  10, 8,   // 0xA0
    5,  8,  4,  4,  5,  8,  7,  4,  5,  4,  5,  7,  11, 11, 11, 8,   // 0xB0
    8,  8,  8,  8,  8,  8,  13, 9,  9,  9,  9,  9,  4,  4,  4,  4,   // 0xC0
    10, 10, 10, 10, 10, 10, 10, 8,  10, 10, 10, 10, 10, 10, 9,  8,   // 0xD0
    8,  8,  8,  8,  8,  8,  12, 7,  8,  8,  8,  8,  4,  4,  4,  4,   // 0xE0
    8,  8,  8,  8,  8,  8,  8,  6,  8,  8,  8,  8,  8,  8,  8,  8,   // 0xF0
};

}  // namespace

bool IsSystemFontRequest(const LOGFONTA& log) {
  const std::string name = FaceNameKey(log.lfFaceName, LF_FACESIZE);
  // The raster font has the one size: heights up to its cell (or its 13-pixel em) pick it.
  return name == "system" && log.lfHeight >= -13 && log.lfHeight <= 16;
}

void MakeSystemFontFace(FontFace* face) {
  TEXTMETRICA& tm = face->metrics;
  tm.tmHeight = 16;
  tm.tmAscent = 13;
  tm.tmDescent = 3;
  tm.tmInternalLeading = 3;
  tm.tmExternalLeading = 0;
  tm.tmAveCharWidth = 7;
  tm.tmMaxCharWidth = 14;
  tm.tmWeight = FW_BOLD;
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x20;
  tm.tmLastChar = 0xFF;
  tm.tmDefaultChar = 0x80;
  tm.tmBreakChar = 0x20;
  // A Swiss raster font of variable pitch (bit 0 set), neither vector nor TrueType.
  tm.tmPitchAndFamily = FF_SWISS | 0x01;
  tm.tmCharSet = ANSI_CHARSET;
  face->fixedAdvances = kSystemWidths;
}

}  // namespace plat::gdi

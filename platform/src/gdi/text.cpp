// GDI fonts and text output: CreateFontA, the text colours and background mode of a device
// context, TextOutA, GetTextExtentPoint32A and GetTextMetricsA.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "core/trace.h"
#include "gdi/font.h"
#include "gdi/gdi_objects.h"

namespace plat::gdi {

namespace {

bool Drawable(const PixelBuffer& p) {
  if (!p.bits || p.width <= 0 || p.height <= 0) return false;
  switch (p.format.bitsPerPixel) {
    case 8:
      return p.pitch >= p.width;
    case 15:
    case 16:
      return p.pitch >= p.width * 2;
    case 24:
      return p.pitch >= p.width * 3;
    case 32:
      return p.pitch >= p.width * 4;
    default:
      return false;  // monochrome and 4-bit bitmaps take no text here
  }
}

void Intersect(RECT* a, const RECT& b) {
  a->left = std::max(a->left, b.left);
  a->top = std::max(a->top, b.top);
  a->right = std::min(a->right, b.right);
  a->bottom = std::min(a->bottom, b.bottom);
}

uint32_t ColorToRaw(const PixelBuffer& p, COLORREF c) {
  // PALETTEINDEX colours name an entry of an 8-bit target's palette directly.
  if ((c >> 24) == 0x01 && p.format.IsPalettized()) return c & 0xFF;
  return RgbToRaw(p.format, p.palette, GetRValue(c), GetGValue(c), GetBValue(c));
}

uint32_t Blend(const TextCanvas& canvas, int x, int y, int coverage) {
  const PixelBuffer& p = canvas.target;
  uint8_t r, g, b;
  RawToRgb(p.format, p.palette, p.GetRaw(x, y), &r, &g, &b);
  auto mix = [coverage](int under, int over) {
    return static_cast<uint8_t>((over * coverage + under * (255 - coverage) + 127) / 255);
  };
  return RgbToRaw(p.format, p.palette, mix(r, GetRValue(canvas.textColor)),
                  mix(g, GetGValue(canvas.textColor)), mix(b, GetBValue(canvas.textColor)));
}

}  // namespace

bool PrepareCanvas(DC* dc, const RECT* limit, TextCanvas* canvas) {
  if (!dc || !Drawable(dc->target)) return false;
  canvas->target = dc->target;
  canvas->clip = {0, 0, dc->target.width, dc->target.height};
  if (dc->clip) Intersect(&canvas->clip, dc->clip->rect);
  if (limit) Intersect(&canvas->clip, *limit);
  canvas->textColor = dc->textColor;
  canvas->textRaw = ColorToRaw(dc->target, dc->textColor);
  canvas->backgroundRaw = ColorToRaw(dc->target, dc->bkColor);
  return canvas->clip.left < canvas->clip.right && canvas->clip.top < canvas->clip.bottom;
}

void FillCanvas(const TextCanvas& canvas, const RECT& rect, uint32_t raw) {
  RECT r = rect;
  Intersect(&r, canvas.clip);
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) canvas.target.PutRaw(x, y, raw);
  }
}

void DrawGlyphs(const TextCanvas& canvas, FontFace* face, int x, int y, const char* text,
                size_t count) {
  const RECT& clip = canvas.clip;
  const int64_t baseline = static_cast<int64_t>(y) + face->metrics.tmAscent;
  int64_t pen = x;
  for (size_t i = 0; i < count; ++i) {
    const GlyphImage& g = face->Glyph(static_cast<uint8_t>(text[i]));
    const int64_t left = pen + g.left;
    const int64_t top = baseline - g.top;
    pen += g.advance;
    if (g.coverage.empty() || left >= clip.right || left + g.width <= clip.left ||
        top >= clip.bottom || top + g.rows <= clip.top) {
      continue;
    }
    const int gx0 = static_cast<int>(std::max<int64_t>(0, clip.left - left));
    const int gx1 = static_cast<int>(std::min<int64_t>(g.width, clip.right - left));
    const int gy0 = static_cast<int>(std::max<int64_t>(0, clip.top - top));
    const int gy1 = static_cast<int>(std::min<int64_t>(g.rows, clip.bottom - top));
    for (int gy = gy0; gy < gy1; ++gy) {
      const uint8_t* row = &g.coverage[static_cast<size_t>(gy) * g.width];
      const int py = static_cast<int>(top + gy);
      for (int gx = gx0; gx < gx1; ++gx) {
        const int c = row[gx];
        if (c == 0) continue;
        const int px = static_cast<int>(left + gx);
        canvas.target.PutRaw(px, py, c == 255 ? canvas.textRaw : Blend(canvas, px, py, c));
      }
    }
  }

  const TEXTMETRICA& tm = face->metrics;
  if (!tm.tmUnderlined && !tm.tmStruckOut) return;
  auto line = [&](int64_t lineTop, int thickness) {
    RECT r;
    r.left = static_cast<LONG>(std::max<int64_t>(INT_MIN, std::min<int64_t>(x, pen)));
    r.right = static_cast<LONG>(std::min<int64_t>(INT_MAX, std::max<int64_t>(x, pen)));
    r.top = static_cast<LONG>(std::max<int64_t>(INT_MIN, std::min<int64_t>(INT_MAX, lineTop)));
    r.bottom = static_cast<LONG>(std::min<int64_t>(INT_MAX, lineTop + thickness));
    FillCanvas(canvas, r, canvas.textRaw);
  };
  if (tm.tmUnderlined) {
    line(baseline + face->underlineOffset - face->underlineThickness / 2, face->underlineThickness);
  }
  if (tm.tmStruckOut) {
    line(baseline - face->strikeoutOffset - face->strikeoutThickness / 2, face->strikeoutThickness);
  }
}

}  // namespace plat::gdi

using plat::gdi::DC;
using plat::gdi::FontFace;
namespace trace = plat::trace;

namespace {

// A caller's string and count, checked: a negative count, a count past the limit, or a null
// string with characters is refused.
bool ValidText(LPCSTR text, int count) {
  if (count < 0 || count > plat::gdi::kMaxTextCount) return false;
  return text || count == 0;
}

HFONT NewFont(const LOGFONTA& log) {
  auto font = std::make_unique<plat::gdi::Font>();
  font->log = log;
  return static_cast<HFONT>(plat::gdi::Register(std::move(font)));
}

}  // namespace

extern "C" {

HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                         DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                         DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                         DWORD iPitchAndFamily, LPCSTR pszFaceName) {
  QV_ENTRY_OR_RETURN("CreateFontA", trace::Dec(cHeight), trace::Dec(cWidth),
                     trace::Dec(cEscapement), trace::Dec(cOrientation), trace::Dec(cWeight),
                     trace::Dec(bItalic), trace::Dec(bUnderline), trace::Dec(bStrikeOut),
                     trace::Dec(iCharSet), trace::Dec(iOutPrecision), trace::Dec(iClipPrecision),
                     trace::Dec(iQuality), trace::Hex(iPitchAndFamily), trace::Text(pszFaceName));
  LOGFONTA log = {};
  log.lfHeight = cHeight;
  log.lfWidth = cWidth;
  log.lfEscapement = cEscapement;
  log.lfOrientation = cOrientation;
  log.lfWeight = cWeight;
  log.lfItalic = static_cast<BYTE>(bItalic);
  log.lfUnderline = static_cast<BYTE>(bUnderline);
  log.lfStrikeOut = static_cast<BYTE>(bStrikeOut);
  log.lfCharSet = static_cast<BYTE>(iCharSet);
  log.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
  log.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
  log.lfQuality = static_cast<BYTE>(iQuality);
  log.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
  if (pszFaceName) {
    // Longer names are cut to what LOGFONTA holds, always terminated.
    size_t n = 0;
    while (n < LF_FACESIZE - 1 && pszFaceName[n]) ++n;
    std::memcpy(log.lfFaceName, pszFaceName, n);
  }
  return NewFont(log);
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf) {
  QV_ENTRY_OR_RETURN("CreateFontIndirectA", trace::Ptr(lplf));
  return lplf ? NewFont(*lplf) : nullptr;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  QV_ENTRY_OR_RETURN("SetBkMode", trace::Ptr(hdc), trace::Dec(mode));
  return plat::gdi::ExchangeMode(hdc, &DC::bkMode, mode, mode == TRANSPARENT || mode == OPAQUE);
}

int WINAPI GetBkMode(HDC hdc) {
  QV_ENTRY_OR_RETURN("GetBkMode", trace::Ptr(hdc));
  return plat::gdi::ModeOf(hdc, &DC::bkMode);
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  QV_ENTRY_OR_RETURN("SetTextColor", trace::Ptr(hdc), trace::Hex(color));
  return plat::gdi::ExchangeSetting(hdc, &DC::textColor, color, true, CLR_INVALID);
}

COLORREF WINAPI GetTextColor(HDC hdc) {
  QV_ENTRY_OR_RETURN("GetTextColor", trace::Ptr(hdc));
  return plat::gdi::SettingOf(hdc, &DC::textColor, CLR_INVALID);
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  QV_ENTRY_OR_RETURN("SetBkColor", trace::Ptr(hdc), trace::Hex(color));
  return plat::gdi::ExchangeSetting(hdc, &DC::bkColor, color, true, CLR_INVALID);
}

COLORREF WINAPI GetBkColor(HDC hdc) {
  QV_ENTRY_OR_RETURN("GetBkColor", trace::Ptr(hdc));
  return plat::gdi::SettingOf(hdc, &DC::bkColor, CLR_INVALID);
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
  QV_ENTRY_OR_RETURN("SetTextAlign", trace::Ptr(hdc), trace::Hex(align));
  return plat::gdi::ExchangeSetting<UINT>(hdc, &DC::textAlign, align, true, GDI_ERROR);
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
  QV_ENTRY_OR_RETURN("TextOutA", trace::Ptr(hdc), trace::Dec(x), trace::Dec(y),
                     trace::Text(plat::gdi::CountedText(lpString, c).c_str()), trace::Dec(c));
  DC* dc = plat::gdi::LookupDC(hdc);
  if (!dc || !ValidText(lpString, c)) return FALSE;
  FontFace* face = plat::gdi::FaceOf(dc);
  if (!face) return FALSE;
  if (c == 0) return TRUE;

  // The reference point (x, y) is a corner, the middle or the baseline of the text, as the
  // device context's alignment says; the drawing below starts from the cell's top-left.
  const int64_t width = face->Extent(lpString, static_cast<size_t>(c));
  int64_t left = x, top = y;
  const UINT align = dc->textAlign;
  if ((align & TA_CENTER) == TA_CENTER) {
    left -= width / 2;
  } else if (align & TA_RIGHT) {
    left -= width;
  }
  if ((align & TA_BASELINE) == TA_BASELINE) {
    top -= face->metrics.tmAscent;
  } else if (align & TA_BOTTOM) {
    top -= face->metrics.tmHeight;
  }
  if (left < INT_MIN / 2 || left > INT_MAX / 2 || top < INT_MIN / 2 || top > INT_MAX / 2) {
    return TRUE;  // far outside any target
  }

  plat::gdi::TextCanvas canvas;
  if (!plat::gdi::PrepareCanvas(dc, nullptr, &canvas)) return TRUE;
  if (dc->bkMode == OPAQUE) {
    RECT cell;
    cell.left = static_cast<LONG>(left);
    cell.top = static_cast<LONG>(top);
    cell.right = static_cast<LONG>(std::min<int64_t>(INT_MAX, left + width));
    cell.bottom = static_cast<LONG>(top + face->metrics.tmHeight);
    plat::gdi::FillCanvas(canvas, cell, canvas.backgroundRaw);
  }
  plat::gdi::DrawGlyphs(canvas, face, static_cast<int>(left), static_cast<int>(top), lpString,
                        static_cast<size_t>(c));
  return TRUE;
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
  QV_ENTRY_OR_RETURN("GetTextExtentPoint32A", trace::Ptr(hdc),
                     trace::Text(plat::gdi::CountedText(lpString, c).c_str()), trace::Dec(c),
                     trace::Ptr(psizl));
  DC* dc = plat::gdi::LookupDC(hdc);
  if (!dc || !psizl || !ValidText(lpString, c)) return FALSE;
  FontFace* face = plat::gdi::FaceOf(dc);
  if (!face) return FALSE;
  int64_t width = face->Extent(lpString, static_cast<size_t>(c));
  psizl->cx = static_cast<LONG>(std::min<int64_t>(width, INT32_MAX));
  psizl->cy = face->metrics.tmHeight;
  return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
  QV_ENTRY_OR_RETURN("GetTextMetricsA", trace::Ptr(hdc), trace::Ptr(lptm));
  DC* dc = plat::gdi::LookupDC(hdc);
  if (!dc || !lptm) return FALSE;
  FontFace* face = plat::gdi::FaceOf(dc);
  if (!face) return FALSE;
  *lptm = face->metrics;
  return TRUE;
}

}  // extern "C"

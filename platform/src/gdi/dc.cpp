// Device contexts: memory DCs, DCs on surface memory (for DirectDraw's GetDC), window and
// desktop DCs; selection of objects and clip regions; device capabilities; single pixels and
// rectangle fills.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/backend.h"
#include "core/gdi_bridge.h"
#include "core/services.h"
#include "core/trace.h"
#include "gdi/gdi_internal.h"
#include "gdi/gdi_objects.h"

namespace plat::gdi {

namespace {

template <typename T>
void Select(T*& slot, T* object) {
  if (slot) --slot->selectedIn;
  slot = object;
  if (slot) ++slot->selectedIn;
}

std::unique_ptr<DC> NewDC(DCKind kind) {
  auto dc = std::make_unique<DC>();
  dc->dcKind = kind;
  Select(dc->font, DefaultFont());
  Select(dc->brush, LookupAs<Brush>(StockObject(WHITE_BRUSH), Kind::Brush));
  Select(dc->pen, LookupAs<Pen>(StockObject(BLACK_PEN), Kind::Pen));
  return dc;
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
  if (Empty(r)) r = RECT{0, 0, 0, 0};
  return r;
}

bool Inside(const RECT& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The classic Windows scheme, for FillRect with a (COLOR_* + 1) value in place of a brush.
constexpr COLORREF kSystemColors[31] = {
    RGB(212, 208, 200), RGB(58, 110, 165),  RGB(10, 36, 106),   RGB(128, 128, 128),
    RGB(212, 208, 200), RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(212, 208, 200), RGB(212, 208, 200),
    RGB(128, 128, 128), RGB(10, 36, 106),   RGB(255, 255, 255), RGB(212, 208, 200),
    RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(64, 64, 64),    RGB(212, 208, 200), RGB(0, 0, 0),
    RGB(255, 255, 225), RGB(181, 181, 181), RGB(0, 0, 128),     RGB(166, 202, 240),
    RGB(192, 192, 192), RGB(49, 106, 197),  RGB(236, 233, 216)};

void FillRaw(const PixelBuffer& target, const RECT& r, uint32_t raw) {
  if (Empty(r)) return;
  const size_t bpp = target.format.BytesPerPixel();
  const size_t rowBytes = static_cast<size_t>(r.right - r.left) * bpp;
  uint8_t* first = target.Row(r.top) + static_cast<ptrdiff_t>(r.left) * bpp;
  for (int x = r.left; x < r.right; ++x) target.PutRaw(x, r.top, raw);
  for (int y = r.top + 1; y < r.bottom; ++y) {
    std::memcpy(target.Row(y) + static_cast<ptrdiff_t>(r.left) * bpp, first, rowBytes);
  }
}

bool ValidTarget(const PixelBuffer& p) {
  if (!p.bits || p.width <= 0 || p.height <= 0) return false;
  uint32_t bits = p.format.bitsPerPixel;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  return std::abs(static_cast<int64_t>(p.pitch)) >=
         static_cast<int64_t>(p.width) * p.format.BytesPerPixel();
}

// SelectClipRgn's work, also done by SelectObject for a region.
int SelectClip(HDC hdc, HRGN hrgn) {
  DC* dc = LookupDC(hdc);
  if (!dc) return ERROR;
  if (!hrgn) {
    dc->clip = nullptr;
    dc->clipCopy.reset();
    return SIMPLEREGION;
  }
  auto* region = LookupAs<Region>(hrgn, Kind::Region);
  if (!region) return ERROR;
  // The DC keeps its own copy: the caller may delete the region at once.
  auto copy = std::make_unique<Region>();
  copy->rect = region->rect;
  dc->clipCopy = std::move(copy);
  dc->clip = dc->clipCopy.get();
  return Empty(dc->clip->rect) ? NULLREGION : SIMPLEREGION;
}

}  // namespace

RECT DrawBounds(const DC& dc) {
  if (!dc.target.bits) return RECT{0, 0, 0, 0};
  RECT r = {0, 0, dc.target.width, dc.target.height};
  if (dc.clip) r = Intersect(r, dc.clip->rect);
  return r;
}

uint32_t ColorToRaw(const PixelBuffer& target, COLORREF color) {
  const PixelFormat& f = target.format;
  if (f.IsPalettized()) {
    if ((color >> 24) == 0x01) return color & 0xFF;  // PALETTEINDEX
    if (!target.palette) {
      // Without colours the indexes read back as grey levels; match that.
      return (GetRValue(color) + GetGValue(color) + GetBValue(color)) / 3;
    }
  }
  return RgbToRaw(f, target.palette, GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF RawToColor(const PixelBuffer& target, uint32_t raw) {
  uint8_t r, g, b;
  RawToRgb(target.format, target.palette, raw, &r, &g, &b);
  return RGB(r, g, b);
}

HDC CreateDCForPixels(const PixelBuffer& pixels) {
  if (!ValidTarget(pixels)) return nullptr;
  std::unique_ptr<DC> dc = NewDC(DCKind::Surface);
  dc->target = pixels;
  return static_cast<HDC>(Register(std::move(dc)));
}

bool ReleaseDCForPixels(HDC hdc) {
  DC* dc = LookupDC(hdc);
  if (!dc || dc->dcKind != DCKind::Surface) return false;
  return Destroy(hdc);
}

}  // namespace plat::gdi

using plat::gdi::DC;
using plat::gdi::DCKind;
using plat::gdi::Kind;
namespace trace = plat::trace;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  QV_ENTRY_OR_RETURN("CreateCompatibleDC", trace::Ptr(hdc));
  if (hdc && !plat::gdi::LookupDC(hdc)) return nullptr;
  std::unique_ptr<DC> dc = plat::gdi::NewDC(DCKind::Memory);
  plat::gdi::Bitmap* mono = plat::gdi::DefaultBitmap();
  plat::gdi::Select(dc->bitmap, mono);
  dc->target = mono->pixels;
  return static_cast<HDC>(plat::gdi::Register(std::move(dc)));
}

BOOL WINAPI DeleteDC(HDC hdc) {
  QV_ENTRY_OR_RETURN("DeleteDC", trace::Ptr(hdc));
  DC* dc = plat::gdi::LookupDC(hdc);
  if (!dc || dc->dcKind != DCKind::Memory) return FALSE;
  return plat::gdi::Destroy(hdc) ? TRUE : FALSE;
}

HDC WINAPI GetDC(HWND hWnd) {
  QV_ENTRY_OR_RETURN("GetDC", trace::Wnd(hWnd));
  if (hWnd && !IsWindow(hWnd)) return nullptr;
  // Window contents are shown through DirectDraw: a window's DC (and the desktop's) has no
  // pixels of its own, so drawing through it changes nothing.
  std::unique_ptr<DC> dc = plat::gdi::NewDC(hWnd ? DCKind::Window : DCKind::Desktop);
  dc->window = hWnd;
  return static_cast<HDC>(plat::gdi::Register(std::move(dc)));
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
  QV_ENTRY_OR_RETURN("ReleaseDC", trace::Wnd(hWnd), trace::Ptr(hDC));
  DC* dc = plat::gdi::LookupDC(hDC);
  if (!dc || (dc->dcKind != DCKind::Window && dc->dcKind != DCKind::Desktop)) return 0;
  if (dc->window != hWnd) return 0;
  return plat::gdi::Destroy(hDC) ? 1 : 0;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
  QV_ENTRY_OR_RETURN("GetDeviceCaps", trace::Ptr(hdc), trace::Dec(index));
  DC* dc = plat::gdi::LookupDC(hdc);
  if (!dc) return 0;
  int width = 0, height = 0, bits = 0;
  if (dc->dcKind == DCKind::Surface) {
    width = dc->target.width;
    height = dc->target.height;
    bits = static_cast<int>(dc->target.format.bitsPerPixel);
  } else {
    plat::ddraw::CurrentMode(&width, &height, &bits);
    if (bits == 15) bits = 16;
  }
  switch (index) {
    case DRIVERVERSION:
      return 0x4000;
    case TECHNOLOGY:
      return 1;  // raster display
    case HORZSIZE:
      return width * 254 / 960;  // millimetres at 96 pixels an inch
    case VERTSIZE:
      return height * 254 / 960;
    case HORZRES:
      return width;
    case VERTRES:
      return height;
    case BITSPIXEL:
      return bits;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return bits <= 8 ? 20 : -1;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    case SIZEPALETTE:
      return bits <= 8 ? 256 : 0;
    case VREFRESH:
      return 60;
    default:
      return 0;
  }
}

int WINAPI SetStretchBltMode(HDC hdc, int mode) {
  QV_ENTRY_OR_RETURN("SetStretchBltMode", trace::Ptr(hdc), trace::Dec(mode));
  return plat::gdi::ExchangeMode(hdc, &DC::stretchMode, mode,
                                 mode >= BLACKONWHITE && mode <= HALFTONE);
}

int WINAPI GetStretchBltMode(HDC hdc) {
  QV_ENTRY_OR_RETURN("GetStretchBltMode", trace::Ptr(hdc));
  return plat::gdi::ModeOf(hdc, &DC::stretchMode);
}

int WINAPI SelectClipRgn(HDC hdc, HRGN hrgn) {
  QV_ENTRY_OR_RETURN("SelectClipRgn", trace::Ptr(hdc), trace::Ptr(hrgn));
  return plat::gdi::SelectClip(hdc, hrgn);
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  QV_ENTRY_OR_RETURN("SelectObject", trace::Ptr(hdc), trace::Ptr(h));
  DC* dc = plat::gdi::LookupDC(hdc);
  plat::gdi::Object* o = plat::gdi::Lookup(h);
  if (!dc || !o) return nullptr;
  switch (o->kind) {
    case Kind::Bitmap: {
      auto* bitmap = static_cast<plat::gdi::Bitmap*>(o);
      if (dc->dcKind != DCKind::Memory) return nullptr;
      if (bitmap == dc->bitmap) return h;
      // A bitmap can be selected into one memory DC at a time (the stock one into any).
      if (bitmap->selectedIn > 0 && !bitmap->stock) return nullptr;
      HGDIOBJ previous = dc->bitmap ? dc->bitmap->handle : nullptr;
      plat::gdi::Select(dc->bitmap, bitmap);
      dc->target = bitmap->pixels;
      return previous;
    }
    case Kind::Font: {
      HGDIOBJ previous = dc->font ? dc->font->handle : plat::gdi::DefaultFont()->handle;
      plat::gdi::Select(dc->font, static_cast<plat::gdi::Font*>(o));
      return previous;
    }
    case Kind::Brush: {
      HGDIOBJ previous = dc->brush ? dc->brush->handle : plat::gdi::StockObject(WHITE_BRUSH);
      plat::gdi::Select(dc->brush, static_cast<plat::gdi::Brush*>(o));
      return previous;
    }
    case Kind::Pen: {
      HGDIOBJ previous = dc->pen ? dc->pen->handle : plat::gdi::StockObject(BLACK_PEN);
      plat::gdi::Select(dc->pen, static_cast<plat::gdi::Pen*>(o));
      return previous;
    }
    case Kind::Region: {
      int kind = plat::gdi::SelectClip(hdc, static_cast<HRGN>(h));
      return kind == ERROR ? HGDI_ERROR : reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(kind));
    }
    case Kind::DC:
      return nullptr;
  }
  return nullptr;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  QV_ENTRY_OR_RETURN("GetPixel", trace::Ptr(hdc), trace::Dec(x), trace::Dec(y));
  DC* dc = plat::gdi::LookupDC(hdc);
  if (!dc) return CLR_INVALID;
  if (!plat::gdi::Inside(plat::gdi::DrawBounds(*dc), x, y)) return CLR_INVALID;
  return plat::gdi::RawToColor(dc->target, dc->target.GetRaw(x, y));
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  QV_ENTRY_OR_RETURN("SetPixel", trace::Ptr(hdc), trace::Dec(x), trace::Dec(y), trace::Hex(color));
  DC* dc = plat::gdi::LookupDC(hdc);
  if (!dc) return CLR_INVALID;
  if (!plat::gdi::Inside(plat::gdi::DrawBounds(*dc), x, y)) return CLR_INVALID;
  uint32_t raw = plat::gdi::ColorToRaw(dc->target, color);
  dc->target.PutRaw(x, y, raw);
  return plat::gdi::RawToColor(dc->target, raw);
}

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  QV_ENTRY_OR_RETURN("FillRect", trace::Ptr(hDC), trace::Rect(lprc), trace::Ptr(hbr));
  DC* dc = plat::gdi::LookupDC(hDC);
  if (!dc || !lprc) return 0;
  COLORREF color;
  auto value = reinterpret_cast<uintptr_t>(hbr);
  if (auto* brush = plat::gdi::LookupAs<plat::gdi::Brush>(hbr, Kind::Brush)) {
    if (brush->hollow) return 1;
    color = brush->color;
  } else if (value >= 1 && value <= 31) {
    color = plat::gdi::kSystemColors[value - 1];
  } else {
    return 0;
  }
  RECT r = plat::gdi::Intersect(*lprc, plat::gdi::DrawBounds(*dc));
  plat::gdi::FillRaw(dc->target, r, plat::gdi::ColorToRaw(dc->target, color));
  return 1;
}

}  // extern "C"

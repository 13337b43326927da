// The object registry, stock objects, and the object-level calls: GetStockObject,
// GetObjectType, GetObjectA, DeleteObject, CreateSolidBrush, CreateRectRgn.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "core/backend.h"
#include "core/reset.h"
#include "core/services.h"
#include "core/trace.h"
#include "gdi/gdi_internal.h"
#include "gdi/gdi_objects.h"

namespace plat::gdi {

namespace {

struct Registry {
  std::unordered_map<uintptr_t, std::unique_ptr<Object>> objects;
  // Handles are never reused, so a stale handle stays invalid. They step by 4 from a base above
  // the small integers that some calls accept in place of a handle (system colour brushes).
  uintptr_t next = 0x10000;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // never destroyed: handles outlive statics
  return *registry;
}

LOGFONTA MakeLogFont(LONG height, LONG weight, BYTE charSet, BYTE pitchAndFamily,
                     const char* face) {
  LOGFONTA lf = {};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = charSet;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = pitchAndFamily;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

HGDIOBJ MakeStock(std::unique_ptr<Object> object) {
  object->stock = true;
  return Register(std::move(object));
}

HGDIOBJ StockBrush(COLORREF color, bool hollow) {
  auto b = std::make_unique<Brush>();
  b->color = color;
  b->hollow = hollow;
  return MakeStock(std::move(b));
}

HGDIOBJ StockPen(COLORREF color, bool hollow) {
  auto p = std::make_unique<Pen>();
  p->color = color;
  p->hollow = hollow;
  return MakeStock(std::move(p));
}

HGDIOBJ StockFont(const LOGFONTA& lf) {
  auto f = std::make_unique<Font>();
  f->log = lf;
  return MakeStock(std::move(f));
}

// Indexed by the GetStockObject number; null where Windows has no object of that number here.
struct StockTable {
  HGDIOBJ objects[DEFAULT_GUI_FONT + 1] = {};
  HGDIOBJ defaultBitmap = nullptr;
};

const StockTable& Stock() {
  static const StockTable table = [] {
    StockTable t;
    t.objects[WHITE_BRUSH] = StockBrush(RGB(255, 255, 255), false);
    t.objects[LTGRAY_BRUSH] = StockBrush(RGB(192, 192, 192), false);
    t.objects[GRAY_BRUSH] = StockBrush(RGB(128, 128, 128), false);
    t.objects[DKGRAY_BRUSH] = StockBrush(RGB(64, 64, 64), false);
    t.objects[BLACK_BRUSH] = StockBrush(RGB(0, 0, 0), false);
    t.objects[NULL_BRUSH] = StockBrush(RGB(0, 0, 0), true);
    t.objects[WHITE_PEN] = StockPen(RGB(255, 255, 255), false);
    t.objects[BLACK_PEN] = StockPen(RGB(0, 0, 0), false);
    t.objects[NULL_PEN] = StockPen(RGB(0, 0, 0), true);
    t.objects[OEM_FIXED_FONT] =
        StockFont(MakeLogFont(12, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN, "Terminal"));
    t.objects[ANSI_FIXED_FONT] =
        StockFont(MakeLogFont(12, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, "Courier"));
    t.objects[ANSI_VAR_FONT] = StockFont(
        MakeLogFont(12, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif"));
    // The System font: a bold sans with a 16-pixel cell.
    t.objects[SYSTEM_FONT] =
        StockFont(MakeLogFont(16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, "System"));
    t.objects[DEVICE_DEFAULT_FONT] =
        StockFont(MakeLogFont(16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, "System"));
    t.objects[SYSTEM_FIXED_FONT] =
        StockFont(MakeLogFont(16, FW_BOLD, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, "Fixedsys"));
    t.objects[DEFAULT_GUI_FONT] = StockFont(
        MakeLogFont(-11, FW_NORMAL, DEFAULT_CHARSET, VARIABLE_PITCH | FF_SWISS, "MS Shell Dlg"));

    // 1x1 monochrome: one index into a black-and-white colour table.
    std::unique_ptr<Bitmap> mono = MakeBitmap(1, 1, PixelFormat::Indexed8(), false);
    mono->colors[1] = {255, 255, 255, 0};
    mono->bitsPixel = 1;
    mono->dibSection = false;
    t.defaultBitmap = MakeStock(std::move(mono));
    return t;
  }();
  return table;
}

}  // namespace

HGDIOBJ Register(std::unique_ptr<Object> object) {
  if (!object) return nullptr;
  Registry& r = TheRegistry();
  uintptr_t value = r.next;
  r.next += 4;
  HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(value);
  object->handle = handle;
  r.objects[value] = std::move(object);
  return handle;
}

Object* Lookup(HGDIOBJ handle) {
  Registry& r = TheRegistry();
  auto it = r.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == r.objects.end() ? nullptr : it->second.get();
}

bool Destroy(HGDIOBJ handle) {
  Registry& r = TheRegistry();
  auto it = r.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == r.objects.end()) return false;
  Object* o = it->second.get();
  if (o->stock || o->selectedIn > 0) return false;
  if (o->kind == Kind::DC) {
    DC* dc = static_cast<DC*>(o);
    if (dc->bitmap) --dc->bitmap->selectedIn;
    if (dc->font) --dc->font->selectedIn;
    if (dc->brush) --dc->brush->selectedIn;
    if (dc->pen) --dc->pen->selectedIn;
  }
  r.objects.erase(it);
  return true;
}

// The platform's reset (core/reset.h). Handles are not reused, so those of dropped objects stay
// invalid.
void ResetObjects() {
  auto& objects = TheRegistry().objects;
  for (auto it = objects.begin(); it != objects.end();) {
    if (it->second->stock) {
      it->second->selectedIn = 0;
      ++it;
    } else {
      it = objects.erase(it);
    }
  }
}

HGDIOBJ StockObject(int index) {
  if (index < 0 || index > DEFAULT_GUI_FONT) return nullptr;
  return Stock().objects[index];
}

Font* DefaultFont() { return LookupAs<Font>(Stock().objects[SYSTEM_FONT], Kind::Font); }

Bitmap* DefaultBitmap() { return LookupAs<Bitmap>(Stock().defaultBitmap, Kind::Bitmap); }

PixelFormat DesktopFormat() {
  int w = 0, h = 0, bits = 0;
  ddraw::CurrentMode(&w, &h, &bits);
  return PixelFormat::ForDepth(bits);
}

std::unique_ptr<Bitmap> MakeBitmap(int32_t width, int32_t height, const PixelFormat& format,
                                   bool topDown) {
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return nullptr;
  uint32_t bits = format.BytesPerPixel() * 8;
  uint64_t stride = DibStride(static_cast<uint64_t>(width), bits);
  uint64_t bytes = stride * static_cast<uint64_t>(height);
  if (bytes > kMaxImageBytes) return nullptr;
  auto b = std::make_unique<Bitmap>();
  if (!b->storage.Allocate(static_cast<size_t>(bytes))) return nullptr;
  b->pixels.width = width;
  b->pixels.height = height;
  b->pixels.format = format;
  b->topDown = topDown;
  if (topDown) {
    b->pixels.bits = b->storage.data();
    b->pixels.pitch = static_cast<int32_t>(stride);
  } else {
    b->pixels.bits = b->storage.data() + (static_cast<size_t>(height) - 1) * stride;
    b->pixels.pitch = -static_cast<int32_t>(stride);
  }
  if (format.IsPalettized()) {
    b->colors.assign(256, PALETTEENTRY{0, 0, 0, 0});
    b->pixels.palette = b->colors.data();
  }
  b->bitsPixel = static_cast<int>(format.bitsPerPixel);
  b->dibSection = true;
  return b;
}

std::unique_ptr<Bitmap> InFormat(std::unique_ptr<Bitmap> bitmap, const PixelFormat& format) {
  if (bitmap->pixels.format == format) return bitmap;
  const int32_t width = bitmap->pixels.width, height = bitmap->pixels.height;
  std::unique_ptr<Bitmap> converted = MakeBitmap(width, height, format, bitmap->topDown);
  if (!converted) return nullptr;
  RECT all = {0, 0, width, height};
  StretchPixels(converted->pixels, all, 0, 0, width, height, bitmap->pixels, 0, 0, width, height,
                SRCCOPY);
  return converted;
}

}  // namespace plat::gdi

using plat::gdi::Kind;
namespace trace = plat::trace;

extern "C" {

HGDIOBJ WINAPI GetStockObject(int i) {
  QV_ENTRY_OR_RETURN("GetStockObject", trace::Dec(i));
  return plat::gdi::StockObject(i);
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
  QV_ENTRY_OR_RETURN("GetObjectType", trace::Ptr(h));
  plat::gdi::Object* o = plat::gdi::Lookup(h);
  if (!o) return 0;
  switch (o->kind) {
    case Kind::Bitmap:
      return OBJ_BITMAP;
    case Kind::Font:
      return OBJ_FONT;
    case Kind::Region:
      return OBJ_REGION;
    case Kind::Brush:
      return OBJ_BRUSH;
    case Kind::Pen:
      return OBJ_PEN;
    case Kind::DC:
      return static_cast<plat::gdi::DC*>(o)->dcKind == plat::gdi::DCKind::Memory ? OBJ_MEMDC
                                                                                 : OBJ_DC;
  }
  return 0;
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
  QV_ENTRY_OR_RETURN("GetObjectA", trace::Ptr(h), trace::Dec(c), trace::Ptr(pv));
  plat::gdi::Object* o = plat::gdi::Lookup(h);
  if (!o) return 0;
  if (o->kind == Kind::Bitmap) {
    auto* b = static_cast<plat::gdi::Bitmap*>(o);
    if (!pv) return static_cast<int>(sizeof(BITMAP));
    if (c < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP bm = {};
    bm.bmType = 0;
    bm.bmWidth = b->pixels.width;
    bm.bmHeight = b->pixels.height;
    if (b->dibSection) {
      bm.bmWidthBytes = std::abs(b->pixels.pitch);
      bm.bmBits = b->storage.data();
    } else {
      // A device-dependent bitmap reports rows in whole 16-bit words.
      bm.bmWidthBytes = (b->pixels.width * b->bitsPixel + 15) / 16 * 2;
    }
    bm.bmPlanes = 1;
    bm.bmBitsPixel = static_cast<WORD>(b->bitsPixel);
    std::memcpy(pv, &bm, sizeof bm);
    return static_cast<int>(sizeof bm);
  }
  if (o->kind == Kind::Font) {
    auto* f = static_cast<plat::gdi::Font*>(o);
    if (!pv) return static_cast<int>(sizeof(LOGFONTA));
    if (c < static_cast<int>(sizeof(LOGFONTA))) return 0;
    std::memcpy(pv, &f->log, sizeof(LOGFONTA));
    return static_cast<int>(sizeof(LOGFONTA));
  }
  return 0;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  QV_ENTRY_OR_RETURN("DeleteObject", trace::Ptr(ho));
  plat::gdi::Object* o = plat::gdi::Lookup(ho);
  if (!o || o->kind == Kind::DC) return FALSE;
  return plat::gdi::Destroy(ho) ? TRUE : FALSE;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  QV_ENTRY_OR_RETURN("CreateSolidBrush", trace::Hex(color));
  auto b = std::make_unique<plat::gdi::Brush>();
  b->color = color & 0x00FFFFFF;
  return static_cast<HBRUSH>(plat::gdi::Register(std::move(b)));
}

HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2) {
  QV_ENTRY_OR_RETURN("CreateRectRgn", trace::Dec(x1), trace::Dec(y1), trace::Dec(x2),
                     trace::Dec(y2));
  auto r = std::make_unique<plat::gdi::Region>();
  r->rect.left = std::min(x1, x2);
  r->rect.right = std::max(x1, x2);
  r->rect.top = std::min(y1, y2);
  r->rect.bottom = std::max(y1, y2);
  if (r->rect.left == r->rect.right || r->rect.top == r->rect.bottom) r->rect = RECT{0, 0, 0, 0};
  return static_cast<HRGN>(plat::gdi::Register(std::move(r)));
}

}  // extern "C"

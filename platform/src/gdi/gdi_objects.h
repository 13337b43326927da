// GDI's objects behind their handles: bitmaps, fonts, regions, brushes and device contexts.
// Handles are checked against a registry, so a stale or made-up handle gets a failure result
// instead of a crash.
#ifndef QV_PLATFORM_GDI_OBJECTS_H
#define QV_PLATFORM_GDI_OBJECTS_H

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "core/pixels.h"

namespace plat::gdi {

enum class Kind { Bitmap, Font, Region, Brush, Pen, DC };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
  bool stock = false;        // stock objects are never deleted
  int selectedIn = 0;        // device contexts that have it selected
  HGDIOBJ handle = nullptr;  // set by Register
};

// Zeroed pixel memory that is not written to zero it: large blocks come from calloc as fresh
// pages, so a bitmap costs time only where its pixels are drawn (a run-length file that declares
// a large image and holds a few runs stays cheap).
class ZeroedBytes {
 public:
  // False, with nothing held, when the memory can't be had.
  bool Allocate(size_t count) {
    bytes_.reset(static_cast<uint8_t*>(std::calloc(count ? count : 1, 1)));
    size_ = bytes_ ? count : 0;
    return bytes_ != nullptr;
  }
  uint8_t* data() const { return bytes_.get(); }
  size_t size() const { return size_; }

 private:
  struct Free {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<uint8_t, Free> bytes_;
  size_t size_ = 0;
};

// A device-independent bitmap section: pixels in memory the bitmap owns.
struct Bitmap : Object {
  Bitmap() : Object(Kind::Bitmap) {}
  ZeroedBytes storage;
  PixelBuffer pixels;                // view of `storage`
  std::vector<PALETTEENTRY> colors;  // colour table of 8-bit (or less) bitmaps, 256 entries
  int bitsPixel = 0;                 // what GetObjectA reports
  bool topDown = false;
  bool dibSection = false;  // GetObjectA gives bmBits only for DIB sections
};

// The rasteriser's side of a font lives in the text module.
struct FontFace;

struct Font : Object {
  Font() : Object(Kind::Font) {}
  LOGFONTA log = {};
  std::shared_ptr<FontFace> face;  // made on first use
};

struct Region : Object {
  Region() : Object(Kind::Region) {}
  RECT rect = {};
};

struct Brush : Object {
  Brush() : Object(Kind::Brush) {}
  COLORREF color = 0;
  bool hollow = false;
};

struct Pen : Object {
  Pen() : Object(Kind::Pen) {}
  COLORREF color = 0;
  bool hollow = false;
};

enum class DCKind { Memory, Surface, Window, Desktop };

struct DC : Object {
  DC() : Object(Kind::DC) {}
  DCKind dcKind = DCKind::Memory;
  PixelBuffer target;        // where drawing lands; empty for a memory DC with no bitmap
  Bitmap* bitmap = nullptr;  // selected bitmap of a memory DC
  Font* font = nullptr;      // selected font; null means the default (System-like) font
  Brush* brush = nullptr;
  Pen* pen = nullptr;
  Region* clip = nullptr;  // selected clip region (the DC's own copy), or none
  COLORREF textColor = 0x000000;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  int stretchMode = BLACKONWHITE;  // what a shrinking StretchBlt does with dropped pixels
  UINT textAlign = TA_LEFT | TA_TOP;
  HWND window = nullptr;             // window or desktop DCs
  std::unique_ptr<Region> clipCopy;  // owns `clip`
};

// Registry of live objects.
HGDIOBJ Register(std::unique_ptr<Object> object);
Object* Lookup(HGDIOBJ handle);  // null when not a live object
template <typename T>
T* LookupAs(HGDIOBJ handle, Kind kind) {
  Object* o = Lookup(handle);
  return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
}
inline DC* LookupDC(HDC dc) { return LookupAs<DC>(dc, Kind::DC); }
// Sets one of a DC's settings when `valid`, giving back the previous one; `failed` for a bad DC
// or value.
template <typename T>
T ExchangeSetting(HDC hdc, T DC::*setting, T value, bool valid, T failed) {
  DC* dc = LookupDC(hdc);
  if (!dc || !valid) return failed;
  T previous = dc->*setting;
  dc->*setting = value;
  return previous;
}
template <typename T>
T SettingOf(HDC hdc, T DC::*setting, T failed) {
  DC* dc = LookupDC(hdc);
  return dc ? dc->*setting : failed;
}
// The modes answer 0 for a bad DC or mode.
inline int ExchangeMode(HDC hdc, int DC::*mode, int value, bool valid) {
  return ExchangeSetting(hdc, mode, value, valid, 0);
}
inline int ModeOf(HDC hdc, int DC::*mode) { return SettingOf(hdc, mode, 0); }
// Frees the object; false when it is not live, is stock, or is still selected.
bool Destroy(HGDIOBJ handle);

// The rectangle that drawing into the DC may touch, in target coordinates: the target's bounds
// cut by the clip region. Empty when the DC has no pixels (window and desktop DCs).
RECT DrawBounds(const DC& dc);
// The default font of a new device context (the stock SYSTEM_FONT).
Font* DefaultFont();

}  // namespace plat::gdi

#endif

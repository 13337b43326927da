// Pixel copies between device contexts: BitBlt, StretchBlt, StretchDIBits, and the bitmaps
// they work on: CreateDIBSection and CreateCompatibleBitmap.
//
// Scaling is nearest-neighbour (GDI's COLORONCOLOR), planned by core/stretch: destination
// column i of a span w wide reads source column i * sw / w, and a mirrored axis reflects the
// source column read. Colours convert through 8-bit RGB; onto 8-bit targets they go
// to the nearest palette entry. Raster operations work on raw destination values, as on a
// display driver.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/overlap_copy.h"
#include "core/stretch.h"
#include "core/trace.h"
#include "gdi/gdi_internal.h"
#include "gdi/gdi_objects.h"
#include "gdi/shrink.h"

namespace plat::gdi {

namespace {

// Nearest palette entries, remembered for the colours already seen in this copy.
class PaletteMatcher {
 public:
  explicit PaletteMatcher(const PALETTEENTRY* palette) : palette_(palette), cache_(4096, 0) {}
  uint32_t operator()(uint32_t xrgb) {
    if (!palette_) return (((xrgb >> 16) & 0xFF) + ((xrgb >> 8) & 0xFF) + (xrgb & 0xFF)) / 3;
    uint64_t& slot = cache_[(xrgb ^ (xrgb >> 12)) & 4095];
    if ((slot >> 32) == (xrgb | 0x1000000u)) return static_cast<uint32_t>(slot & 0xFF);
    uint8_t index =
        NearestPaletteIndex(palette_, (xrgb >> 16) & 0xFF, (xrgb >> 8) & 0xFF, xrgb & 0xFF);
    slot = (static_cast<uint64_t>(xrgb | 0x1000000u) << 32) | index;
    return index;
  }

 private:
  const PALETTEENTRY* palette_;
  std::vector<uint64_t> cache_;
};

uint32_t PaletteRgb(const PALETTEENTRY* palette, uint32_t index) {
  if (!palette) return index * 0x010101u;
  const PALETTEENTRY& e = palette[index & 0xFF];
  return (static_cast<uint32_t>(e.peRed) << 16) | (e.peGreen << 8) | e.peBlue;
}

bool SamePalette(const PALETTEENTRY* a, const PALETTEENTRY* b) {
  if (a == b) return true;
  if (!a || !b) return !a && !b;
  for (int i = 0; i < 256; ++i) {
    if (a[i].peRed != b[i].peRed || a[i].peGreen != b[i].peGreen || a[i].peBlue != b[i].peBlue) {
      return false;
    }
  }
  return true;
}

// A raster operation's truth table: bit (P << 2 | S << 1 | D) of its second byte is the result
// for those pattern, source and destination bits. Windows reads only that byte.
inline uint32_t Rop3(DWORD rop) { return (rop >> 16) & 0xFF; }

bool NeedsSource(DWORD rop) { return ((Rop3(rop) >> 2) ^ Rop3(rop)) & 0x33; }
bool NeedsPattern(DWORD rop) { return ((Rop3(rop) >> 4) ^ Rop3(rop)) & 0x0F; }

inline uint32_t Combine(DWORD rop, uint32_t d, uint32_t s, uint32_t p) {
  switch (rop) {
    case SRCPAINT:
      return d | s;
    case SRCAND:
      return d & s;
    case SRCINVERT:
      return d ^ s;
    case SRCCOPY:
      return s;
    default:
      break;
  }
  const uint32_t table = Rop3(rop);
  uint32_t result = 0;
  for (uint32_t i = 0; i < 8; ++i) {
    if (table >> i & 1) result |= (i & 4 ? p : ~p) & (i & 2 ? s : ~s) & (i & 1 ? d : ~d);
  }
  return result;
}

// How source values become destination values for one copy: kept as they are (one format, or
// a palette onto the same palette), through a table of the source palette's 256 colours, to
// the nearest destination palette entry, or through 8-bit RGB between direct-colour formats.
class ColorTranslation {
 public:
  ColorTranslation(const PixelBuffer& src, const PixelBuffer& dst)
      : from_(src.format), to_(dst.format) {
    const bool sPal = src.format.IsPalettized();
    const bool dPal = dst.format.IsPalettized();
    if (sPal) {
      mode_ = Mode::Lut;
      const bool identity = dPal && (SamePalette(src.palette, dst.palette) || !src.palette);
      if (identity) {
        mode_ = Mode::Raw;
      } else if (dPal) {
        PaletteMatcher match(dst.palette);
        for (uint32_t i = 0; i < 256; ++i) lut_[i] = match(PaletteRgb(src.palette, i));
      } else {
        for (uint32_t i = 0; i < 256; ++i) lut_[i] = to_.FromXrgb(PaletteRgb(src.palette, i));
      }
    } else if (dPal) {
      mode_ = Mode::Match;
      matcher_ = std::make_unique<PaletteMatcher>(dst.palette);
    } else if (src.format == dst.format) {
      mode_ = Mode::Raw;
    } else {
      mode_ = Mode::Direct;
    }
  }

  // Raw values need no translation.
  bool Identity() const { return mode_ == Mode::Raw; }

  uint32_t operator()(uint32_t s) {
    switch (mode_) {
      case Mode::Raw:
        return s;
      case Mode::Lut:
        return lut_[s & 0xFF];
      case Mode::Match:
        return (*matcher_)(from_.ToXrgb(s));
      case Mode::Direct:
        break;
    }
    return to_.FromXrgb(from_.ToXrgb(s));
  }

 private:
  enum class Mode { Raw, Lut, Match, Direct };
  Mode mode_ = Mode::Raw;
  uint32_t lut_[256];
  const RgbCodec from_;
  const RgbCodec to_;
  std::unique_ptr<PaletteMatcher> matcher_;
};

// A whole row copied and converted without scaling from `s` (the first source pixel) to `d`.
// False when the destination row is not aligned for the converter's stores, which leaves the
// row to the general translation.
using RowConverter = bool (*)(const uint8_t* s, uint8_t* d, size_t count);

// 24- or 32-bit pixels (blue first) to 5-6-5.
template <int SourceBytes>
bool ToRgb565Row(const uint8_t* s, uint8_t* drow, size_t count) {
  uint16_t* d = reinterpret_cast<uint16_t*>(drow);
  if (reinterpret_cast<uintptr_t>(d) % alignof(uint16_t) != 0) return false;
  for (size_t i = 0; i < count; ++i, s += SourceBytes) {
    d[i] = static_cast<uint16_t>(((s[2] & 0xF8) << 8) | ((s[1] & 0xFC) << 3) | (s[0] >> 3));
  }
  return true;
}

// Converters for the (source, destination) format pairs that programs copy most, as plain
// copies between direct-colour formats: the bitmaps of loaded pictures onto 16-bit surfaces.
struct FastPath {
  PixelFormat src;
  PixelFormat dst;
  RowConverter convert;
};

RowConverter FindFastPath(const PixelFormat& src, const PixelFormat& dst) {
  static const FastPath kFastPaths[] = {
      {PixelFormat::Rgb888(), PixelFormat::Rgb565(), ToRgb565Row<3>},
      {PixelFormat::Xrgb8888(), PixelFormat::Rgb565(), ToRgb565Row<4>},
  };
  for (const FastPath& path : kFastPaths) {
    if (path.src == src && path.dst == dst) return path.convert;
  }
  return nullptr;
}

uint32_t ValueMask(const PixelFormat& f) {
  return f.bitsPerPixel >= 32 ? 0xFFFFFFFFu : (1u << (f.BytesPerPixel() * 8)) - 1;
}

// The raster operations that read no source: those of the pattern and the destination (black
// and white are all bits clear and all bits set).
void FillWithoutSource(const PixelBuffer& dst, const RECT& area, DWORD rop, uint32_t pattern) {
  const uint32_t dBytes = dst.format.BytesPerPixel();
  const uint32_t dMask = ValueMask(dst.format);
  for (int y = area.top; y < area.bottom; ++y) {
    uint8_t* row = dst.Row(y);
    for (int x = area.left; x < area.right; ++x) {
      uint8_t* p = row + static_cast<ptrdiff_t>(x) * dBytes;
      StorePixel(p, dBytes, Combine(rop, LoadPixel(p, dBytes), 0, pattern) & dMask);
    }
  }
}

// One axis of a GDI rectangle given by origin and signed extent, as [left, left + size). A
// negative extent that mirrors covers the origin pixel and those before it; when source and
// destination are both negative nothing mirrors and both cover the pixels before the origin.
void GdiAxis(int64_t origin, int64_t extent, bool mirrors, int64_t* left, int64_t* size) {
  *size = extent < 0 ? -extent : extent;
  *left = extent >= 0 ? origin : origin + extent + (mirrors ? 1 : 0);
}

// When one axis mirrors and the source rectangle runs off the source bitmap, the destination
// is not mirrored about its own origin: the visible part of the source lands at the other end
// of the destination rectangle. Moves the destination origin to where it lands.
void AlignMirroredAxis(int64_t* dst, int64_t wDst, int64_t src, int64_t wSrc, int64_t srcSize) {
  if ((wDst < 0) == (wSrc < 0) || wDst == 0 || wSrc == 0) return;
  int64_t left, size;
  GdiAxis(src, wSrc, true, &left, &size);
  const int64_t visLeft = std::max<int64_t>(left, 0);
  const int64_t visRight = std::min<int64_t>(left + size, srcSize);
  if (visLeft >= visRight) return;
  // The visible source in destination units, measured from the origins.
  const int64_t back = wSrc < 0 ? 1 : 0;
  int64_t a = (visLeft - src - back) * wDst / wSrc;
  int64_t b = (visRight - src - back) * wDst / wSrc;
  if (a > b) std::swap(a, b);
  if (wSrc < 0 && (src + wSrc + 1 < visLeft || src > visRight)) {
    *dst += (wDst - b) - a;
  } else if (wSrc > 0 && (src < visLeft || src + wSrc > visRight)) {
    *dst -= b - (wDst - a);
  }
}

// The stretch of GDI's signed rectangles: a negative width or height mirrors its axis, and
// mirroring both source and destination cancels out.
StretchRects GdiStretchRects(int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc, int wSrc,
                             int hSrc, int srcWidth, int srcHeight) {
  StretchRects rects;
  rects.mirrorLeftRight = (wDst < 0) != (wSrc < 0);
  rects.mirrorUpDown = (hDst < 0) != (hSrc < 0);
  int64_t x = xDst, y = yDst;
  AlignMirroredAxis(&x, wDst, xSrc, wSrc, srcWidth);
  AlignMirroredAxis(&y, hDst, ySrc, hSrc, srcHeight);
  GdiAxis(x, wDst, rects.mirrorLeftRight, &rects.dstLeft, &rects.dstWidth);
  GdiAxis(y, hDst, rects.mirrorUpDown, &rects.dstTop, &rects.dstHeight);
  GdiAxis(xSrc, wSrc, rects.mirrorLeftRight, &rects.srcLeft, &rects.srcWidth);
  GdiAxis(ySrc, hSrc, rects.mirrorUpDown, &rects.srcTop, &rects.srcHeight);
  rects.mirrorOrder = MirrorOrder::ReflectSource;
  return rects;
}

// Copies along a plan, translating colours and combining with the destination by `rop`; rows
// of a fast-path format pair go through its converter.
void TranslateAlongPlan(const PixelBuffer& dst, const PixelBuffer& src, const StretchPlan& plan,
                        ColorTranslation& translate, DWORD rop, uint32_t pattern) {
  const size_t spanLen = plan.columns.size();
  const uint32_t sBytes = src.format.BytesPerPixel();
  const uint32_t dBytes = dst.format.BytesPerPixel();
  const uint32_t dMask = ValueMask(dst.format);
  const RowConverter fast =
      plan.straight && rop == SRCCOPY ? FindFastPath(src.format, dst.format) : nullptr;
  for (size_t yi = 0; yi < plan.rows.size(); ++yi) {
    const uint8_t* srow = src.Row(plan.rows[yi]);
    uint8_t* drow = dst.At(plan.left, plan.top + static_cast<int>(yi));
    if (fast && fast(srow + static_cast<size_t>(plan.columns[0]) * sBytes, drow, spanLen)) {
      continue;
    }
    for (size_t i = 0; i < spanLen; ++i) {
      const uint32_t s =
          translate(LoadPixel(srow + static_cast<size_t>(plan.columns[i]) * sBytes, sBytes));
      uint8_t* p = drow + i * dBytes;
      StorePixel(p, dBytes,
                 rop == SRCCOPY ? s : (Combine(rop, LoadPixel(p, dBytes), s, pattern) & dMask));
    }
  }
}

}  // namespace

bool StretchPixels(const PixelBuffer& dst, const RECT& clip, int xDst, int yDst, int wDst, int hDst,
                   const PixelBuffer& srcIn, int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop,
                   uint32_t pattern) {
  if (wDst == 0 || hDst == 0) return true;
  const bool needsSource = NeedsSource(rop);
  if (needsSource && (wSrc == 0 || hSrc == 0)) return true;
  // Without a source a negative destination extent counts from its origin pixel.
  if (!needsSource) wSrc = hSrc = 0;

  const StretchRects rects =
      GdiStretchRects(xDst, yDst, wDst, hDst, xSrc, ySrc, wSrc, hSrc, needsSource ? srcIn.width : 0,
                      needsSource ? srcIn.height : 0);
  // The destination rectangle in the clip, in 64 bits so that no coordinate overflows.
  const int64_t cx0 = std::max<int64_t>(rects.dstLeft, clip.left);
  const int64_t cx1 = std::min<int64_t>(rects.dstLeft + rects.dstWidth, clip.right);
  const int64_t cy0 = std::max<int64_t>(rects.dstTop, clip.top);
  const int64_t cy1 = std::min<int64_t>(rects.dstTop + rects.dstHeight, clip.bottom);
  if (cx0 >= cx1 || cy0 >= cy1 || !dst.bits) return true;
  if (!needsSource) {
    FillWithoutSource(dst,
                      RECT{static_cast<LONG>(cx0), static_cast<LONG>(cy0), static_cast<LONG>(cx1),
                           static_cast<LONG>(cy1)},
                      rop, pattern);
    return true;
  }
  if (!srcIn.bits || srcIn.width <= 0 || srcIn.height <= 0) return true;

  // A copy within one bitmap reads from a copy of the source, so that no pixel is read after
  // it was overwritten. The whole source is copied: the plan is made in its coordinates.
  RECT whole = {0, 0, srcIn.width, srcIn.height};
  std::vector<uint8_t> storage;
  const PixelBuffer src = OverlapSafeSource(dst, srcIn, &whole, &storage);
  const StretchPlan plan = PlanStretch(rects, clip, src.width, src.height);
  if (plan.Empty()) return true;

  ColorTranslation translate(src, dst);
  if (translate.Identity() && rop == SRCCOPY) {
    StretchCopy(dst, src, plan, ColorKey(), ColorKey());
  } else {
    TranslateAlongPlan(dst, src, plan, translate, rop, pattern);
  }
  return true;
}

}  // namespace plat::gdi

namespace {

using plat::gdi::Bitmap;
using plat::gdi::DC;
using plat::gdi::DCKind;

// A bitmap in the format a DIB header describes, with its colour table. Only formats whose
// memory the caller can fill directly (8 bits and up, uncompressed).
std::unique_ptr<Bitmap> DibSectionFor(const BITMAPINFO* info, UINT usage) {
  if (!info || usage != DIB_RGB_COLORS) return nullptr;
  const auto* p = reinterpret_cast<const uint8_t*>(info);
  uint32_t size;
  std::memcpy(&size, p, 4);
  plat::gdi::DibHeader h;
  // The header, its masks and its colour table are the caller's: trust their extent.
  if (!plat::gdi::ParseDibHeader(p, static_cast<size_t>(size) + 12, &h)) return nullptr;
  if (h.bits < 8 || (h.compression != BI_RGB && h.compression != BI_BITFIELDS)) return nullptr;
  std::unique_ptr<Bitmap> b = plat::gdi::MakeBitmap(h.width, h.height, h.format, h.topDown);
  if (!b) return nullptr;
  if (h.format.IsPalettized()) plat::gdi::ReadColorTable(h, p + h.TableOffset(), b->colors.data());
  b->bitsPixel = static_cast<int>(h.bits);
  return b;
}

// A stretch into a DC in its stretch mode: shrinking in BLACKONWHITE or WHITEONBLACK first
// combines the source pixels that would be dropped.
bool StretchInMode(const DC& dst, int xDest, int yDest, int wDest, int hDest,
                   const plat::PixelBuffer& src, int xSrc, int ySrc, int wSrc, int hSrc,
                   DWORD rop) {
  std::vector<uint8_t> storage;
  plat::PixelBuffer reduced;
  const plat::PixelBuffer* from = &src;
  if (plat::gdi::NeedsSource(rop) &&
      plat::gdi::CombineShrunkPixels(dst.stretchMode, src, &xSrc, &ySrc, &wSrc, &hSrc, wDest, hDest,
                                     &storage, &reduced)) {
    from = &reduced;
  }
  // The pattern is the DC's brush (a new DC's is white); a hollow brush paints nothing.
  uint32_t pattern = 0;
  if (plat::gdi::NeedsPattern(rop)) {
    if (dst.brush && dst.brush->hollow) return true;
    pattern = plat::gdi::ColorToRaw(dst.target, dst.brush ? dst.brush->color : RGB(255, 255, 255));
  }
  RECT clip = plat::gdi::DrawBounds(dst);
  return plat::gdi::StretchPixels(dst.target, clip, xDest, yDest, wDest, hDest, *from, xSrc, ySrc,
                                  wSrc, hSrc, rop, pattern);
}

// StretchBlt's work, which BitBlt does too.
BOOL Stretch(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
             int ySrc, int wSrc, int hSrc, DWORD rop) {
  DC* dst = plat::gdi::LookupDC(hdcDest);
  if (!dst) return FALSE;
  plat::PixelBuffer none;
  const plat::PixelBuffer* src = &none;
  if (plat::gdi::NeedsSource(rop)) {
    DC* s = plat::gdi::LookupDC(hdcSrc);
    if (!s) return FALSE;
    src = &s->target;
  }
  return StretchInMode(*dst, xDest, yDest, wDest, hDest, *src, xSrc, ySrc, wSrc, hSrc, rop) ? TRUE
                                                                                            : FALSE;
}

// StretchDIBits measures the source rectangle from the image's bottom-left corner, except in a
// top-down image copied unscaled from its corner or with an operation other than SRCCOPY.
bool SourceFromBottom(const plat::gdi::DibHeader& h, bool fromCorner, DWORD rop) {
  return !h.topDown || (rop == SRCCOPY && !fromCorner);
}

// StretchDIBits' answer on success, worked out as Windows does (Wine's gdi32 bitmap.c,
// test_StretchDIBits, which runs on Windows; Wine's own nulldrv_StretchDIBits for the rest):
// 0 when the source rectangle misses the image; otherwise, for SRCCOPY, the image's height, or
// the source's lines when it is copied unscaled from the image's corner; for other operations
// the header's signed height. The source is flipped, and for one-pixel destinations shrunk, as
// Windows does before that test.
int StretchDIBitsAnswer(const plat::gdi::DibHeader& h, bool fromCorner, int wDest, int hDest,
                        int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
  const int64_t height = h.height;
  int64_t x = xSrc, y = ySrc, w = wSrc, ht = hSrc;
  if (rop != SRCCOPY || fromCorner) {
    if (wDest == 1 && w > 1) --w;
    if (hDest == 1 && ht > 1) --ht;
  }
  if (rop != SRCCOPY) {
    if (wDest < 0 && wDest == w) {
      x += w;
      w = -w;
    }
    if (hDest < 0 && hDest == ht) {
      y += ht;
      ht = -ht;
    }
  }
  if (SourceFromBottom(h, fromCorner, rop)) y = height - y - ht;
  if (y >= height && y + ht + 1 < height) {
    y = height - 1;
  } else if (y > 0 && y + ht + 1 < 0) {
    y = -ht - 1;
  }
  // The bounding rectangle of a mirrored extent starts one pixel after its far edge.
  auto span = [](int64_t from, int64_t extent, int64_t* lo, int64_t* hi) {
    *lo = from;
    *hi = from + extent;
    if (*lo > *hi) {
      const int64_t near = *lo;
      *lo = *hi + 1;
      *hi = near + 1;
    }
  };
  int64_t left, right, top, bottom;
  span(x, w, &left, &right);
  span(y, ht, &top, &bottom);
  if (std::max<int64_t>(left, 0) >= std::min<int64_t>(right, h.width) ||
      std::max<int64_t>(top, 0) >= std::min<int64_t>(bottom, height)) {
    return 0;
  }
  if (rop != SRCCOPY) return static_cast<int>(h.topDown ? -height : height);
  if (fromCorner) return static_cast<int>(std::min<int64_t>(std::abs(int64_t{hSrc}), height));
  return static_cast<int>(height);
}

}  // namespace

namespace trace = plat::trace;

extern "C" {

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                HANDLE hSection, DWORD offset) {
  QV_ENTRY_OR_RETURN("CreateDIBSection", trace::Ptr(hdc), trace::Ptr(pbmi), trace::Dec(usage),
                     trace::Ptr(ppvBits), trace::Ptr(hSection), trace::Dec(offset));
  (void)offset;
  if (ppvBits) *ppvBits = nullptr;
  if (hdc && !plat::gdi::LookupDC(hdc)) return nullptr;
  if (hSection) return nullptr;  // file-mapping sections are not supported
  std::unique_ptr<Bitmap> b = DibSectionFor(pbmi, usage);
  if (!b) return nullptr;
  if (ppvBits) *ppvBits = b->storage.data();
  return static_cast<HBITMAP>(plat::gdi::Register(std::move(b)));
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  QV_ENTRY_OR_RETURN("CreateCompatibleBitmap", trace::Ptr(hdc), trace::Dec(cx), trace::Dec(cy));
  DC* dc = plat::gdi::LookupDC(hdc);
  if (!dc || cx < 0 || cy < 0) return nullptr;
  plat::PixelFormat format;
  const PALETTEENTRY* palette = nullptr;
  int bitsPixel;
  if (cx == 0 || cy == 0) {
    cx = cy = 1;  // Windows answers an empty size with a 1x1 monochrome bitmap
    format = plat::PixelFormat::Indexed8();
    palette = plat::gdi::DefaultBitmap()->colors.data();
    bitsPixel = 1;
  } else if (dc->dcKind == DCKind::Memory && dc->bitmap) {
    // A memory DC makes bitmaps like the one selected into it (monochrome at first).
    format = dc->bitmap->pixels.format;
    palette = dc->bitmap->pixels.palette;
    bitsPixel = dc->bitmap->bitsPixel == 1 ? 1 : static_cast<int>(format.bitsPerPixel);
  } else if (dc->dcKind == DCKind::Surface) {
    format = dc->target.format;
    palette = dc->target.palette;
    bitsPixel = static_cast<int>(format.bitsPerPixel);
  } else {
    format = plat::gdi::DesktopFormat();
    bitsPixel = static_cast<int>(format.bitsPerPixel);
  }
  std::unique_ptr<Bitmap> b = plat::gdi::MakeBitmap(cx, cy, format, false);
  if (!b) return nullptr;
  if (b->pixels.format.IsPalettized()) {
    if (palette) {
      std::memcpy(b->colors.data(), palette, 256 * sizeof(PALETTEENTRY));
    } else {
      for (int i = 0; i < 256; ++i) {  // a 3-3-2 colour cube for palette devices
        b->colors[i] = PALETTEENTRY{static_cast<BYTE>(((i >> 5) & 7) * 255 / 7),
                                    static_cast<BYTE>(((i >> 2) & 7) * 255 / 7),
                                    static_cast<BYTE>((i & 3) * 255 / 3), 0};
      }
    }
  }
  b->bitsPixel = bitsPixel;
  b->dibSection = false;
  return static_cast<HBITMAP>(plat::gdi::Register(std::move(b)));
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                       int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
  QV_ENTRY_OR_RETURN("StretchBlt", trace::Ptr(hdcDest), trace::Dec(xDest), trace::Dec(yDest),
                     trace::Dec(wDest), trace::Dec(hDest), trace::Ptr(hdcSrc), trace::Dec(xSrc),
                     trace::Dec(ySrc), trace::Dec(wSrc), trace::Dec(hSrc), trace::Hex(rop));
  return Stretch(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop);
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  QV_ENTRY_OR_RETURN("BitBlt", trace::Ptr(hdc), trace::Dec(x), trace::Dec(y), trace::Dec(cx),
                     trace::Dec(cy), trace::Ptr(hdcSrc), trace::Dec(x1), trace::Dec(y1),
                     trace::Hex(rop));
  return Stretch(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc,
                         int ySrc, int SrcWidth, int SrcHeight, const VOID* lpBits,
                         const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop) {
  QV_ENTRY_OR_RETURN("StretchDIBits", trace::Ptr(hdc), trace::Dec(xDest), trace::Dec(yDest),
                     trace::Dec(DestWidth), trace::Dec(DestHeight), trace::Dec(xSrc),
                     trace::Dec(ySrc), trace::Dec(SrcWidth), trace::Dec(SrcHeight),
                     trace::Ptr(lpBits), trace::Ptr(lpbmi), trace::Dec(iUsage), trace::Hex(rop));
  const int kError = static_cast<int>(GDI_ERROR);
  DC* dc = plat::gdi::LookupDC(hdc);
  if (!dc || !lpbmi || iUsage != DIB_RGB_COLORS) return kError;
  const auto* p = reinterpret_cast<const uint8_t*>(lpbmi);
  uint32_t size;
  std::memcpy(&size, p, 4);
  plat::gdi::DibHeader h;
  if (!plat::gdi::ParseDibHeader(p, static_cast<size_t>(size) + 12, &h)) return kError;
  // A source the destination's size at the image's corner is copied unscaled.
  const bool fromCorner =
      xSrc == 0 && ySrc == 0 && SrcWidth == DestWidth && SrcHeight == DestHeight;
  const int answer = StretchDIBitsAnswer(h, fromCorner, DestWidth, DestHeight, xSrc, ySrc, SrcWidth,
                                         SrcHeight, rop);
  if (!plat::gdi::NeedsSource(rop)) {
    if (answer != 0) {
      StretchInMode(*dc, xDest, yDest, DestWidth, DestHeight, plat::PixelBuffer(), 0, 0, 0, 0, rop);
    }
    return answer;
  }
  if (!lpBits) return kError;
  // A source rectangle of negative extent is refused.
  if (SrcWidth < 0 || SrcHeight < 0) return 0;

  PALETTEENTRY palette[256];
  plat::gdi::ReadColorTable(h, p + h.TableOffset(), palette);
  // Uncompressed rows are as long as the header says; run-length data as biSizeImage says.
  size_t available = static_cast<size_t>(h.PixelBytes());
  if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
    if (h.sizeImage == 0) return kError;
    available = h.sizeImage;
  }
  std::unique_ptr<Bitmap> image =
      plat::gdi::DecodeDib(h, palette, static_cast<const uint8_t*>(lpBits), available);
  if (!image) return kError;

  const int64_t top = SourceFromBottom(h, fromCorner, rop)
                          ? static_cast<int64_t>(h.height) - ySrc - SrcHeight
                          : static_cast<int64_t>(ySrc);
  if (top < INT32_MIN || top > INT32_MAX) return kError;
  if (answer == 0) return 0;
  StretchInMode(*dc, xDest, yDest, DestWidth, DestHeight, image->pixels, xSrc,
                static_cast<int>(top), SrcWidth, SrcHeight, rop);
  return answer;
}

}  // extern "C"

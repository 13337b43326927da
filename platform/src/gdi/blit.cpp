// Pixel copies between device contexts: BitBlt, StretchBlt, StretchDIBits, and the bitmaps
// they work on: CreateDIBSection and CreateCompatibleBitmap.
//
// Scaling is nearest-neighbour (GDI's COLORONCOLOR): destination column i of a span w wide
// reads source column i * sw / w. Colours convert through 8-bit RGB; onto 8-bit targets they go
// to the nearest palette entry. Raster operations work on raw destination values, as on a
// display driver.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/trace.h"
#include "gdi/gdi_internal.h"
#include "gdi/gdi_objects.h"

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

bool NeedsSource(DWORD rop) { return rop != BLACKNESS && rop != WHITENESS && rop != DSTINVERT; }

bool Supported(DWORD rop) {
  return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT ||
         rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT;
}

inline uint32_t Combine(DWORD rop, uint32_t d, uint32_t s) {
  switch (rop) {
    case SRCPAINT:
      return d | s;
    case SRCAND:
      return d & s;
    case SRCINVERT:
      return d ^ s;
    default:
      return s;
  }
}

bool IsRgb888(const PixelFormat& f) { return f == PixelFormat::Rgb888(); }
bool IsXrgb(const PixelFormat& f) { return f == PixelFormat::Xrgb8888(); }
bool IsRgb565(const PixelFormat& f) { return f == PixelFormat::Rgb565(); }

bool Overlaps(const PixelBuffer& a, const PixelBuffer& b) {
  auto span = [](const PixelBuffer& p, uintptr_t* lo, uintptr_t* hi) {
    uintptr_t first = reinterpret_cast<uintptr_t>(p.Row(0));
    uintptr_t last = reinterpret_cast<uintptr_t>(p.Row(p.height - 1));
    *lo = std::min(first, last);
    *hi = std::max(first, last) + static_cast<uintptr_t>(p.width) * p.format.BytesPerPixel();
  };
  uintptr_t alo, ahi, blo, bhi;
  span(a, &alo, &ahi);
  span(b, &blo, &bhi);
  return alo < bhi && blo < ahi;
}

// Fills the span map of one axis: for each destination position in [clipLo, clipHi) the
// source position, or -1 where it falls outside the source.
void MapAxis(int64_t dstLo, int64_t dstLen, int64_t srcLo, int64_t srcLen, bool mirror,
             int64_t clipLo, int64_t clipHi, int64_t srcLimit, std::vector<int32_t>* out) {
  out->resize(static_cast<size_t>(clipHi - clipLo));
  for (int64_t d = clipLo; d < clipHi; ++d) {
    int64_t i = d - dstLo;
    int64_t j = i * srcLen / dstLen;
    if (mirror) j = srcLen - 1 - j;
    int64_t s = srcLo + j;
    (*out)[static_cast<size_t>(d - clipLo)] =
        (s >= 0 && s < srcLimit) ? static_cast<int32_t>(s) : -1;
  }
}

}  // namespace

bool StretchPixels(const PixelBuffer& dst, const RECT& clip, int xDst, int yDst, int wDst, int hDst,
                   const PixelBuffer& srcIn, int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
  if (!Supported(rop)) return false;
  if (wDst == 0 || hDst == 0) return true;
  const bool needsSource = NeedsSource(rop);
  if (needsSource && (wSrc == 0 || hSrc == 0)) return true;

  // Destination rectangle, normalised, in 64 bits so that no coordinate overflows.
  const int64_t dl = std::min<int64_t>(xDst, static_cast<int64_t>(xDst) + wDst);
  const int64_t dt = std::min<int64_t>(yDst, static_cast<int64_t>(yDst) + hDst);
  const int64_t dw = std::abs(static_cast<int64_t>(wDst));
  const int64_t dh = std::abs(static_cast<int64_t>(hDst));
  const int64_t cx0 = std::max<int64_t>(dl, clip.left),
                cx1 = std::min<int64_t>(dl + dw, clip.right);
  const int64_t cy0 = std::max<int64_t>(dt, clip.top),
                cy1 = std::min<int64_t>(dt + dh, clip.bottom);
  if (cx0 >= cx1 || cy0 >= cy1 || !dst.bits) return true;
  const uint32_t dBytes = dst.format.BytesPerPixel();
  const uint32_t dMask = dst.format.bitsPerPixel >= 32 ? 0xFFFFFFFFu : (1u << (dBytes * 8)) - 1;

  if (!needsSource) {
    uint32_t value = rop == BLACKNESS   ? ColorToRaw(dst, RGB(0, 0, 0))
                     : rop == WHITENESS ? ColorToRaw(dst, RGB(255, 255, 255))
                                        : 0;
    for (int64_t y = cy0; y < cy1; ++y) {
      uint8_t* row = dst.Row(static_cast<int>(y));
      for (int64_t x = cx0; x < cx1; ++x) {
        uint8_t* p = row + x * dBytes;
        StorePixel(p, dBytes, rop == DSTINVERT ? (~LoadPixel(p, dBytes) & dMask) : value);
      }
    }
    return true;
  }
  if (!srcIn.bits || srcIn.width <= 0 || srcIn.height <= 0) return true;

  // A copy within one bitmap reads from a snapshot, so that no pixel is read after it was
  // overwritten.
  PixelBuffer src = srcIn;
  std::vector<uint8_t> snapshot;
  if (Overlaps(src, dst)) {
    const size_t rowBytes = static_cast<size_t>(src.width) * src.format.BytesPerPixel();
    snapshot.resize(rowBytes * static_cast<size_t>(src.height));
    for (int y = 0; y < src.height; ++y) {
      std::memcpy(snapshot.data() + rowBytes * static_cast<size_t>(y), src.Row(y), rowBytes);
    }
    src.bits = snapshot.data();
    src.pitch = static_cast<int32_t>(rowBytes);
  }

  const int64_t sl = std::min<int64_t>(xSrc, static_cast<int64_t>(xSrc) + wSrc);
  const int64_t st = std::min<int64_t>(ySrc, static_cast<int64_t>(ySrc) + hSrc);
  const int64_t sw = std::abs(static_cast<int64_t>(wSrc));
  const int64_t sh = std::abs(static_cast<int64_t>(hSrc));
  const bool mirrorX = (wDst < 0) != (wSrc < 0);
  const bool mirrorY = (hDst < 0) != (hSrc < 0);

  std::vector<int32_t> xmap, ymap;
  MapAxis(dl, dw, sl, sw, mirrorX, cx0, cx1, src.width, &xmap);
  MapAxis(dt, dh, st, sh, mirrorY, cy0, cy1, src.height, &ymap);
  const size_t spanLen = xmap.size();
  const uint32_t sBytes = src.format.BytesPerPixel();

  // Source columns form one unbroken forward run: rows can be converted without the map.
  bool straight = xmap.front() >= 0;
  for (size_t i = 1; straight && i < spanLen; ++i) straight = xmap[i] == xmap[i - 1] + 1;

  enum class Mode { Raw, Lut, Match, Direct };
  Mode mode;
  uint32_t lut[256];
  const bool sPal = src.format.IsPalettized();
  const bool dPal = dst.format.IsPalettized();
  if (sPal) {
    mode = Mode::Lut;
    bool identity = dPal && (SamePalette(src.palette, dst.palette) || !src.palette);
    if (identity) {
      mode = Mode::Raw;
    } else if (dPal) {
      PaletteMatcher match(dst.palette);
      for (uint32_t i = 0; i < 256; ++i) lut[i] = match(PaletteRgb(src.palette, i));
    } else {
      const RgbCodec to(dst.format);
      for (uint32_t i = 0; i < 256; ++i) lut[i] = to.FromXrgb(PaletteRgb(src.palette, i));
    }
  } else if (dPal) {
    mode = Mode::Match;
  } else if (src.format == dst.format) {
    mode = Mode::Raw;
  } else {
    mode = Mode::Direct;
  }
  const RgbCodec from(src.format);
  const RgbCodec to(dst.format);
  std::unique_ptr<PaletteMatcher> matcher;
  if (mode == Mode::Match) matcher = std::make_unique<PaletteMatcher>(dst.palette);

  const bool rawRows = mode == Mode::Raw && straight && rop == SRCCOPY && sBytes == dBytes;
  const bool fast24to565 = mode == Mode::Direct && straight && rop == SRCCOPY &&
                           IsRgb888(src.format) && IsRgb565(dst.format);
  const bool fast32to565 = mode == Mode::Direct && straight && rop == SRCCOPY &&
                           IsXrgb(src.format) && IsRgb565(dst.format);

  for (size_t yi = 0; yi < ymap.size(); ++yi) {
    const int32_t sy = ymap[yi];
    if (sy < 0) continue;
    const uint8_t* srow = src.Row(sy);
    uint8_t* drow = dst.Row(static_cast<int>(cy0 + static_cast<int64_t>(yi))) + cx0 * dBytes;
    if (rawRows) {
      std::memcpy(drow, srow + static_cast<size_t>(xmap[0]) * sBytes, spanLen * dBytes);
      continue;
    }
    if (fast24to565) {
      const uint8_t* s = srow + static_cast<size_t>(xmap[0]) * 3;
      uint16_t* d = reinterpret_cast<uint16_t*>(drow);
      if (reinterpret_cast<uintptr_t>(d) % alignof(uint16_t) == 0) {
        for (size_t i = 0; i < spanLen; ++i, s += 3) {
          d[i] = static_cast<uint16_t>(((s[2] & 0xF8) << 8) | ((s[1] & 0xFC) << 3) | (s[0] >> 3));
        }
        continue;
      }
    }
    if (fast32to565) {
      const uint8_t* s = srow + static_cast<size_t>(xmap[0]) * 4;
      uint16_t* d = reinterpret_cast<uint16_t*>(drow);
      if (reinterpret_cast<uintptr_t>(d) % alignof(uint16_t) == 0) {
        for (size_t i = 0; i < spanLen; ++i, s += 4) {
          d[i] = static_cast<uint16_t>(((s[2] & 0xF8) << 8) | ((s[1] & 0xFC) << 3) | (s[0] >> 3));
        }
        continue;
      }
    }
    for (size_t i = 0; i < spanLen; ++i) {
      const int32_t sx = xmap[i];
      if (sx < 0) continue;
      uint32_t s = LoadPixel(srow + static_cast<size_t>(sx) * sBytes, sBytes);
      switch (mode) {
        case Mode::Raw:
          break;
        case Mode::Lut:
          s = lut[s & 0xFF];
          break;
        case Mode::Match:
          s = (*matcher)(from.ToXrgb(s));
          break;
        case Mode::Direct:
          s = to.FromXrgb(from.ToXrgb(s));
          break;
      }
      uint8_t* p = drow + i * dBytes;
      StorePixel(p, dBytes, rop == SRCCOPY ? s : (Combine(rop, LoadPixel(p, dBytes), s) & dMask));
    }
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

// StretchBlt's work, which BitBlt does too.
BOOL Stretch(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
             int ySrc, int wSrc, int hSrc, DWORD rop) {
  DC* dst = plat::gdi::LookupDC(hdcDest);
  if (!dst || !plat::gdi::Supported(rop)) return FALSE;
  plat::PixelBuffer none;
  const plat::PixelBuffer* src = &none;
  if (plat::gdi::NeedsSource(rop)) {
    DC* s = plat::gdi::LookupDC(hdcSrc);
    if (!s) return FALSE;
    src = &s->target;
  }
  RECT clip = plat::gdi::DrawBounds(*dst);
  return plat::gdi::StretchPixels(dst->target, clip, xDest, yDest, wDest, hDest, *src, xSrc, ySrc,
                                  wSrc, hSrc, rop)
             ? TRUE
             : FALSE;
}

}  // namespace

namespace trace = plat::trace;

extern "C" {

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                HANDLE hSection, DWORD offset) {
  QV_ENTRY("CreateDIBSection", trace::Ptr(hdc), trace::Ptr(pbmi), trace::Dec(usage),
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
  QV_ENTRY("CreateCompatibleBitmap", trace::Ptr(hdc), trace::Dec(cx), trace::Dec(cy));
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
  QV_ENTRY("StretchBlt", trace::Ptr(hdcDest), trace::Dec(xDest), trace::Dec(yDest),
           trace::Dec(wDest), trace::Dec(hDest), trace::Ptr(hdcSrc), trace::Dec(xSrc),
           trace::Dec(ySrc), trace::Dec(wSrc), trace::Dec(hSrc), trace::Hex(rop));
  return Stretch(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop);
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  QV_ENTRY("BitBlt", trace::Ptr(hdc), trace::Dec(x), trace::Dec(y), trace::Dec(cx), trace::Dec(cy),
           trace::Ptr(hdcSrc), trace::Dec(x1), trace::Dec(y1), trace::Hex(rop));
  return Stretch(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc,
                         int ySrc, int SrcWidth, int SrcHeight, const VOID* lpBits,
                         const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop) {
  QV_ENTRY("StretchDIBits", trace::Ptr(hdc), trace::Dec(xDest), trace::Dec(yDest),
           trace::Dec(DestWidth), trace::Dec(DestHeight), trace::Dec(xSrc), trace::Dec(ySrc),
           trace::Dec(SrcWidth), trace::Dec(SrcHeight), trace::Ptr(lpBits), trace::Ptr(lpbmi),
           trace::Dec(iUsage), trace::Hex(rop));
  const int kError = static_cast<int>(GDI_ERROR);
  DC* dc = plat::gdi::LookupDC(hdc);
  if (!dc || !lpbmi || !plat::gdi::Supported(rop) || iUsage != DIB_RGB_COLORS) return kError;
  const auto* p = reinterpret_cast<const uint8_t*>(lpbmi);
  uint32_t size;
  std::memcpy(&size, p, 4);
  plat::gdi::DibHeader h;
  if (!plat::gdi::ParseDibHeader(p, static_cast<size_t>(size) + 12, &h)) return kError;
  const int lines = std::abs(SrcHeight);
  if (!plat::gdi::NeedsSource(rop)) {
    RECT clip = plat::gdi::DrawBounds(*dc);
    plat::gdi::StretchPixels(dc->target, clip, xDest, yDest, DestWidth, DestHeight,
                             plat::PixelBuffer(), 0, 0, 0, 0, rop);
    return lines;
  }
  if (!lpBits) return kError;

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

  // The source rectangle of a bottom-up DIB is measured from its bottom-left corner.
  int64_t top = h.topDown ? ySrc : static_cast<int64_t>(h.height) - ySrc - SrcHeight;
  if (top < INT32_MIN || top > INT32_MAX) return kError;
  RECT clip = plat::gdi::DrawBounds(*dc);
  plat::gdi::StretchPixels(dc->target, clip, xDest, yDest, DestWidth, DestHeight, image->pixels,
                           xSrc, static_cast<int>(top), SrcWidth, SrcHeight, rop);
  return lines;
}

}  // extern "C"

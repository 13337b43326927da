// The BMP reader behind LoadImageA: file and DIB headers of every common kind, colour tables,
// 1/4/8/16/24/32-bit rows, BI_BITFIELDS and run-length data. Every length and offset is
// checked against the bytes actually present before it is used.
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/trace.h"
#include "gdi/gdi_internal.h"
#include "gdi/gdi_objects.h"

namespace plat::gdi {

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool Contiguous(uint32_t mask) {
  if (mask == 0) return false;
  while ((mask & 1u) == 0) mask >>= 1;
  return (mask & (mask + 1)) == 0;
}

bool ValidMasks(uint32_t r, uint32_t g, uint32_t b, uint32_t bits) {
  if (!Contiguous(r) || !Contiguous(g) || !Contiguous(b)) return false;
  if ((r & g) || (r & b) || (g & b)) return false;
  return bits >= 32 || ((r | g | b) >> bits) == 0;
}

// Run-length data, bottom row first. Fills `rows` (8-bit indexes, `stride` bytes a row,
// bottom row at index 0). Decodes as Windows draws such data: pixels a run puts past the
// right edge are dropped (encoders such as ImageMagick write odd-width rows one pixel longer),
// a delta stops at the right edge, and the picture ends at the end-of-bitmap mark, at an
// end-of-line or delta that leaves the top row, or where the data runs out. Pixels no run
// reaches keep index 0.
void DecodeRle(const uint8_t* data, size_t size, bool rle4, int32_t width, int32_t height,
               uint8_t* rows, size_t stride) {
  size_t pos = 0;
  int32_t x = 0, y = 0;
  // Writes `count` pixels from x on, the i-th from `index(i)`, keeping those inside the row.
  auto put = [&](int32_t count, auto index) {
    int32_t inside = count < width - x ? count : width - x;
    uint8_t* row = rows + static_cast<size_t>(y) * stride;
    for (int32_t i = 0; i < inside; ++i) row[x + i] = index(i);
    x += inside;
  };
  while (size - pos >= 2) {
    const uint8_t count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {  // encoded run: one index, or two alternating nibbles
      put(count, [&](int32_t i) {
        return rle4 ? static_cast<uint8_t>((i & 1) ? (value & 0x0F) : (value >> 4)) : value;
      });
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      if (++y >= height) return;
    } else if (value == 1) {  // end of bitmap
      return;
    } else if (value == 2) {  // delta: move right and up
      if (size - pos < 2) return;
      const int32_t dx = data[pos], dy = data[pos + 1];
      pos += 2;
      x = dx < width - x ? x + dx : width;
      y += dy;
      if (y >= height) return;
    } else {  // absolute: `value` literal indexes, padded to a 16-bit boundary
      const size_t bytes = rle4 ? (value + 1u) / 2 : value;
      if (size - pos < bytes) return;
      const uint8_t* literal = data + pos;
      put(value, [&](int32_t i) {
        if (!rle4) return literal[i];
        const uint8_t b = literal[i / 2];
        return static_cast<uint8_t>((i & 1) ? (b & 0x0F) : (b >> 4));
      });
      pos += bytes + (bytes & 1);
      if (pos > size) return;
    }
  }
}

}  // namespace

bool ParseDibHeader(const uint8_t* p, size_t available, DibHeader* out) {
  if (!p || available < 12) return false;
  DibHeader h;
  h.headerSize = U32(p);
  int64_t height;
  uint32_t clrUsed = 0;
  if (h.headerSize == 12) {
    h.width = U16(p + 4);
    height = U16(p + 6);
    h.bits = U16(p + 10);
    h.colorEntrySize = 3;
    if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 24) return false;
  } else if (h.headerSize == 40 || h.headerSize == 52 || h.headerSize == 56 ||
             h.headerSize == 108 || h.headerSize == 124) {
    if (available < h.headerSize) return false;
    h.width = static_cast<int32_t>(U32(p + 4));
    height = static_cast<int32_t>(U32(p + 8));
    h.bits = U16(p + 14);
    h.compression = U32(p + 16);
    h.sizeImage = U32(p + 20);
    clrUsed = U32(p + 32);
  } else {
    return false;
  }
  if (h.width <= 0 || height == 0) return false;
  h.topDown = height < 0;
  if (height < 0) height = -height;
  if (h.width > kMaxImageSide || height > kMaxImageSide) return false;
  h.height = static_cast<int32_t>(height);

  switch (h.compression) {
    case BI_RGB:
      if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 &&
          h.bits != 32) {
        return false;
      }
      break;
    case BI_RLE8:
      if (h.bits != 8 || h.topDown) return false;
      break;
    case BI_RLE4:
      if (h.bits != 4 || h.topDown) return false;
      break;
    case BI_BITFIELDS:
      if (h.bits != 16 && h.bits != 32) return false;
      break;
    default:
      return false;
  }

  if (h.bits <= 8) {
    h.format = PixelFormat::Indexed8();
    uint32_t full = 1u << h.bits;
    if (clrUsed > full) return false;
    h.colorCount = clrUsed ? clrUsed : full;
  } else if (h.bits == 24) {
    h.format = PixelFormat::Rgb888();
  } else if (h.compression == BI_RGB) {
    h.format = h.bits == 16 ? PixelFormat::Rgb555() : PixelFormat::Xrgb8888();
  } else {
    const uint8_t* masks = p + 40;
    if (h.headerSize == 40) {
      h.masksAfterHeader = 12;
      if (available < 52) return false;
    }
    uint32_t r = U32(masks), g = U32(masks + 4), b = U32(masks + 8);
    if (!ValidMasks(r, g, b, h.bits)) return false;
    h.format = PixelFormat{h.bits, r, g, b};
  }

  uint64_t decoded = DibStride(static_cast<uint64_t>(h.width), h.format.BytesPerPixel() * 8) *
                     static_cast<uint64_t>(h.height);
  if (h.PixelBytes() > kMaxImageBytes || decoded > kMaxImageBytes) return false;
  *out = h;
  return true;
}

void ReadColorTable(const DibHeader& header, const uint8_t* table, PALETTEENTRY* palette) {
  for (int i = 0; i < 256; ++i) palette[i] = PALETTEENTRY{0, 0, 0, 0};
  uint32_t count = header.colorCount > 256 ? 256 : header.colorCount;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* e = table + static_cast<size_t>(i) * header.colorEntrySize;
    palette[i] = PALETTEENTRY{e[2], e[1], e[0], 0};
  }
}

std::unique_ptr<Bitmap> DecodeDib(const DibHeader& h, const PALETTEENTRY* palette,
                                  const uint8_t* data, size_t size) {
  if (!data) return nullptr;
  std::unique_ptr<Bitmap> bitmap = MakeBitmap(h.width, h.height, h.format, h.topDown);
  if (!bitmap) return nullptr;
  if (h.format.IsPalettized()) std::memcpy(bitmap->colors.data(), palette, 256 * sizeof *palette);
  uint8_t* rows = bitmap->storage.data();
  const size_t stride = static_cast<size_t>(DibStride(static_cast<uint64_t>(h.width), 8));

  if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
    DecodeRle(data, size, h.compression == BI_RLE4, h.width, h.height, rows, stride);
    return bitmap;
  }

  if (h.PixelBytes() > size) return nullptr;
  if (h.bits >= 8) {
    // Rows are stored exactly as in the DIB, same order and padding.
    std::memcpy(rows, data, bitmap->storage.size());
    return bitmap;
  }
  // 1 and 4 bits a pixel become one index a byte; rows keep their order.
  const size_t inStride = static_cast<size_t>(DibStride(static_cast<uint64_t>(h.width), h.bits));
  for (int32_t r = 0; r < h.height; ++r) {
    const uint8_t* in = data + static_cast<size_t>(r) * inStride;
    uint8_t* out = rows + static_cast<size_t>(r) * stride;
    if (h.bits == 1) {
      for (int32_t x = 0; x < h.width; ++x) out[x] = (in[x >> 3] >> (7 - (x & 7))) & 1;
    } else {
      for (int32_t x = 0; x < h.width; ++x) {
        out[x] = (x & 1) ? (in[x >> 1] & 0x0F) : (in[x >> 1] >> 4);
      }
    }
  }
  return bitmap;
}

std::unique_ptr<Bitmap> ReadBmp(const uint8_t* data, size_t size) {
  if (!data || size < 14 + 12) return nullptr;
  if (data[0] != 'B' || data[1] != 'M') return nullptr;
  uint32_t offBits = U32(data + 10);
  DibHeader h;
  if (!ParseDibHeader(data + 14, size - 14, &h)) return nullptr;

  // The colour table follows the header (and its masks) and must end before the pixels.
  uint64_t tableStart = 14ull + h.TableOffset();
  uint64_t pixelStart = offBits ? offBits : 0;
  uint64_t tableBytes = static_cast<uint64_t>(h.colorCount) * h.colorEntrySize;
  if (h.headerSize == 12 && offBits && offBits >= tableStart && offBits - tableStart < tableBytes) {
    // Old core-header files may carry a shorter table; take what is there.
    h.colorCount = static_cast<uint32_t>((offBits - tableStart) / h.colorEntrySize);
    tableBytes = static_cast<uint64_t>(h.colorCount) * h.colorEntrySize;
  }
  if (tableStart + tableBytes > size) return nullptr;
  if (!offBits) pixelStart = tableStart + tableBytes;
  if (pixelStart < tableStart + tableBytes || pixelStart >= size) return nullptr;

  PALETTEENTRY palette[256];
  ReadColorTable(h, data + tableStart, palette);

  size_t available = size - static_cast<size_t>(pixelStart);
  // Run-length data ends at its declared size, or at the end of the file if that comes first.
  if ((h.compression == BI_RLE8 || h.compression == BI_RLE4) && h.sizeImage &&
      h.sizeImage < available) {
    available = h.sizeImage;
  }
  return DecodeDib(h, palette, data + pixelStart, available);
}

}  // namespace plat::gdi

extern "C" HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy,
                                    UINT fuLoad) {
  QV_ENTRY_OR_RETURN("LoadImageA", plat::trace::Ptr(hInst), plat::trace::Name(name),
                     plat::trace::Dec(type), plat::trace::Dec(cx), plat::trace::Dec(cy),
                     plat::trace::Hex(fuLoad));
  (void)hInst;
  if (type != IMAGE_BITMAP || !name || IS_INTRESOURCE(name) || cx < 0 || cy < 0) return nullptr;
  // Resources: the program's module carries none on this system.
  if (!(fuLoad & LR_LOADFROMFILE)) return nullptr;

  std::FILE* f = std::fopen(name, "rb");
  if (!f) return nullptr;
  std::vector<uint8_t> bytes;
  const size_t limit = static_cast<size_t>(plat::kMaxImageBytes) + (1u << 20);
  uint8_t chunk[65536];
  size_t n;
  bool tooBig = false;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    if (bytes.size() + n > limit) {
      tooBig = true;
      break;
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  std::fclose(f);
  if (tooBig) return nullptr;

  std::unique_ptr<plat::gdi::Bitmap> bitmap = plat::gdi::ReadBmp(bytes.data(), bytes.size());
  if (!bitmap) return nullptr;

  int width = cx ? cx : bitmap->pixels.width;
  int height = cy ? cy : bitmap->pixels.height;
  if (width != bitmap->pixels.width || height != bitmap->pixels.height) {
    std::unique_ptr<plat::gdi::Bitmap> scaled =
        plat::gdi::MakeBitmap(width, height, bitmap->pixels.format, bitmap->topDown);
    if (!scaled) return nullptr;
    scaled->colors = bitmap->colors;
    if (!scaled->colors.empty()) scaled->pixels.palette = scaled->colors.data();
    RECT all = {0, 0, width, height};
    plat::gdi::StretchPixels(scaled->pixels, all, 0, 0, width, height, bitmap->pixels, 0, 0,
                             bitmap->pixels.width, bitmap->pixels.height, SRCCOPY);
    bitmap = std::move(scaled);
  }
  // Without LR_CREATEDIBSECTION Windows makes a device-dependent bitmap: the display's format,
  // and GetObjectA reports no address for its pixels. (An 8-bit display's bitmaps keep the
  // file's colours: there is no system palette here to map them to.)
  const plat::PixelFormat display = plat::gdi::DesktopFormat();
  if (!(fuLoad & LR_CREATEDIBSECTION) && !display.IsPalettized()) {
    bitmap = plat::gdi::InFormat(std::move(bitmap), display);
    if (!bitmap) return nullptr;
  }
  bitmap->dibSection = (fuLoad & LR_CREATEDIBSECTION) != 0;
  return plat::gdi::Register(std::move(bitmap));
}

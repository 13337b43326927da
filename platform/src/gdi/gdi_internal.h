// Helpers shared by the GDI source files: bitmap allocation, the blit engine and the BMP reader.
#ifndef QV_PLATFORM_GDI_INTERNAL_H
#define QV_PLATFORM_GDI_INTERNAL_H

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/limits.h"
#include "core/pixels.h"
#include "gdi/gdi_objects.h"

namespace plat::gdi {

// Bytes in a DIB row: whole 32-bit words.
inline uint64_t DibStride(uint64_t width, uint32_t bits) { return (width * bits + 31) / 32 * 4; }

// A zero-filled bitmap of the given size and format, rows stored bottom-up unless `topDown`
// (the memory layout of a DIB). For 8-bit formats the colour table has 256 black entries.
// Null when the size is out of range.
std::unique_ptr<Bitmap> MakeBitmap(int32_t width, int32_t height, const PixelFormat& format,
                                   bool topDown);
// The bitmap's pixels converted to `format` (a device-dependent bitmap's), or the bitmap itself
// when it has that format already; null when out of memory.
std::unique_ptr<Bitmap> InFormat(std::unique_ptr<Bitmap> bitmap, const PixelFormat& format);

// GetStockObject's object of the number, or null.
HGDIOBJ StockObject(int index);
// The stock 1x1 monochrome bitmap that every new memory DC starts with.
Bitmap* DefaultBitmap();
// The format of a desktop of the given depth.
PixelFormat DesktopFormat();

// Copies (and scales, mirrors, converts) a source rectangle onto a destination rectangle,
// nearest-neighbour. Widths and heights may be negative (mirroring); the destination is
// limited to `clip` (target coordinates, already inside the target). Source pixels outside the
// source are not read and their destination pixels are left alone. `rop` is any ternary raster
// operation, worked on raw destination values; `pattern` is the brush's raw value for those
// that read one.
bool StretchPixels(const PixelBuffer& dst, const RECT& clip, int xDst, int yDst, int wDst, int hDst,
                   const PixelBuffer& src, int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop,
                   uint32_t pattern = 0);

// What a DIB header (BITMAPCOREHEADER, BITMAPINFOHEADER, V4 or V5) says about the pixels.
struct DibHeader {
  uint32_t headerSize = 0;
  int32_t width = 0;
  int32_t height = 0;  // positive; `topDown` tells the row order
  bool topDown = false;
  uint32_t bits = 0;
  uint32_t compression = BI_RGB;
  uint32_t sizeImage = 0;
  PixelFormat format;             // of the decoded pixels (8-bit for 1, 4 and 8 bits and RLE)
  uint32_t colorCount = 0;        // entries in the colour table (0 above 8 bits)
  uint32_t colorEntrySize = 4;    // 3 for the core header's RGBTRIPLEs
  uint32_t masksAfterHeader = 0;  // bytes of BI_BITFIELDS masks that follow a 40-byte header
  // Where the colour table starts, counted from the header's first byte.
  uint32_t TableOffset() const { return headerSize + masksAfterHeader; }
  // Bytes of uncompressed pixel rows.
  uint64_t PixelBytes() const { return DibStride(static_cast<uint64_t>(width), bits) * height; }
};

// Reads and checks a DIB header. `p` has `available` readable bytes, which must cover the
// header and any masks that follow it. False for anything malformed or too large.
bool ParseDibHeader(const uint8_t* p, size_t available, DibHeader* header);
// Converts `header.colorCount` table entries at `table` into a 256-entry palette (the rest
// black).
void ReadColorTable(const DibHeader& header, const uint8_t* table, PALETTEENTRY* palette);
// Decodes the pixel data (`size` readable bytes at `data`) into a new bitmap with the given
// colour table. Null when the data is short or malformed.
std::unique_ptr<Bitmap> DecodeDib(const DibHeader& header, const PALETTEENTRY* palette,
                                  const uint8_t* data, size_t size);

// Reads a BMP file image (file header first). Null for anything malformed or too large.
std::unique_ptr<Bitmap> ReadBmp(const uint8_t* data, size_t size);

// COLORREF <-> raw pixel values of a target.
uint32_t ColorToRaw(const PixelBuffer& target, COLORREF color);
COLORREF RawToColor(const PixelBuffer& target, uint32_t raw);

}  // namespace plat::gdi

#endif

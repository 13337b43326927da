// Surface file readers: PSD images (8 bits per channel, RGB, raw or PackBits), BMP data from an
// open file or an archive entry, and raw alpha-map files.
#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "container.h"
#include "qvsurface.h"

namespace {

// StretchDIBits fails with 0 on Windows and with GDI_ERROR on other systems. The engine always
// copies a whole image from its corner, which draws at least one line when it succeeds.
bool StretchDIBitsDrew(int lines) { return lines != 0 && lines != static_cast<int>(GDI_ERROR); }

// The largest image taken from a file: each side, and width x height x 4 bytes. Sizes come
// straight from the file, so they are bounded before anything is allocated; the display creates
// no larger surface anyway.
const int64_t kMaxImageSide = 8192;
const uint64_t kMaxImageBytes = 64u * 1024u * 1024u;

// Whether a width x height image of four bytes per pixel is allowed at all.
bool SizeAllowed(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u <= kMaxImageBytes;
}

// Big-endian reads that remember whether the file ran out.
class BigEndianReader {
 public:
  explicit BigEndianReader(std::FILE* file) : file_(file) {}

  int Byte() {
    int c = std::fgetc(file_);
    if (c == EOF) {
      ended_ = true;
      return 0;
    }
    return c;
  }
  uint32_t U16() {
    uint32_t high = static_cast<uint32_t>(Byte());
    return (high << 8) | static_cast<uint32_t>(Byte());
  }
  uint32_t U32() {
    uint32_t high = U16();
    return (high << 16) | U16();
  }
  // Skips n bytes; a length that reaches past the end of the file shows in the next read.
  void Skip(uint32_t n) {
    while (n > 0) {
      long step = n > 0x40000000u ? 0x40000000L : static_cast<long>(n);
      if (std::fseek(file_, step, SEEK_CUR) != 0) {
        ended_ = true;
        return;
      }
      n -= static_cast<uint32_t>(step);
    }
  }
  bool Ended() const { return ended_; }

 private:
  std::FILE* file_;
  bool ended_ = false;
};

// Reads one raw plane of `count` bytes into every fourth byte of `pixels` starting at `offset`.
bool ReadRawPlane(std::FILE* file, BYTE* pixels, size_t count, int offset) {
  BYTE chunk[4096];
  size_t done = 0;
  while (done < count) {
    size_t want = count - done < sizeof(chunk) ? count - done : sizeof(chunk);
    if (std::fread(chunk, 1, want, file) != want) return false;
    for (size_t i = 0; i < want; ++i) pixels[(done + i) * 4 + offset] = chunk[i];
    done += want;
  }
  return true;
}

// Decodes one PackBits plane of exactly `count` bytes. A header 0..127 is followed by h + 1
// literal bytes, 129..255 by one byte repeated 257 - h times; 128 is skipped. A plane that
// meets the end of the file, or a run that would go past the plane, stops there: false.
bool ReadPackBitsPlane(std::FILE* file, BYTE* pixels, size_t count, int offset) {
  size_t done = 0;
  while (done < count) {
    int header = std::fgetc(file);
    if (header == EOF) return false;
    if (header < 128) {
      size_t run = static_cast<size_t>(header) + 1;
      if (run > count - done) return false;
      for (size_t i = 0; i < run; ++i) {
        int value = std::fgetc(file);
        if (value == EOF) return false;
        pixels[done++ * 4 + offset] = static_cast<BYTE>(value);
      }
    } else if (header > 128) {
      size_t run = 257 - static_cast<size_t>(header);
      int value = std::fgetc(file);
      if (value == EOF) return false;
      if (run > count - done) return false;
      for (size_t i = 0; i < run; ++i) pixels[done++ * 4 + offset] = static_cast<BYTE>(value);
    }
  }
  return true;
}

uint32_t Le32(const BYTE* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const BYTE* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// A BITMAPINFO with room for the largest colour table (or the three BI_BITFIELDS masks).
struct BitmapInfo256 {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

}  // namespace

namespace {

// A PSD image's colour and alpha as 32-bit top-down pixels (blue, green, red, alpha).
struct PsdImage {
  int width = 0;
  int height = 0;
  bool sized = false;  // the header's size was read
  uint32_t channels = 0;
  std::unique_ptr<BYTE[]> pixels;
};

bool ReadPsd(const char* fileName, PsdImage* image) {
  if (fileName == nullptr) return false;
  std::FILE* file = std::fopen(fileName, "rb");
  if (file == nullptr) return false;

  BigEndianReader in(file);
  BYTE signature[4];
  for (BYTE& b : signature) b = static_cast<BYTE>(in.Byte());
  bool ok = !in.Ended() && std::memcmp(signature, "8BPS", 4) == 0;
  ok = ok && in.U16() == 1;
  if (ok) {
    in.U32();  // reserved
    in.U16();
  }
  uint32_t channels = ok ? in.U16() : 0;
  // A PSD has at least one channel; without any, nothing of the image is in the file.
  ok = ok && channels >= 1 && channels <= 24;
  if (ok) {
    image->height = static_cast<int>(in.U32());
    image->width = static_cast<int>(in.U32());
    image->sized = true;
  }
  ok = ok && in.U16() == 8;  // depth
  ok = ok && in.U16() == 3;  // colour mode RGB
  if (ok) {
    in.Skip(in.U32());  // colour mode data
    in.Skip(in.U32());  // image resources
    in.Skip(in.U32());  // layer and mask information
  }
  uint32_t compression = ok ? in.U16() : 0;
  ok = ok && !in.Ended() && compression <= 1;
  ok = ok && SizeAllowed(image->width, image->height);
  if (!ok) {
    std::fclose(file);
    return false;
  }

  const size_t pixelCount = static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
  std::unique_ptr<BYTE[]> pixels(new (std::nothrow) BYTE[pixelCount * 4]);
  if (!pixels) {
    std::fclose(file);
    return false;
  }

  // Planes in channel order: red, green, blue, alpha into bytes 2, 1, 0, 3 of each pixel.
  static const int kPixelByte[4] = {2, 1, 0, 3};
  if (compression == 1) {
    // The table of row byte counts is not needed: each plane is one stream.
    in.Skip(2u * channels * static_cast<uint32_t>(image->height));
  }
  for (uint32_t k = 0; k < 4 && ok; ++k) {
    const int offset = kPixelByte[k];
    if (k < channels) {
      ok = compression == 0 ? ReadRawPlane(file, pixels.get(), pixelCount, offset)
                            : ReadPackBitsPlane(file, pixels.get(), pixelCount, offset);
    } else {
      const BYTE fill = k == 3 ? 255 : 0;
      for (size_t i = 0; i < pixelCount; ++i) pixels[i * 4 + offset] = fill;
    }
  }
  std::fclose(file);
  if (!ok) return false;
  image->channels = channels;
  image->pixels = std::move(pixels);
  return true;
}

// Draws the image's colour into the surface through GDI; false when GDI refuses it.
bool DrawPsd(Surface* surface, const PsdImage& image) {
  BITMAPINFO info;
  std::memset(&info, 0, sizeof(info));
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC target = surface->GetDC();
  int lines = static_cast<int>(GDI_ERROR);
  if (target != nullptr) {
    lines = StretchDIBits(target, 0, 0, image.width, image.height, 0, 0, image.width, image.height,
                          image.pixels.get(), &info, DIB_RGB_COLORS, SRCCOPY);
    surface->ReleaseDC();
  }
  return StretchDIBitsDrew(lines);
}

}  // namespace

int Surface::CreateFromPsd(Screen* screen, const char* fileName, SurfaceMemory memory) {
  PsdImage image;
  bool ok = ReadPsd(fileName, &image);
  if (image.sized) {
    // The size is the surface's from here on, even when the image is refused later.
    width = image.width;
    height = image.height;
  }
  if (!ok) return 0;

  if (!Create(screen, width, height, memory)) return 0;
  if (!DrawPsd(this, image)) {
    // A refused image leaves no surface behind.
    if (surface != nullptr) {
      surface->Release();
      surface = nullptr;
    }
    return 0;
  }

  if (image.channels > 3) {
    const size_t pixelCount = static_cast<size_t>(width) * static_cast<size_t>(height);
    alphaMap = new (std::nothrow) BYTE[pixelCount];
    if (alphaMap != nullptr) {
      for (size_t i = 0; i < pixelCount; ++i) alphaMap[i] = image.pixels[i * 4 + 3];
    }
  } else {
    alphaMap = nullptr;
  }
  return 1;
}

int Surface::ReloadPsd() {
  PsdImage image;
  if (!ReadPsd(fileName, &image) || image.width != width || image.height != height) return 0;
  return DrawPsd(this, image) ? 1 : 0;
}

int Surface::CreateFromBitmapStream(Screen* screen, std::FILE* file, SurfaceMemory memory,
                                    DWORD size) {
  if (file == nullptr) return 0;
  const long start = std::ftell(file);
  if (start < 0) return 0;

  BYTE fileHeader[14];
  BYTE infoHeader[40];
  if (std::fread(fileHeader, 1, sizeof(fileHeader), file) != sizeof(fileHeader)) return 0;
  if (Le16(fileHeader) != 0x4D42) return 0;  // "BM"
  if (std::fread(infoHeader, 1, sizeof(infoHeader), file) != sizeof(infoHeader)) return 0;
  const uint32_t fileSize = Le32(fileHeader + 2);
  const uint32_t bitsOffset = Le32(fileHeader + 10);

  BitmapInfo256 info;
  std::memset(&info, 0, sizeof(info));
  BITMAPINFOHEADER& h = info.header;
  h.biSize = Le32(infoHeader);
  h.biWidth = static_cast<LONG>(Le32(infoHeader + 4));
  h.biHeight = static_cast<LONG>(Le32(infoHeader + 8));
  h.biPlanes = Le16(infoHeader + 12);
  h.biBitCount = Le16(infoHeader + 14);
  h.biCompression = Le32(infoHeader + 16);
  h.biSizeImage = Le32(infoHeader + 20);
  h.biXPelsPerMeter = static_cast<LONG>(Le32(infoHeader + 24));
  h.biYPelsPerMeter = static_cast<LONG>(Le32(infoHeader + 28));
  h.biClrUsed = Le32(infoHeader + 32);
  h.biClrImportant = Le32(infoHeader + 36);

  const int64_t imageWidth = h.biWidth;
  const int64_t imageHeight = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
  if (h.biSize < 40 || !SizeAllowed(imageWidth, imageHeight)) return 0;

  const uint32_t total = size != 0 ? size : fileSize;
  if (bitsOffset >= total) return 0;
  // Every position used below must fit a 32-bit file offset.
  if (static_cast<int64_t>(start) + total > 0x7FFFFFFF) return 0;
  const uint32_t bitsBytes = total - bitsOffset;
  if (bitsBytes > kMaxImageBytes) return 0;

  // The colour table (or the BI_BITFIELDS masks) follows the info header; StretchDIBits needs
  // it to know the colours of palette images. Only what lies before the pixel bits is read.
  uint32_t tableEntries = 0;
  if (h.biBitCount <= 8) {
    tableEntries = h.biClrUsed != 0 ? h.biClrUsed : (1u << h.biBitCount);
  } else if (h.biCompression == BI_BITFIELDS) {
    tableEntries = 3;
  }
  if (tableEntries > 256) tableEntries = 256;
  const uint64_t tableStart = 14u + static_cast<uint64_t>(h.biSize);
  const uint64_t tableRoom = bitsOffset > tableStart ? (bitsOffset - tableStart) / 4 : 0;
  if (tableEntries > tableRoom) tableEntries = static_cast<uint32_t>(tableRoom);
  if (tableEntries > 0) {
    if (std::fseek(file, start + static_cast<long>(tableStart), SEEK_SET) != 0) return 0;
    if (std::fread(info.colors, 4, tableEntries, file) != tableEntries) return 0;
  }
  h.biSize = sizeof(BITMAPINFOHEADER);
  if (h.biBitCount <= 8) h.biClrUsed = tableEntries;

  // StretchDIBits reads whole rows of an uncompressed image: pixel data shorter than that is
  // refused rather than read past.
  if (h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS) {
    const uint64_t stride = ((static_cast<uint64_t>(imageWidth) * h.biBitCount + 31) / 32) * 4;
    if (stride * static_cast<uint64_t>(imageHeight) > bitsBytes) return 0;
  } else {
    h.biSizeImage = bitsBytes;
  }
  std::unique_ptr<BYTE[]> bits(new (std::nothrow) BYTE[bitsBytes]);
  if (!bits) return 0;
  if (std::fseek(file, start + static_cast<long>(bitsOffset), SEEK_SET) != 0) return 0;
  if (std::fread(bits.get(), 1, bitsBytes, file) != bitsBytes) return 0;

  if (!Create(screen, static_cast<int>(imageWidth), static_cast<int>(imageHeight), memory)) {
    return 0;
  }
  HDC target = GetDC();
  int lines = static_cast<int>(GDI_ERROR);
  if (target != nullptr) {
    lines = StretchDIBits(target, 0, 0, width, height, 0, 0, width, height, bits.get(),
                          reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
    ReleaseDC();
  }
  return StretchDIBitsDrew(lines) ? 1 : 0;
}

int Surface::CreateFromBitmapStream(Screen* screen, std::FILE* file, DWORD size,
                                    SurfaceMemory memory) {
  return CreateFromBitmapStream(screen, file, memory, size);
}

int Surface::CreateFromContainer(Screen* screen, FileContainer* container, int index,
                                 SurfaceMemory memory) {
  if (container == nullptr) return 0;
  std::FILE* file = container->SeekToEntry(index);
  if (file == nullptr) return 0;
  const DWORD size = container->GetEntrySize(index);
  // An empty entry holds no image. Passed on, its size 0 would mean "the header's own size"
  // and the reader would take whatever follows the entry for this image.
  if (size == 0) return 0;
  return CreateFromBitmapStream(screen, file, memory, size);
}

int Surface::LoadAlphaMap(const char* fileName) {
  if (alphaMap != nullptr || fileName == nullptr) return 0;
  std::FILE* file = std::fopen(fileName, "rb");
  if (file == nullptr) return 0;

  BYTE header[8];
  bool ok = std::fread(header, 1, sizeof(header), file) == sizeof(header);
  const int32_t mapWidth = ok ? static_cast<int32_t>(Le32(header)) : 0;
  const int32_t mapHeight = ok ? static_cast<int32_t>(Le32(header + 4)) : 0;
  ok = ok && mapWidth == width && mapHeight == height && SizeAllowed(mapWidth, mapHeight);
  if (!ok) {
    std::fclose(file);
    return 0;
  }
  const size_t count = static_cast<size_t>(mapWidth) * static_cast<size_t>(mapHeight);
  BYTE* map = new (std::nothrow) BYTE[count];
  if (map == nullptr || std::fread(map, 1, count, file) != count) {
    delete[] map;
    std::fclose(file);
    return 0;
  }
  std::fclose(file);
  alphaMap = map;
  return 1;
}

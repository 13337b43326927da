// Image loading: PSD and BMP readers, alpha maps, palettes, colour matching, pixel formats and
// the reload of lost images, on a headless full-screen 800 x 600 x 16 display.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "host.h"
#include "imageload.h"
#include "qvscreen.h"
#include "qvsurface.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutBe16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
void PutBe32(Bytes& b, uint32_t v) {
  PutBe16(b, v >> 16);
  PutBe16(b, v & 0xFFFF);
}
void PutLe16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutLe32(Bytes& b, uint32_t v) {
  PutLe16(b, v & 0xFFFF);
  PutLe16(b, v >> 16);
}
void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
Bytes Repeat(uint8_t value, size_t count) { return Bytes(count, value); }

struct PsdHeader {
  uint32_t channels = 3;
  uint32_t width = 2;
  uint32_t height = 1;
  uint32_t depth = 8;
  uint32_t mode = 3;
  uint32_t compression = 0;
  uint32_t version = 1;
  const char* signature = "8BPS";
  Bytes colorData, resources, layers;
};

// A PSD file: the header, the three length-prefixed sections, the compression, then `data`.
Bytes MakePsd(const PsdHeader& h, const Bytes& data) {
  Bytes b(h.signature, h.signature + 4);
  PutBe16(b, h.version);
  PutBe32(b, 0);
  PutBe16(b, 0);
  PutBe16(b, h.channels);
  PutBe32(b, h.height);
  PutBe32(b, h.width);
  PutBe16(b, h.depth);
  PutBe16(b, h.mode);
  for (const Bytes* section : {&h.colorData, &h.resources, &h.layers}) {
    PutBe32(b, static_cast<uint32_t>(section->size()));
    Append(b, *section);
  }
  PutBe16(b, h.compression);
  Append(b, data);
  return b;
}

// A bottom-up BMP of 24 bits (pixels 0x00RRGGBB, row by row from the top) or of 8 bits with a
// colour table (pixels are indexes).
Bytes MakeBmp(int width, int height, int bits, const std::vector<uint32_t>& pixels,
              const std::vector<uint32_t>& table = {}) {
  const int stride = ((width * bits + 31) / 32) * 4;
  const uint32_t tableBytes = static_cast<uint32_t>(table.size()) * 4;
  const uint32_t offset = 14 + 40 + tableBytes;
  const uint32_t total = offset + static_cast<uint32_t>(stride * height);
  Bytes b = {'B', 'M'};
  PutLe32(b, total);
  PutLe32(b, 0);
  PutLe32(b, offset);
  PutLe32(b, 40);
  PutLe32(b, static_cast<uint32_t>(width));
  PutLe32(b, static_cast<uint32_t>(height));
  PutLe16(b, 1);
  PutLe16(b, static_cast<uint32_t>(bits));
  PutLe32(b, 0);  // BI_RGB
  PutLe32(b, 0);
  PutLe32(b, 0);
  PutLe32(b, 0);
  PutLe32(b, static_cast<uint32_t>(table.size()));
  PutLe32(b, 0);
  for (uint32_t rgb : table) PutLe32(b, rgb);  // blue, green, red, 0 in file order
  for (int y = height - 1; y >= 0; --y) {
    Bytes row;
    for (int x = 0; x < width; ++x) {
      uint32_t p = pixels[static_cast<size_t>(y * width + x)];
      if (bits == 24) {
        row.push_back(static_cast<uint8_t>(p));
        row.push_back(static_cast<uint8_t>(p >> 8));
        row.push_back(static_cast<uint8_t>(p >> 16));
      } else {
        row.push_back(static_cast<uint8_t>(p));
      }
    }
    row.resize(static_cast<size_t>(stride), 0);
    Append(b, row);
  }
  return b;
}

std::string WriteTemp(const std::string& name, const Bytes& bytes) {
  std::string path = ::testing::TempDir() + "qv_imageload_" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return path;
}

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = TestWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "QvImageLoadTest";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "QvImageLoadTest", "test", WS_POPUP, 0, 0, 800, 600, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  ShowWindow(window, SW_SHOW);
  return window;
}

class ImageLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    qvhost::UseHeadless();
    qvhost::Reset();
    window = MakeWindow();
    ASSERT_NE(window, nullptr);
    screen = new Screen();
    ASSERT_EQ(screen->CreateFullScreen(window, 800, 600, 16, 0), 1);
  }
  void TearDown() override {
    delete screen;
    DestroyWindow(window);
  }

  static uint32_t Pixel16(Surface& s, int x, int y) {
    if (s.Lock() != DD_OK) return 0xFFFFFFFF;
    const uint8_t* row = static_cast<const uint8_t*>(s.desc.lpSurface) + y * s.desc.lPitch;
    uint32_t value = row[x * 2] | (row[x * 2 + 1] << 8);
    s.Unlock();
    return value;
  }

  HWND window = nullptr;
  Screen* screen = nullptr;
};

// ---- PSD --------------------------------------------------------------------------------------

TEST_F(ImageLoad, PsdChannelsGiveColoursAndAlphaMapAfterSkippedSections) {
  // 2 x 1: a red pixel and a green one; the alpha plane and a fifth plane follow when asked.
  const Bytes red = {255, 0}, green = {0, 255}, blue = {0, 0}, alpha = {7, 200}, fifth = {1, 2};
  for (uint32_t channels : {3u, 4u, 5u}) {
    SCOPED_TRACE(channels);
    PsdHeader h;
    h.channels = channels;
    // Sections of every length are skipped.
    h.colorData = Repeat(0xEE, channels);
    h.resources = Repeat(0xDD, 7);
    h.layers = Repeat(0xCC, channels == 4 ? 0 : 3);
    Bytes data = red;
    Append(data, green);
    Append(data, blue);
    if (channels > 3) Append(data, alpha);
    if (channels > 4) Append(data, fifth);
    std::string path = WriteTemp("channels.psd", MakePsd(h, data));

    Surface s;
    ASSERT_EQ(s.Create(screen, path.c_str(), AnyMemory), 1);  // the bitmap loader refuses a PSD
    EXPECT_EQ(s.width, 2);
    EXPECT_EQ(s.height, 1);
    EXPECT_EQ(Pixel16(s, 0, 0), 0xF800u);
    EXPECT_EQ(Pixel16(s, 1, 0), 0x07E0u);
    if (channels == 3) {
      EXPECT_EQ(s.alphaMap, nullptr);
    } else {
      ASSERT_NE(s.alphaMap, nullptr);
      EXPECT_EQ(s.alphaMap[0], 7);
      EXPECT_EQ(s.alphaMap[1], 200);
    }
  }
}

TEST_F(ImageLoad, LostPsdSurfaceIsDrawnAgainFromItsFile) {
  PsdHeader h;
  std::string path = WriteTemp("restore.psd", MakePsd(h, {255, 0, 0, 255, 0, 0}));
  Surface s;
  ASSERT_EQ(s.Create(screen, path.c_str(), VideoMemory), 1);
  qvhost::LoseSurfaces();
  s.Restore();
  EXPECT_EQ(Pixel16(s, 0, 0), 0xF800u);
  EXPECT_EQ(Pixel16(s, 1, 0), 0x07E0u);
}

// 13 x 20 = 260 bytes per plane. The alpha plane uses every kind of PackBits header.
Bytes RlePlanes(bool truncateAlpha, bool overrunAlpha) {
  Bytes data = Repeat(0, 2 * 4 * 20);  // row byte counts, not read
  for (uint8_t value : {0xFF, 0x00, 0x00}) {
    Append(data, {129, value, 129, value, 255, value, 255, value});  // 128 + 128 + 2 + 2
  }
  Bytes alpha = {128, 255, 0x11, 129, 0x22, 127};
  for (int i = 0; i < 128; ++i) alpha.push_back(static_cast<uint8_t>(i));
  Append(alpha, {255, 0x33});
  if (overrunAlpha) Append(alpha, {129, 0x44});
  if (truncateAlpha) alpha.resize(alpha.size() - 40);
  Append(data, alpha);
  return data;
}

TEST_F(ImageLoad, PsdPackBitsHeaders) {
  PsdHeader h;
  h.channels = 4;
  h.width = 13;
  h.height = 20;
  h.compression = 1;
  std::string path = WriteTemp("rle.psd", MakePsd(h, RlePlanes(false, false)));
  Surface s;
  ASSERT_EQ(s.CreateFromPsd(screen, path.c_str(), AnyMemory), 1);
  ASSERT_NE(s.alphaMap, nullptr);
  Bytes expected = {0x11, 0x11};                                              // 255: twice
  Append(expected, Repeat(0x22, 128));                                        // 129: 128 times
  for (int i = 0; i < 128; ++i) expected.push_back(static_cast<uint8_t>(i));  // 127: 128 literals
  Append(expected, {0x33, 0x33});
  EXPECT_EQ(Bytes(s.alphaMap, s.alphaMap + 260), expected);
  EXPECT_EQ(Pixel16(s, 12, 19), 0xF800u);
}

TEST_F(ImageLoad, PsdDamagedPackBitsIsRefused) {
  PsdHeader h;
  h.channels = 4;
  h.width = 13;
  h.height = 20;
  h.compression = 1;
  for (bool truncate : {true, false}) {
    SCOPED_TRACE(truncate ? "stream ends early" : "run past the plane");
    std::string path = WriteTemp("rle_bad.psd", MakePsd(h, RlePlanes(truncate, !truncate)));
    Surface s;
    if (truncate) {
      EXPECT_EQ(s.CreateFromPsd(screen, path.c_str(), AnyMemory), 0);
      EXPECT_EQ(s.surface, nullptr);
    } else {
      // The excess run lies after the last plane's 260 bytes and is never read.
      EXPECT_EQ(s.CreateFromPsd(screen, path.c_str(), AnyMemory), 1);
    }
  }
  // A run that crosses the end of a plane.
  Bytes data = Repeat(0, 2 * 3 * 20);
  Append(data, {129, 1, 129, 1, 129, 1});
  h.channels = 3;
  std::string path = WriteTemp("rle_cross.psd", MakePsd(h, data));
  Surface s;
  EXPECT_EQ(s.CreateFromPsd(screen, path.c_str(), AnyMemory), 0);
  EXPECT_EQ(s.surface, nullptr);
}

TEST_F(ImageLoad, PsdRefusals) {
  struct Case {
    const char* what;
    PsdHeader header;
  };
  std::vector<Case> cases(9);
  cases[0] = {"depth 16", {}};
  cases[0].header.depth = 16;
  cases[1] = {"CMYK", {}};
  cases[1].header.mode = 4;
  cases[2] = {"compression 2", {}};
  cases[2].header.compression = 2;
  cases[3] = {"signature", {}};
  cases[3].header.signature = "8BPX";
  cases[4] = {"version", {}};
  cases[4].header.version = 2;
  cases[5] = {"25 channels", {}};
  cases[5].header.channels = 25;
  cases[6] = {"huge", {}};
  cases[6].header.width = cases[6].header.height = 100000;
  cases[7] = {"negative", {}};
  cases[7].header.height = 0x80000000u;
  cases[8] = {"empty", {}};
  cases[8].header.width = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = WriteTemp("refused.psd", MakePsd(c.header, Repeat(0, 6)));
    Surface s;
    EXPECT_EQ(s.CreateFromPsd(screen, path.c_str(), AnyMemory), 0);
    EXPECT_EQ(s.surface, nullptr);
    EXPECT_EQ(s.alphaMap, nullptr);
  }
  // Refused after the size fields: the size stays the file's.
  Surface s;
  std::string path = WriteTemp("refused.psd", MakePsd(cases[0].header, {}));
  EXPECT_EQ(s.Create(screen, path.c_str(), AnyMemory), 0);
  EXPECT_EQ(s.width, 2);
  EXPECT_EQ(s.height, 1);
  // A raw image shorter than its planes.
  path = WriteTemp("short.psd", MakePsd(PsdHeader{}, Repeat(0, 5)));
  EXPECT_EQ(s.CreateFromPsd(screen, path.c_str(), AnyMemory), 0);
  EXPECT_EQ(s.CreateFromPsd(screen, "/nonexistent/qv.psd", AnyMemory), 0);
}

// ---- Alpha maps and BMP streams -----------------------------------------------------------------

TEST_F(ImageLoad, AlphaMapMustMatchAndLoadsOnce) {
  Surface s(screen, 4, 3, SystemMemory);
  ASSERT_NE(s.surface, nullptr);

  Bytes wrong;
  PutLe32(wrong, 3);
  PutLe32(wrong, 3);
  Append(wrong, Repeat(9, 9));
  EXPECT_EQ(s.LoadAlphaMap(WriteTemp("wrong.alpha", wrong).c_str()), 0);
  EXPECT_EQ(s.alphaMap, nullptr);

  Bytes shortFile;
  PutLe32(shortFile, 4);
  PutLe32(shortFile, 3);
  Append(shortFile, Repeat(9, 11));
  EXPECT_EQ(s.LoadAlphaMap(WriteTemp("short.alpha", shortFile).c_str()), 0);
  EXPECT_EQ(s.alphaMap, nullptr);

  Bytes good;
  PutLe32(good, 4);
  PutLe32(good, 3);
  for (int i = 0; i < 12; ++i) good.push_back(static_cast<uint8_t>(i * 20));
  ASSERT_EQ(s.LoadAlphaMap(WriteTemp("good.alpha", good).c_str()), 1);
  ASSERT_NE(s.alphaMap, nullptr);
  EXPECT_EQ(s.alphaMap[11], 220);

  Bytes other;
  PutLe32(other, 4);
  PutLe32(other, 3);
  Append(other, Repeat(1, 12));
  BYTE* first = s.alphaMap;
  EXPECT_EQ(s.LoadAlphaMap(WriteTemp("other.alpha", other).c_str()), 0);
  EXPECT_EQ(s.alphaMap, first);
  EXPECT_EQ(s.alphaMap[11], 220);
}

TEST_F(ImageLoad, BitmapStreamFromAnOffsetWithItsOwnSize) {
  // Seven bytes of something else, the BMP, then more bytes that are not part of it.
  Bytes file = Repeat(0x5A, 7);
  Append(file, MakeBmp(2, 2, 24, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
  Append(file, Repeat(0xA5, 9));
  std::string path = WriteTemp("stream.bin", file);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fseek(f, 7, SEEK_SET), 0);
  Surface s;
  EXPECT_EQ(s.CreateFromBitmapStream(screen, f, AnyMemory, 0), 1);
  EXPECT_EQ(s.width, 2);
  EXPECT_EQ(s.height, 2);
  EXPECT_EQ(Pixel16(s, 0, 0), 0xF800u);
  EXPECT_EQ(Pixel16(s, 1, 0), 0x07E0u);
  EXPECT_EQ(Pixel16(s, 0, 1), 0x001Fu);
  EXPECT_EQ(Pixel16(s, 1, 1), 0xFFFFu);

  // The other argument order, with an explicit size, from the same place.
  ASSERT_EQ(std::fseek(f, 7, SEEK_SET), 0);
  Surface t;
  EXPECT_EQ(t.CreateFromBitmapStream(screen, f, static_cast<DWORD>(file.size() - 16), AnyMemory),
            1);
  EXPECT_EQ(Pixel16(t, 1, 1), 0xFFFFu);
  std::fclose(f);
}

TEST_F(ImageLoad, BitmapStreamWithColourTable) {
  Bytes bmp = MakeBmp(2, 1, 8, {1, 0}, {0x00FF0000, 0x0000FF00});  // index 0 red, 1 green
  std::FILE* f = std::fopen(WriteTemp("palette.bmp", bmp).c_str(), "rb");
  ASSERT_NE(f, nullptr);
  Surface s;
  EXPECT_EQ(s.CreateFromBitmapStream(screen, f, AnyMemory, 0), 1);
  EXPECT_EQ(Pixel16(s, 0, 0), 0x07E0u);
  EXPECT_EQ(Pixel16(s, 1, 0), 0xF800u);
  std::fclose(f);
}

TEST_F(ImageLoad, BitmapStreamRefusesDamage) {
  const Bytes good = MakeBmp(2, 2, 24, {0, 0, 0, 0});
  struct Case {
    const char* what;
    Bytes bytes;
    DWORD size;
  };
  Bytes badType = good;
  badType[0] = 'X';
  Bytes cutHeader(good.begin(), good.begin() + 30);
  Bytes cutPixels(good.begin(), good.end() - 3);
  Bytes hugeSize = good;
  hugeSize[18] = hugeSize[19] = hugeSize[20] = 0xFF;  // width 0x7FFFFFFF
  hugeSize[21] = 0x7F;
  Bytes shortRows = good;
  shortRows[18] = 100;  // 100 pixels wide: more rows than the pixel data holds
  Bytes offsetPastEnd = good;
  offsetPastEnd[10] = 0xFF;
  const std::vector<Case> cases = {{"type", badType, 0},     {"header", cutHeader, 0},
                                   {"pixels", cutPixels, 0}, {"size", hugeSize, 0},
                                   {"rows", shortRows, 0},   {"offset", offsetPastEnd, 0},
                                   {"tiny size", good, 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::FILE* f = std::fopen(WriteTemp("damaged.bmp", c.bytes).c_str(), "rb");
    ASSERT_NE(f, nullptr);
    Surface s;
    EXPECT_EQ(s.CreateFromBitmapStream(screen, f, AnyMemory, c.size), 0);
    std::fclose(f);
  }
  Surface s;
  EXPECT_EQ(s.CreateFromBitmapStream(screen, nullptr, AnyMemory, 0), 0);
}

// ---- Pixel formats, colour matching, palettes ---------------------------------------------------

IDirectDrawSurface4* MakeFormatSurface(Screen* screen, DWORD flags, DWORD bits, DWORD r, DWORD g,
                                       DWORD b) {
  DDSURFACEDESC2 desc = {};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  desc.dwWidth = 4;
  desc.dwHeight = 4;
  desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  desc.ddpfPixelFormat.dwFlags = flags;
  desc.ddpfPixelFormat.dwRGBBitCount = bits;
  desc.ddpfPixelFormat.dwRBitMask = r;
  desc.ddpfPixelFormat.dwGBitMask = g;
  desc.ddpfPixelFormat.dwBBitMask = b;
  IDirectDrawSurface4* surface = nullptr;
  if (screen->directDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK) return nullptr;
  return surface;
}

TEST_F(ImageLoad, PixelFormatInfoOfCommonFormats) {
  PixelFormatInfo info = {};
  ASSERT_EQ(GetPixelFormatInfo(screen->GetBack()->surface, &info), 1);
  EXPECT_EQ(info.redMask, 31);
  EXPECT_EQ(info.greenMask, 63);
  EXPECT_EQ(info.blueMask, 31);
  EXPECT_EQ(info.redShift, 11);
  EXPECT_EQ(info.greenShift, 5);
  EXPECT_EQ(info.blueShift, 0);
  EXPECT_EQ(info.bitsPerPixel, 16u);

  IDirectDrawSurface4* s555 = MakeFormatSurface(screen, DDPF_RGB, 16, 0x7C00, 0x03E0, 0x001F);
  ASSERT_NE(s555, nullptr);
  info = {};
  ASSERT_EQ(GetPixelFormatInfo(s555, &info), 1);
  EXPECT_EQ(info.redMask, 31);
  EXPECT_EQ(info.greenMask, 31);
  EXPECT_EQ(info.redShift, 10);
  EXPECT_EQ(info.greenShift, 5);
  EXPECT_EQ(info.bitsPerPixel, 15u);
  s555->Release();

  IDirectDrawSurface4* s8 = MakeFormatSurface(screen, DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0);
  ASSERT_NE(s8, nullptr);
  info = {};
  info.redMask = 99;
  ASSERT_EQ(GetPixelFormatInfo(s8, &info), 1);
  EXPECT_EQ(info.bitsPerPixel, 8u);
  EXPECT_EQ(info.redMask, 0);
  EXPECT_EQ(info.greenShift, 0);
  s8->Release();

  EXPECT_EQ(GetPixelFormatInfo(nullptr, &info), 0);
}

TEST_F(ImageLoad, ColorMatchLeavesTheTopLeftPixel) {
  Surface s(screen, 4, 4, SystemMemory);
  ASSERT_NE(s.surface, nullptr);
  ASSERT_EQ(s.Fill(0x1234), DD_OK);
  EXPECT_EQ(ColorMatch(s.surface, 0x00FFFFFF), 0xFFFFu);
  EXPECT_EQ(ColorMatch(s.surface, 0x000000FF), 0xF800u);
  EXPECT_EQ(Pixel16(s, 0, 0), 0x1234u);
  EXPECT_EQ(ColorMatch(s.surface, CLR_INVALID), 0x1234u);

  ASSERT_EQ(SetColorKeyFromColor(s.surface, 0x00FF0000), DD_OK);
  DDCOLORKEY key = {};
  ASSERT_EQ(s.surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  EXPECT_EQ(key.dwColorSpaceLowValue, 0x001Fu);
  EXPECT_EQ(key.dwColorSpaceHighValue, 0x001Fu);
  EXPECT_EQ(ColorMatch(nullptr, 0), 0xFFFFFFFFu);
}

TEST_F(ImageLoad, PaletteFromTheCubeAndFromABitmapFile) {
  IDirectDrawPalette* cube = LoadPalette(screen->directDraw, nullptr);
  ASSERT_NE(cube, nullptr);
  PALETTEENTRY e[256] = {};
  ASSERT_EQ(cube->GetEntries(0, 0, 256, e), DD_OK);
  cube->Release();
  auto rgb = [](const PALETTEENTRY& p) { return std::vector<int>{p.peRed, p.peGreen, p.peBlue}; };
  EXPECT_EQ(rgb(e[0]), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(rgb(e[255]), (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(rgb(e[0xE0]), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(rgb(e[0x03]), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(rgb(e[0x24]), (std::vector<int>{36, 36, 0}));

  // The file's blue, green, red become red, green, blue in the entries it uses; DirectDraw
  // keeps entry 0 black.
  std::string path =
      WriteTemp("pal.bmp", MakeBmp(3, 1, 8, {0, 1, 2}, {0x00708090, 0x00102030, 0x00405060}));
  IDirectDrawPalette* fromFile = LoadPalette(screen->directDraw, path.c_str());
  ASSERT_NE(fromFile, nullptr);
  ASSERT_EQ(fromFile->GetEntries(0, 0, 256, e), DD_OK);
  fromFile->Release();
  EXPECT_EQ(rgb(e[0]), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(rgb(e[1]), (std::vector<int>{0x10, 0x20, 0x30}));
  EXPECT_EQ(rgb(e[2]), (std::vector<int>{0x40, 0x50, 0x60}));

  EXPECT_EQ(LoadPalette(screen->directDraw, "/nonexistent/qv_palette.bmp"), nullptr);
}

// ---- Reloading ----------------------------------------------------------------------------------

TEST_F(ImageLoad, LostImageReloadsItsBitmapOnTheNextDraw) {
  std::vector<uint32_t> red(16, 0xFF0000);
  std::string path = WriteTemp("red.bmp", MakeBmp(4, 4, 24, red));
  Surface image(screen, path.c_str(), VideoMemory);
  ASSERT_NE(image.surface, nullptr);
  Surface target(screen, 8, 8, SystemMemory);
  ASSERT_EQ(target.Fill(0), DD_OK);

  qvhost::LoseSurfaces();
  EXPECT_EQ(image.BlitAt(0, 0, &target), DDERR_SURFACELOST);
  EXPECT_EQ(Pixel16(target, 0, 0), 0u);
  EXPECT_EQ(image.BlitAt(0, 0, &target), DD_OK);
  EXPECT_EQ(Pixel16(target, 3, 3), 0xF800u);
}

TEST_F(ImageLoad, ReloadFailuresWriteTheirDebugLines) {
  Surface s(screen, 4, 4, SystemMemory);
  EXPECT_EQ(ReloadBitmap(s.surface, "/nonexistent/qv.bmp"), E_FAIL);
  std::string path = WriteTemp("one.bmp", MakeBmp(1, 1, 24, {0xFFFFFF}));
  EXPECT_EQ(ReloadBitmap(nullptr, path.c_str()), E_FAIL);
  const std::vector<std::string>& lines = qvhost::DebugOutput();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "handle is null\n");
  EXPECT_EQ(lines.back(), "ddcopybitmap failed\n");

  // A good reload stretches the bitmap over the whole surface.
  EXPECT_EQ(ReloadBitmap(s.surface, path.c_str()), DD_OK);
  EXPECT_EQ(Pixel16(s, 3, 3), 0xFFFFu);
}

}  // namespace

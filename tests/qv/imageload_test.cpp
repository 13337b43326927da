// Image loading: PSD and BMP readers, alpha maps, palettes, colour matching, pixel formats and
// the reload of lost images, on a headless full-screen 800 x 600 x 16 display.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "blend_fixture.h"
#include "image_files.h"

namespace {

struct PsdHeader {
  uint32_t channels = 3, width = 2, height = 1, depth = 8, mode = 3, compression = 0;
  uint32_t version = 1;
  const char* signature = "8BPS";
  FileBytes colorData, resources, layers;
};

// A PSD file: the header, the three length-prefixed sections, the compression, then `data`.
FileBytes MakePsd(const PsdHeader& h, const FileBytes& data) {
  FileBytes b(h.signature, h.signature + 4);
  PutBe(b, h.version, 2);
  PutBe(b, 0, 6);
  for (uint32_t v : {h.channels, h.height >> 16, h.height, h.width >> 16, h.width, h.depth, h.mode})
    PutBe(b, v, 2);
  for (const FileBytes* section : {&h.colorData, &h.resources, &h.layers}) {
    PutBe(b, static_cast<uint32_t>(section->size()));
    Append(b, *section);
  }
  PutBe(b, h.compression, 2);
  Append(b, data);
  return b;
}

FileBytes Repeat(uint8_t value, size_t count) { return FileBytes(count, value); }

// Image loading on the shared full-screen 800 x 600 x 16 display.
using ImageLoad = BlitTest;

// ---- PSD --------------------------------------------------------------------------------------

TEST_F(ImageLoad, PsdChannelsGiveColoursAndAlphaMapAfterSkippedSections) {
  // 2 x 1: a red pixel and a green one (planes red, green, blue), then the alpha plane and a
  // fifth plane when asked.
  const FileBytes planes = {255, 0, 0, 255, 0, 0}, alpha = {7, 200}, fifth = {1, 2};
  for (uint32_t channels : {3u, 4u, 5u}) {
    SCOPED_TRACE(channels);
    PsdHeader h;
    h.channels = channels;
    // Sections of every length are skipped.
    h.colorData = Repeat(0xEE, channels);
    h.resources = Repeat(0xDD, 7);
    h.layers = Repeat(0xCC, channels == 4 ? 0 : 3);
    FileBytes data = planes;
    if (channels > 3) Append(data, alpha);
    if (channels > 4) Append(data, fifth);
    std::string path = WriteTemp("channels.psd", MakePsd(h, data));

    Surface s;  // the bitmap loader refuses a PSD; the PSD reader takes it
    ASSERT_EQ(s.Create(screen.get(), path.c_str(), VideoMemory), 1);
    EXPECT_EQ(s.width * 10 + s.height, 21);
    // A lost surface is drawn again from its file.
    for (bool lost : {false, true}) {
      if (lost) qvhost::LoseSurfaces(), s.Restore();
      EXPECT_EQ(Get(s, 0, 0), 0xF800u);
      EXPECT_EQ(Get(s, 1, 0), 0x07E0u);
    }
    if (channels == 3) {
      EXPECT_EQ(s.alphaMap, nullptr);
    } else {
      ASSERT_NE(s.alphaMap, nullptr);
      EXPECT_EQ(FileBytes(s.alphaMap, s.alphaMap + 2), alpha);
    }
  }
}

// 13 x 20 = 260 bytes per plane. The alpha plane uses every kind of PackBits header; a damaged
// one ends early or runs past the plane.
enum class AlphaRun { Whole, Truncated, Overrun };
FileBytes RlePlanes(AlphaRun run) {
  FileBytes data = Repeat(0, 2 * 4 * 20);  // row byte counts, not read
  for (uint8_t value : {0xFF, 0x00, 0x00})
    Append(data, {129, value, 129, value, 255, value, 255, value});  // 128 + 128 + 2 + 2
  FileBytes alpha = {128, 255, 0x11, 129, 0x22, 127};
  for (int i = 0; i < 128; ++i) alpha.push_back(static_cast<uint8_t>(i));
  Append(alpha, {255, 0x33});
  if (run == AlphaRun::Overrun) Append(alpha, {129, 0x44});
  if (run == AlphaRun::Truncated) alpha.resize(alpha.size() - 40);
  Append(data, alpha);
  return data;
}

TEST_F(ImageLoad, PsdPackBitsHeadersAndDamage) {
  PsdHeader h;
  h.channels = 4;
  h.width = 13;
  h.height = 20;
  h.compression = 1;
  Surface s;
  ASSERT_EQ(s.CreateFromPsd(screen.get(),
                            WriteTemp("rle.psd", MakePsd(h, RlePlanes(AlphaRun::Whole))).c_str(),
                            AnyMemory),
            1);
  ASSERT_NE(s.alphaMap, nullptr);
  FileBytes expected = {0x11, 0x11};                                          // 255: twice
  Append(expected, Repeat(0x22, 128));                                        // 129: 128 times
  for (int i = 0; i < 128; ++i) expected.push_back(static_cast<uint8_t>(i));  // 127: 128 literals
  Append(expected, {0x33, 0x33});
  EXPECT_EQ(FileBytes(s.alphaMap, s.alphaMap + 260), expected);
  EXPECT_EQ(Get(s, 12, 19), 0xF800u);

  // The excess run lies after the last plane's 260 bytes and is never read.
  Surface overrun;
  std::string path = WriteTemp("rle_over.psd", MakePsd(h, RlePlanes(AlphaRun::Overrun)));
  EXPECT_EQ(overrun.CreateFromPsd(screen.get(), path.c_str(), AnyMemory), 1);
  // A stream that ends early, and a run that crosses the end of a plane, are refused.
  FileBytes crossing = Repeat(0, 2 * 3 * 20);
  Append(crossing, {129, 1, 129, 1, 129, 1});
  PsdHeader three = h;
  three.channels = 3;
  for (const FileBytes& file :
       {MakePsd(h, RlePlanes(AlphaRun::Truncated)), MakePsd(three, crossing)}) {
    Surface bad;
    EXPECT_EQ(bad.CreateFromPsd(screen.get(), WriteTemp("rle_bad.psd", file).c_str(), AnyMemory),
              0);
    EXPECT_EQ(bad.surface, nullptr);
  }
}

TEST_F(ImageLoad, PsdRefusals) {
  const struct {
    const char* what;
    void (*damage)(PsdHeader&);
  } cases[] = {
      {"depth 16", [](PsdHeader& h) { h.depth = 16; }},
      {"CMYK", [](PsdHeader& h) { h.mode = 4; }},
      {"compression 2", [](PsdHeader& h) { h.compression = 2; }},
      {"signature", [](PsdHeader& h) { h.signature = "8BPX"; }},
      {"version", [](PsdHeader& h) { h.version = 2; }},
      {"25 channels", [](PsdHeader& h) { h.channels = 25; }},
      {"huge", [](PsdHeader& h) { h.width = h.height = 100000; }},
      {"negative", [](PsdHeader& h) { h.height = 0x80000000u; }},
      {"empty", [](PsdHeader& h) { h.width = 0; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PsdHeader h;
    c.damage(h);
    std::string path = WriteTemp("refused.psd", MakePsd(h, Repeat(0, 6)));
    Surface s;
    EXPECT_EQ(s.CreateFromPsd(screen.get(), path.c_str(), AnyMemory), 0);
    EXPECT_EQ(s.surface, nullptr);
    EXPECT_EQ(s.alphaMap, nullptr);
  }
  // Refused after the size fields: the size stays the file's.
  PsdHeader deep;
  deep.depth = 16;
  Surface s;
  std::string path = WriteTemp("refused.psd", MakePsd(deep, {}));
  EXPECT_EQ(s.Create(screen.get(), path.c_str(), AnyMemory), 0);
  EXPECT_EQ(s.width * 10 + s.height, 21);
  // A raw image shorter than its planes.
  path = WriteTemp("short.psd", MakePsd(PsdHeader{}, Repeat(0, 5)));
  EXPECT_EQ(s.CreateFromPsd(screen.get(), path.c_str(), AnyMemory), 0);
  EXPECT_EQ(s.CreateFromPsd(screen.get(), "/nonexistent/qv.psd", AnyMemory), 0);
}

// ---- Alpha maps and BMP streams -----------------------------------------------------------------

// An alpha map file: width and height, then the bytes.
std::string AlphaFile(const char* name, uint32_t width, uint32_t height, const FileBytes& values) {
  FileBytes b;
  PutLe(b, width);
  PutLe(b, height);
  Append(b, values);
  return WriteTemp(name, b);
}

TEST_F(ImageLoad, AlphaMapMustMatchAndLoadsOnce) {
  Surface s(screen.get(), 4, 3, SystemMemory);
  ASSERT_NE(s.surface, nullptr);
  EXPECT_EQ(s.LoadAlphaMap(AlphaFile("wrong.alpha", 3, 3, Repeat(9, 9)).c_str()), 0);
  EXPECT_EQ(s.LoadAlphaMap(AlphaFile("short.alpha", 4, 3, Repeat(9, 11)).c_str()), 0);
  EXPECT_EQ(s.alphaMap, nullptr);
  FileBytes good;
  for (int i = 0; i < 12; ++i) good.push_back(static_cast<uint8_t>(i * 20));
  ASSERT_EQ(s.LoadAlphaMap(AlphaFile("good.alpha", 4, 3, good).c_str()), 1);
  ASSERT_NE(s.alphaMap, nullptr);
  EXPECT_EQ(s.alphaMap[11], 220);
  // A second map is refused and the first one kept.
  BYTE* first = s.alphaMap;
  EXPECT_EQ(s.LoadAlphaMap(AlphaFile("other.alpha", 4, 3, Repeat(1, 12)).c_str()), 0);
  EXPECT_EQ(s.alphaMap, first);
  EXPECT_EQ(s.alphaMap[11], 220);
}

TEST_F(ImageLoad, BitmapStreamFromAnOffsetWithItsOwnSize) {
  // Seven bytes of something else, the BMP, then more bytes that are not part of it.
  FileBytes file = Repeat(0x5A, 7);
  Append(file, MakeBmp(2, 2, 24, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
  Append(file, Repeat(0xA5, 9));
  std::string path = WriteTemp("stream.bin", file);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fseek(f, 7, SEEK_SET), 0);
  Surface s;
  EXPECT_EQ(s.CreateFromBitmapStream(screen.get(), f, AnyMemory, 0), 1);
  EXPECT_EQ(s.width * 10 + s.height, 22);
  EXPECT_EQ(Read(s), (std::vector<DWORD>{0xF800, 0x07E0, 0x001F, 0xFFFF}));

  // The other argument order, with an explicit size, from the same place.
  ASSERT_EQ(std::fseek(f, 7, SEEK_SET), 0);
  Surface t;
  EXPECT_EQ(
      t.CreateFromBitmapStream(screen.get(), f, static_cast<DWORD>(file.size() - 16), AnyMemory),
      1);
  EXPECT_EQ(Get(t, 1, 1), 0xFFFFu);
  std::fclose(f);
}

TEST_F(ImageLoad, BitmapStreamWithColourTable) {
  FileBytes bmp = MakeBmp(2, 1, 8, {1, 0}, {0x00FF0000, 0x0000FF00});  // index 0 red, 1 green
  std::FILE* f = std::fopen(WriteTemp("palette.bmp", bmp).c_str(), "rb");
  ASSERT_NE(f, nullptr);
  Surface s;
  EXPECT_EQ(s.CreateFromBitmapStream(screen.get(), f, AnyMemory, 0), 1);
  EXPECT_EQ(Read(s), (std::vector<DWORD>{0x07E0, 0xF800}));
  std::fclose(f);
}

TEST_F(ImageLoad, BitmapStreamRefusesDamage) {
  const FileBytes good = MakeBmp(2, 2, 24, {0, 0, 0, 0});
  struct Case {
    const char* what;
    FileBytes bytes;
    DWORD size;
  };
  FileBytes badType = good;
  badType[0] = 'X';
  FileBytes cutHeader(good.begin(), good.begin() + 30);
  FileBytes cutPixels(good.begin(), good.end() - 3);
  FileBytes hugeSize = good;
  hugeSize[18] = hugeSize[19] = hugeSize[20] = 0xFF;  // width 0x7FFFFFFF
  hugeSize[21] = 0x7F;
  FileBytes shortRows = good;
  shortRows[18] = 100;  // 100 pixels wide: more rows than the pixel data holds
  FileBytes offsetPastEnd = good;
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
    EXPECT_EQ(s.CreateFromBitmapStream(screen.get(), f, AnyMemory, c.size), 0);
    std::fclose(f);
  }
  Surface s;
  EXPECT_EQ(s.CreateFromBitmapStream(screen.get(), nullptr, AnyMemory, 0), 0);

  // A drawing that fails, as Windows answers it (0) and as other systems do (GDI_ERROR).
  for (HRESULT answer : {HRESULT(0), static_cast<HRESULT>(GDI_ERROR)}) {
    SCOPED_TRACE(answer);
    std::FILE* f = std::fopen(WriteTemp("good.bmp", good).c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(qvhost::FailCall("StretchDIBits", answer));
    EXPECT_EQ(s.CreateFromBitmapStream(screen.get(), f, AnyMemory, 0), 0);
    std::fclose(f);
    PsdHeader h;
    ASSERT_TRUE(qvhost::FailCall("StretchDIBits", answer));
    EXPECT_EQ(s.CreateFromPsd(screen.get(), WriteTemp("good.psd", MakePsd(h, Repeat(0, 6))).c_str(),
                              AnyMemory),
              0);
  }
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
  // Masks and shifts as red, green, blue; then the bits per pixel.
  const auto infoOf = [](IDirectDrawSurface4* surface) {
    PixelFormatInfo i = {};
    i.redMask = 99;
    EXPECT_EQ(GetPixelFormatInfo(surface, &i), 1);
    return std::vector<long>{i.redMask,    i.greenMask, i.blueMask,          i.redShift,
                             i.greenShift, i.blueShift, long(i.bitsPerPixel)};
  };
  EXPECT_EQ(infoOf(screen->GetBack()->surface), (std::vector<long>{31, 63, 31, 11, 5, 0, 16}));
  IDirectDrawSurface4* s555 = MakeFormatSurface(screen.get(), DDPF_RGB, 16, 0x7C00, 0x03E0, 0x1F);
  ASSERT_NE(s555, nullptr);
  EXPECT_EQ(infoOf(s555), (std::vector<long>{31, 31, 31, 10, 5, 0, 15}));
  s555->Release();
  IDirectDrawSurface4* s8 =
      MakeFormatSurface(screen.get(), DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0);
  ASSERT_NE(s8, nullptr);
  EXPECT_EQ(infoOf(s8), (std::vector<long>{0, 0, 0, 0, 0, 0, 8}));
  s8->Release();
  PixelFormatInfo info = {};
  EXPECT_EQ(GetPixelFormatInfo(nullptr, &info), 0);
}

TEST_F(ImageLoad, ColorMatchLeavesTheTopLeftPixel) {
  Surface s(screen.get(), 4, 4, SystemMemory);
  ASSERT_NE(s.surface, nullptr);
  ASSERT_EQ(s.Fill(0x1234), DD_OK);
  EXPECT_EQ(ColorMatch(s.surface, 0x00FFFFFF), 0xFFFFu);
  EXPECT_EQ(ColorMatch(s.surface, 0x000000FF), 0xF800u);
  EXPECT_EQ(Get(s, 0, 0), 0x1234u);
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
  Surface image(screen.get(), path.c_str(), VideoMemory);
  ASSERT_NE(image.surface, nullptr);
  Surface target(screen.get(), 8, 8, SystemMemory);
  ASSERT_EQ(target.Fill(0), DD_OK);

  qvhost::LoseSurfaces();
  EXPECT_EQ(image.BlitAt(0, 0, &target), DDERR_SURFACELOST);
  EXPECT_EQ(Get(target, 0, 0), 0u);
  EXPECT_EQ(image.BlitAt(0, 0, &target), DD_OK);
  EXPECT_EQ(Get(target, 3, 3), 0xF800u);
}

TEST_F(ImageLoad, ReloadFailsWithoutAFileOrASurface) {
  Surface s(screen.get(), 4, 4, SystemMemory);
  std::string path = WriteTemp("one.bmp", MakeBmp(1, 1, 24, {0xFFFFFF}));
  EXPECT_EQ(ReloadBitmap(s.surface, "/nonexistent/qv.bmp"), E_FAIL);
  EXPECT_EQ(ReloadBitmap(nullptr, path.c_str()), E_FAIL);
  // A good reload stretches the bitmap over the whole surface.
  EXPECT_EQ(ReloadBitmap(s.surface, path.c_str()), DD_OK);
  EXPECT_EQ(Get(s, 3, 3), 0xFFFFu);
}

}  // namespace

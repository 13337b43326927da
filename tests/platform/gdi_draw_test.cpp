// GDI objects, device contexts, pixels, clip regions, StretchBlt and StretchDIBits.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/backend.h"
#include "gdi_canvas.h"
#include "platform_test.h"

namespace {

using plat::PixelFormat;

uint32_t Pack565(uint32_t rgb) {
  return (((rgb >> 19) & 31) << 11) | (((rgb >> 10) & 63) << 5) | ((rgb >> 3) & 31);
}

// A bottom-up 24-bit DIB section selected into a memory DC, pixels given top row first.
struct Dib24 {
  Dib24(int w, int h, const std::vector<uint32_t>& rgb) {
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    for (int i = 0; i < w * h; ++i) {
      uint8_t* p = static_cast<uint8_t*>(bits) + (h - 1 - i / w) * ((w * 3 + 3) & ~3) + i % w * 3;
      p[0] = rgb[i] & 0xFF;
      p[1] = (rgb[i] >> 8) & 0xFF;
      p[2] = (rgb[i] >> 16) & 0xFF;
    }
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~Dib24() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  HBITMAP bitmap;
  HDC dc;
  HGDIOBJ old;
};

using GdiDraw = PlatformTest;

TEST_F(GdiDraw, HandleMisuseIsRefused) {
  HGDIOBJ font = GetStockObject(SYSTEM_FONT);
  EXPECT_FALSE(DeleteObject(font));  // stock objects stay
  EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(GetStockObject(-1), nullptr);

  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(brush));  // stale
  EXPECT_EQ(GetObjectType(brush), 0u);
  HBRUSH fresh = CreateSolidBrush(0);
  EXPECT_NE(fresh, brush) << "handles are not reused";
  DeleteObject(fresh);

  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(a);
  EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(brush)), nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(a, 4, 4);
  HGDIOBJ mono = SelectObject(a, bmp);
  ASSERT_NE(mono, nullptr);
  EXPECT_EQ(SelectObject(b, bmp), nullptr) << "one memory DC at a time";
  EXPECT_FALSE(DeleteObject(bmp)) << "still selected";
  EXPECT_FALSE(DeleteObject(mono)) << "the default bitmap is shared";
  EXPECT_EQ(SelectObject(a, reinterpret_cast<HGDIOBJ>(0x1234)), nullptr);
  EXPECT_EQ(SelectObject(a, brush), nullptr);
  EXPECT_EQ(SelectObject(a, b), nullptr);
  EXPECT_EQ(SelectObject(nullptr, bmp), nullptr);
  EXPECT_FALSE(DeleteObject(a)) << "DCs go with DeleteDC";
  EXPECT_TRUE(DeleteDC(a));
  EXPECT_FALSE(DeleteDC(a));
  EXPECT_EQ(SelectObject(b, bmp), mono) << "free again once its DC is gone";
  SelectObject(b, mono);
  EXPECT_TRUE(DeleteObject(bmp));
  EXPECT_TRUE(DeleteDC(b));

  // The bridge ends only its own DCs, and only the bridge ends them.
  Canvas c(4, 4, PixelFormat::Rgb565());
  HDC mem = CreateCompatibleDC(nullptr);
  EXPECT_FALSE(plat::gdi::ReleaseDCForPixels(mem));
  EXPECT_FALSE(DeleteDC(c.dc));
  EXPECT_EQ(ReleaseDC(nullptr, c.dc), 0);
  DeleteDC(mem);
  EXPECT_EQ(plat::gdi::CreateDCForPixels(plat::PixelBuffer()), nullptr);
}

// An armed fault answers the program's call in the call's own type; GDI's calls of itself
// (BitBlt's stretch) are not the program's and stay unanswered.
TEST_F(GdiDraw, ArmedFaultsAnswerTheProgramsCalls) {
  qvhost::FailCall("CreateCompatibleDC", 0);
  EXPECT_EQ(CreateCompatibleDC(nullptr), nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr) << "the fault is used up";
  qvhost::FailCall("BitBlt", 0);
  EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
  qvhost::FailCall("StretchBlt", 0);
  EXPECT_TRUE(BitBlt(dc, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
  EXPECT_FALSE(StretchBlt(dc, 0, 0, 1, 1, dc, 0, 0, 1, 1, SRCCOPY));
  // The record holds a counted string as far as its count, though it runs on unterminated.
  const char text[4] = {'a', 'b', 'c', 'd'};
  qvhost::EnableCallLog(true, qvhost::LogScope::Everything);
  TextOutA(dc, 1, 2, text, 3);
  qvhost::EnableCallLog(false);
  ASSERT_EQ(qvhost::CallNames(), std::vector<std::string>{"TextOutA"});
  EXPECT_EQ(qvhost::Calls()[0].args[3].text, "abc");
}

TEST_F(GdiDraw, ObjectDescriptionsAndDefaults) {
  LOGFONTA lf;
  HGDIOBJ system = GetStockObject(SYSTEM_FONT);
  EXPECT_EQ(GetObjectA(system, 0, nullptr), 60);
  EXPECT_EQ(GetObjectA(system, sizeof lf - 1, &lf), 0);
  ASSERT_EQ(GetObjectA(system, sizeof lf, &lf), 60);
  EXPECT_EQ(lf.lfHeight, 16);
  EXPECT_GE(lf.lfWeight, FW_BOLD);

  // A memory DC starts with a 1x1 monochrome bitmap, the System font, a white brush.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP probe = CreateCompatibleBitmap(dc, 2, 2);
  HGDIOBJ mono = SelectObject(dc, probe);
  BITMAP bm;
  EXPECT_EQ(GetObjectA(mono, 0, nullptr), static_cast<int>(sizeof bm));
  EXPECT_EQ(GetObjectA(mono, sizeof bm - 1, &bm), 0);
  ASSERT_EQ(GetObjectA(mono, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth * 10 + bm.bmHeight, 11);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  GetObjectA(probe, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1) << "compatible with the selected (monochrome) bitmap";
  HGDIOBJ ansi = GetStockObject(ANSI_VAR_FONT);
  EXPECT_EQ(SelectObject(dc, ansi), system);
  EXPECT_EQ(SelectObject(dc, system), ansi);
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));

  Canvas c(2, 2, PixelFormat::Rgb565());
  HBITMAP sb = CreateCompatibleBitmap(c.dc, 3, 3);
  GetObjectA(sb, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 16) << "a surface DC's format";
  EXPECT_EQ(bm.bmBits, nullptr) << "not a DIB section";
  EXPECT_EQ(CreateCompatibleBitmap(c.dc, -1, 3), nullptr);

  // A bottom-up DIB section: its memory starts with the bottom row.
  Dib24 dib(3, 2, {0, 0, 0, 0xFF0000, 0, 0});
  GetObjectA(dib.bitmap, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidthBytes, 12);
  EXPECT_EQ(static_cast<uint8_t*>(bm.bmBits)[2], 0xFF);
  BITMAPINFO bad = {};
  bad.bmiHeader = {sizeof(BITMAPINFOHEADER), -3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = &bad;
  EXPECT_EQ(CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
}

TEST_F(GdiDraw, DesktopAndSurfaceCapabilities) {
  int w = 0, h = 0, bits = 0;
  plat::CurrentBackend().DesktopMode(&w, &h, &bits);
  HDC desk = GetDC(nullptr);
  ASSERT_NE(desk, nullptr);
  EXPECT_EQ(GetDeviceCaps(desk, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(desk, BITSPIXEL), bits == 15 ? 16 : bits);
  EXPECT_EQ(GetDeviceCaps(desk, HORZRES), w);
  EXPECT_EQ(GetDeviceCaps(desk, VERTRES), h);
  EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
  EXPECT_EQ(SetPixel(desk, 0, 0, RGB(1, 2, 3)), CLR_INVALID) << "the desktop has no pixels here";
  EXPECT_EQ(ReleaseDC(reinterpret_cast<HWND>(0x10), desk), 0) << "not that window's DC";
  EXPECT_EQ(ReleaseDC(nullptr, desk), 1);
  EXPECT_EQ(ReleaseDC(nullptr, desk), 0);
  EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x4321)), nullptr);

  Canvas c(40, 30, PixelFormat::Rgb565());
  EXPECT_EQ(GetDeviceCaps(c.dc, BITSPIXEL), 16);
  EXPECT_EQ(GetDeviceCaps(c.dc, HORZRES), 40);
  EXPECT_EQ(GetDeviceCaps(c.dc, VERTRES), 30);
}

TEST_F(GdiDraw, PixelsRoundTripInEveryFormat) {
  const COLORREF color = RGB(13, 200, 77);
  const std::pair<PixelFormat, uint32_t> cases[] = {
      {PixelFormat::Rgb565(), (13u >> 3) << 11 | (200u >> 2) << 5 | (77u >> 3)},
      {PixelFormat::Rgb555(), (13u >> 3) << 10 | (200u >> 3) << 5 | (77u >> 3)},
      {PixelFormat::Rgb888(), 0x0DC84Du},
      {PixelFormat::Xrgb8888(), 0x0DC84Du}};
  for (const auto& [format, raw] : cases) {
    Canvas c(3, 2, format);
    COLORREF set = SetPixel(c.dc, 2, 1, color);
    EXPECT_EQ(c.At(2, 1), raw);
    EXPECT_EQ(GetPixel(c.dc, 2, 1), set) << "SetPixel answers the colour actually stored";
    EXPECT_EQ(set == color, format.bitsPerPixel >= 24);
    EXPECT_EQ(SetPixel(c.dc, 3, 0, color), CLR_INVALID);
    EXPECT_EQ(GetPixel(c.dc, 0, -1), CLR_INVALID);
  }
  Canvas w(1, 1, PixelFormat::Rgb565());
  EXPECT_EQ(SetPixel(w.dc, 0, 0, RGB(255, 255, 255)), RGB(255, 255, 255));
  EXPECT_EQ(w.At(0, 0), 0xFFFFu);

  // 8 bits: the nearest palette entry, or an index given as PALETTEINDEX.
  PALETTEENTRY pal[256] = {};
  pal[1] = {250, 0, 0, 0};
  pal[5] = {10, 20, 30, 0};
  Canvas p(2, 1, PixelFormat::Indexed8(), pal);
  EXPECT_EQ(SetPixel(p.dc, 0, 0, RGB(200, 30, 20)), RGB(250, 0, 0));
  EXPECT_EQ(p.At(0, 0), 1u);
  EXPECT_EQ(SetPixel(p.dc, 1, 0, 0x01000005), RGB(10, 20, 30));
  EXPECT_EQ(p.At(1, 0), 5u);
  EXPECT_EQ(SetPixel(nullptr, 0, 0, 0), CLR_INVALID);
}

TEST_F(GdiDraw, ClipRegionsLimitEveryDrawing) {
  Canvas c(8, 8, PixelFormat::Rgb565());
  HRGN rgn = CreateRectRgn(6, 5, 2, 1);  // corners in any order
  EXPECT_EQ(SelectClipRgn(c.dc, rgn), SIMPLEREGION);
  EXPECT_TRUE(DeleteObject(rgn)) << "the DC keeps its own copy";
  EXPECT_EQ(SetPixel(c.dc, 1, 1, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(c.dc, 6, 3), CLR_INVALID);
  RECT all = {-5, -5, 20, 20};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  EXPECT_NE(FillRect(c.dc, &all, red), 0);
  for (int i = 0; i < 64; ++i) {
    int x = i % 8, y = i / 8;
    EXPECT_EQ(c.At(x, y), x >= 2 && x < 6 && y >= 1 && y < 5 ? 0xF800u : 0u) << x << "," << y;
  }
  Dib24 blue(8, 8, std::vector<uint32_t>(64, 0x0000FF));
  EXPECT_TRUE(StretchBlt(c.dc, 0, 0, 8, 8, blue.dc, 0, 0, 8, 8, SRCCOPY));
  EXPECT_EQ(c.At(2, 1), 0x001Fu);
  EXPECT_EQ(c.At(1, 1), 0u);

  // NULL removes the clip; an empty region clips everything; a deleted one is refused.
  EXPECT_EQ(SelectClipRgn(c.dc, nullptr), SIMPLEREGION);
  EXPECT_NE(SetPixel(c.dc, 0, 0, 0), CLR_INVALID);
  HRGN empty = CreateRectRgn(3, 3, 3, 7);
  EXPECT_EQ(SelectObject(c.dc, empty), reinterpret_cast<HGDIOBJ>(NULLREGION));
  EXPECT_EQ(SetPixel(c.dc, 3, 3, 0), CLR_INVALID);
  DeleteObject(empty);
  EXPECT_EQ(SelectClipRgn(c.dc, empty), ERROR);
  EXPECT_EQ(SelectClipRgn(nullptr, nullptr), ERROR);

  // FillRect with a system colour number, a hollow brush, bad arguments.
  SelectClipRgn(c.dc, nullptr);
  RECT one = {0, 0, 1, 1};
  // COLOR_WINDOW + 1 in place of a brush: the window colour, white.
  EXPECT_NE(FillRect(c.dc, &one, reinterpret_cast<HBRUSH>(uintptr_t{5 + 1})), 0);
  EXPECT_EQ(c.At(0, 0), 0xFFFFu);
  EXPECT_NE(FillRect(c.dc, &one, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 0);
  EXPECT_EQ(c.At(0, 0), 0xFFFFu);
  EXPECT_EQ(FillRect(c.dc, nullptr, red), 0);
  EXPECT_EQ(FillRect(c.dc, &one, reinterpret_cast<HBRUSH>(uintptr_t{0x777})), 0);
  DeleteObject(red);
}

TEST_F(GdiDraw, StretchBltScalesMirrorsAndConverts) {
  const std::vector<uint32_t> px = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF,
                                    0x808000, 0x008080, 0x800080, 0x404040};
  Dib24 src(4, 2, px);
  Canvas c(8, 4, PixelFormat::Rgb565());
  auto expect = [&](int x0, int y0, int w, int h, auto sourceIndex) {
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) ASSERT_EQ(c.At(x, y), Pack565(px[sourceIndex(x, y)]));
  };
  ASSERT_TRUE(StretchBlt(c.dc, 1, 1, 4, 2, src.dc, 0, 0, 4, 2, SRCCOPY));
  expect(1, 1, 4, 2, [](int x, int y) { return (y - 1) * 4 + x - 1; });
  EXPECT_EQ(c.At(0, 0) | c.At(5, 1), 0u);
  ASSERT_TRUE(StretchBlt(c.dc, 0, 0, 8, 4, src.dc, 0, 0, 4, 2, SRCCOPY));  // double size
  expect(0, 0, 8, 4, [](int x, int y) { return y / 2 * 4 + x / 2; });
  // Halved: a new DC (BLACKONWHITE) ANDs the pixels it drops into the kept ones, or OR in
  // WHITEONBLACK; COLORONCOLOR keeps the first of them.
  ASSERT_TRUE(StretchBlt(c.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(c.At(0, 0), Pack565(px[0] & px[1] & px[4] & px[5]));
  EXPECT_EQ(c.At(1, 0), Pack565(px[2] & px[3] & px[6] & px[7]));
  SetStretchBltMode(c.dc, WHITEONBLACK);
  ASSERT_TRUE(StretchBlt(c.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(c.At(1, 0), Pack565(px[2] | px[3] | px[6] | px[7]));
  SetStretchBltMode(c.dc, COLORONCOLOR);
  ASSERT_TRUE(StretchBlt(c.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 2, SRCCOPY));
  expect(0, 0, 2, 1, [](int x, int) { return 2 * x; });
  // Mirrored and shrunk by 3 to 2 in BLACKONWHITE: the groups are taken before the mirror. A
  // negative extent counts from its origin pixel: x = 1 and 0 here.
  SetStretchBltMode(c.dc, BLACKONWHITE);
  ASSERT_TRUE(StretchBlt(c.dc, 1, 0, -2, 1, src.dc, 0, 0, 3, 1, SRCCOPY));
  EXPECT_EQ(c.At(1, 0), Pack565(px[0]));
  EXPECT_EQ(c.At(0, 0), Pack565(px[1] & px[2]));
  ASSERT_TRUE(StretchBlt(c.dc, 3, 0, -4, 2, src.dc, 0, 0, 4, 2, SRCCOPY));  // mirrored
  expect(0, 0, 4, 2, [](int x, int y) { return y * 4 + 3 - x; });
  ASSERT_TRUE(StretchBlt(c.dc, 0, 0, 4, 2, src.dc, 0, 1, 4, -2, SRCCOPY));  // upside down
  expect(0, 0, 4, 2, [](int x, int y) { return (1 - y) * 4 + x; });

  // Parts outside the source are skipped, never read.
  c.Fill(0x1234);
  ASSERT_TRUE(StretchBlt(c.dc, -1, 0, 6, 2, src.dc, 2, 0, 6, 2, SRCCOPY));
  EXPECT_EQ(c.At(0, 0), Pack565(px[3]));
  EXPECT_EQ(c.At(1, 0), 0x1234u);
  EXPECT_FALSE(StretchBlt(c.dc, 0, 0, 4, 2, nullptr, 0, 0, 4, 2, SRCCOPY));
  EXPECT_FALSE(StretchBlt(nullptr, 0, 0, 4, 2, src.dc, 0, 0, 4, 2, SRCCOPY));
  // Only the operation's truth table counts: 0x12345678 is 0x34, P ^ S on a black target
  // (the default brush is white).
  c.Fill(0);
  EXPECT_TRUE(StretchBlt(c.dc, 0, 0, 4, 2, src.dc, 0, 0, 4, 2, 0x12345678));
  EXPECT_EQ(c.At(0, 0), 0xFFFFu ^ Pack565(px[0]));

  // Onto 8 bits: the nearest entry of the target's palette; and back through its colours.
  PALETTEENTRY pal[256] = {};
  for (int i = 0; i < 256; ++i) pal[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), 0, 0};
  pal[200] = {0, 0, 255, 0};
  pal[201] = {255, 0, 0, 0};
  Canvas p(4, 1, PixelFormat::Indexed8(), pal);
  ASSERT_TRUE(BitBlt(p.dc, 0, 0, 4, 1, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(p.At(0, 0) << 16 | p.At(2, 0) << 8 | p.At(3, 0), 201u << 16 | 200u << 8 | 255u);
  Canvas back(4, 1, PixelFormat::Xrgb8888());
  ASSERT_TRUE(BitBlt(back.dc, 0, 0, 4, 1, p.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(back.At(0, 0), 0xFF0000u);
  EXPECT_EQ(back.At(3, 0), 0xFFFF00u);

  // Overlapping copy within one bitmap: reads the pixels as they were before the copy.
  Dib24 row(4, 1, {1, 2, 3, 4});
  ASSERT_TRUE(BitBlt(row.dc, 1, 0, 3, 1, row.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(row.dc, 3, 0), RGB(0, 0, 3));
}

TEST_F(GdiDraw, StretchDIBitsRowOrderFormatsAndErrors) {
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
  } dib = {};
  dib.h = {sizeof(BITMAPINFOHEADER), 2, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const auto* info = reinterpret_cast<const BITMAPINFO*>(&dib);
  const uint32_t topDown[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  const uint32_t bottomUp[4] = {0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00};
  const uint32_t want[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
  Canvas c(2, 2, PixelFormat::Rgb565());
  auto draw = [&](int w, int h, int sw, int sh, const void* bits, UINT usage = DIB_RGB_COLORS) {
    return StretchDIBits(c.dc, 0, 0, w, h, 0, 0, sw, sh, bits, info, usage, SRCCOPY);
  };
  for (const uint32_t* rows : {topDown, bottomUp}) {
    dib.h.biHeight = rows == topDown ? -2 : 2;
    c.Fill(0);
    EXPECT_EQ(draw(2, 2, 2, 2, rows), 2);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.At(i % 2, i / 2), want[i]) << dib.h.biHeight;
  }
  c.Fill(0);
  EXPECT_EQ(draw(2, 1, 2, 1, bottomUp), 1);  // a bottom-up source counts from its bottom row
  EXPECT_EQ(c.At(0, 0), 0x001Fu);
  EXPECT_EQ(c.At(0, 1), 0u);

  // 4 bits with a colour table, scaled up onto 32 bits.
  dib.h = {sizeof(BITMAPINFOHEADER), 2, 1, 1, 4, BI_RGB, 0, 0, 0, 2, 0};
  dib.colors[1] = {0, 0, 255, 0};
  const uint8_t nibbles[4] = {0x10};
  Canvas s(4, 2, PixelFormat::Xrgb8888());
  EXPECT_EQ(StretchDIBits(s.dc, 0, 0, 4, 2, 0, 0, 2, 1, nibbles, info, DIB_RGB_COLORS, SRCCOPY), 1);
  EXPECT_EQ(s.At(1, 1), 0xFF0000u);
  EXPECT_EQ(s.At(2, 0), 0u);

  // 16-bit bitfields: the masks follow the 40-byte header.
  dib.h = {sizeof(BITMAPINFOHEADER), 2, 1, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0};
  const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
  std::memcpy(dib.colors, masks, sizeof masks);
  const uint16_t words[2] = {0x07E0, 0x001F};
  EXPECT_EQ(draw(2, 1, 2, 1, words), 1);
  EXPECT_EQ(c.At(0, 0) << 16 | c.At(1, 0), 0x07E0001Fu);

  // Failures give GDI_ERROR and draw nothing.
  const int kError = static_cast<int>(GDI_ERROR);
  dib.h = {sizeof(BITMAPINFOHEADER), 2, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  c.Fill(0x1111);
  EXPECT_EQ(StretchDIBits(nullptr, 0, 0, 2, 2, 0, 0, 2, 2, topDown, info, 0, SRCCOPY), kError);
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, topDown, nullptr, 0, SRCCOPY), kError);
  EXPECT_EQ(draw(2, 2, 2, 2, nullptr), kError);
  EXPECT_EQ(draw(2, 2, 2, 2, topDown, DIB_PAL_COLORS), kError);
  const std::pair<const char*, void (*)(BITMAPINFOHEADER&)> broken[] = {
      {"size 0", [](BITMAPINFOHEADER& h) { h.biSize = 0; }},
      {"7 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 7; }},
      {"RLE8 with 32 bits", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
      {"width 0", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
      {"height 0", [](BITMAPINFOHEADER& h) { h.biHeight = 0; }}};
  for (const auto& [name, breakIt] : broken) {
    dib.h = {sizeof(BITMAPINFOHEADER), 2, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    breakIt(dib.h);
    EXPECT_EQ(draw(2, 2, 2, 2, topDown), kError) << name;
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c.At(i % 2, i / 2), 0x1111u);
}

// Random rectangles, mirrored and far away included: nothing outside the clip or the rows
// changes (and under AddressSanitizer nothing is read outside the source).
TEST_F(GdiDraw, RandomStretchesStayInsideTheClip) {
  std::vector<uint32_t> px(7 * 5);
  for (size_t i = 0; i < px.size(); ++i) px[i] = 0x010203u * static_cast<uint32_t>(i + 1);
  Dib24 src(7, 5, px);
  uint32_t state = 99;
  auto next = [&state] { return static_cast<int>((state = state * 1103515245u + 12345u) >> 8); };
  auto coord = [&] { return next() % 5 ? next() % 24 - 8 : (next() % 2 ? 1 : -1) * (1 << 30); };
  for (int round = 0; round < 2000; ++round) {
    Canvas c(9, 7, PixelFormat::Rgb565());
    c.Fill(0xBEEF);
    RECT clip = {next() % 10, next() % 8, next() % 10, next() % 8};
    HRGN rgn = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
    SelectClipRgn(c.dc, rgn);
    DeleteObject(rgn);
    int x = coord(), y = coord(), w = coord(), h = coord();
    ASSERT_TRUE(StretchBlt(c.dc, x, y, w, h, src.dc, coord(), coord(), coord(), coord(), SRCCOPY));
    RECT in = {std::min(clip.left, clip.right), std::min(clip.top, clip.bottom),
               std::max(clip.left, clip.right), std::max(clip.top, clip.bottom)};
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 9; ++x) {
        bool inside = x >= in.left && x < in.right && y >= in.top && y < in.bottom;
        ASSERT_TRUE(inside || c.At(x, y) == 0xBEEF) << "round " << round;
      }
      for (int i = 18; i < c.view.pitch; ++i) ASSERT_EQ(c.bytes[y * c.view.pitch + i], 0) << round;
    }
  }
}

}  // namespace

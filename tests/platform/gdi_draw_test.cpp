// GDI objects, device contexts, pixels, clip regions, StretchBlt and StretchDIBits.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/backend.h"
#include "core/gdi_bridge.h"
#include "core/pixels.h"
#include "host.h"

namespace {

// Pixel memory of a given format with a DC drawing into it, as DirectDraw's GetDC makes.
struct Canvas {
  Canvas(int w, int h, plat::PixelFormat format, const PALETTEENTRY* palette = nullptr) {
    pitch = w * static_cast<int>(format.BytesPerPixel()) + 4;  // rows with slack at the end
    mem.assign(static_cast<size_t>(pitch) * h, 0);
    pb.bits = mem.data();
    pb.width = w;
    pb.height = h;
    pb.pitch = pitch;
    pb.format = format;
    pb.palette = palette;
    dc = plat::gdi::CreateDCForPixels(pb);
  }
  ~Canvas() { plat::gdi::ReleaseDCForPixels(dc); }
  uint32_t Raw(int x, int y) const { return pb.GetRaw(x, y); }
  void Fill(uint32_t raw) {
    for (int y = 0; y < pb.height; ++y)
      for (int x = 0; x < pb.width; ++x) pb.PutRaw(x, y, raw);
  }
  std::vector<uint8_t> mem;
  int pitch;
  plat::PixelBuffer pb;
  HDC dc;
};

uint16_t Pack565(uint32_t rgb) {
  return static_cast<uint16_t>((((rgb >> 19) & 31) << 11) | (((rgb >> 10) & 63) << 5) |
                               ((rgb >> 3) & 31));
}

// A 24-bit DIB section with its pixels set from 0x00RRGGBB values, top row first.
struct Dib24 {
  Dib24(int w, int h, const std::vector<uint32_t>& rgb, bool topDown = false) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = topDown ? -h : h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    int stride = (w * 3 + 3) & ~3;
    for (int y = 0; y < h; ++y) {
      uint8_t* row = static_cast<uint8_t*>(bits) + (topDown ? y : h - 1 - y) * stride;
      for (int x = 0; x < w; ++x) {
        uint32_t c = rgb[static_cast<size_t>(y) * w + x];
        row[3 * x] = c & 0xFF;
        row[3 * x + 1] = (c >> 8) & 0xFF;
        row[3 * x + 2] = (c >> 16) & 0xFF;
      }
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

class GdiDraw : public ::testing::Test {
 protected:
  void SetUp() override { qvhost::UseHeadless(); }
};

TEST_F(GdiDraw, HandleMisuseIsRefused) {
  HGDIOBJ font = GetStockObject(SYSTEM_FONT);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
  EXPECT_FALSE(DeleteObject(font));  // stock objects stay
  EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(GetStockObject(-1), nullptr);
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(GetStockObject(1000), nullptr);

  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(brush));  // stale
  EXPECT_EQ(GetObjectType(brush), 0u);
  HBRUSH fresh = CreateSolidBrush(0);
  EXPECT_NE(fresh, brush);  // handles are not reused
  DeleteObject(fresh);

  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(a);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(GetObjectType(a), static_cast<DWORD>(OBJ_MEMDC));
  EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(brush)), nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(a, 4, 4);
  HGDIOBJ oldA = SelectObject(a, bmp);
  ASSERT_NE(oldA, nullptr);
  EXPECT_EQ(SelectObject(b, bmp), nullptr) << "one bitmap, one memory DC at a time";
  EXPECT_FALSE(DeleteObject(bmp)) << "still selected";
  EXPECT_EQ(SelectObject(a, bmp), bmp);
  EXPECT_EQ(SelectObject(nullptr, bmp), nullptr);
  EXPECT_EQ(SelectObject(a, reinterpret_cast<HGDIOBJ>(0x1234)), nullptr);
  EXPECT_EQ(SelectObject(a, brush), nullptr);
  EXPECT_EQ(SelectObject(a, b), nullptr);
  EXPECT_FALSE(DeleteObject(a)) << "DCs go with DeleteDC";
  EXPECT_TRUE(DeleteDC(a));
  EXPECT_FALSE(DeleteDC(a));
  EXPECT_EQ(GetObjectType(a), 0u);
  EXPECT_EQ(SelectObject(b, bmp), oldA) << "free again once its DC is gone";
  SelectObject(b, oldA);
  EXPECT_TRUE(DeleteObject(bmp));
  EXPECT_TRUE(DeleteDC(b));

  // The DC bridge hands out and ends only its own DCs.
  Canvas c(4, 4, plat::PixelFormat::Rgb565());
  HDC mem = CreateCompatibleDC(nullptr);
  EXPECT_FALSE(plat::gdi::ReleaseDCForPixels(mem));
  EXPECT_FALSE(DeleteDC(c.dc));
  EXPECT_EQ(ReleaseDC(nullptr, c.dc), 0);
  EXPECT_EQ(GetObjectType(c.dc), static_cast<DWORD>(OBJ_DC));
  EXPECT_TRUE(DeleteDC(mem));
  plat::PixelBuffer empty;
  EXPECT_EQ(plat::gdi::CreateDCForPixels(empty), nullptr);
}

TEST_F(GdiDraw, GetObjectSizesAndDefaults) {
  LOGFONTA lf;
  HGDIOBJ system = GetStockObject(SYSTEM_FONT);
  EXPECT_EQ(GetObjectA(system, 0, nullptr), static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(GetObjectA(system, sizeof lf - 1, &lf), 0);
  ASSERT_EQ(GetObjectA(system, sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfHeight, 16);
  EXPECT_GE(lf.lfWeight, FW_BOLD);
  for (int stock : {OEM_FIXED_FONT, ANSI_FIXED_FONT, ANSI_VAR_FONT, DEVICE_DEFAULT_FONT,
                    SYSTEM_FIXED_FONT, DEFAULT_GUI_FONT}) {
    EXPECT_EQ(GetObjectA(GetStockObject(stock), sizeof lf, &lf), static_cast<int>(sizeof lf));
  }

  // A new memory DC holds a 1x1 monochrome bitmap and makes monochrome compatible bitmaps.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP probe = CreateCompatibleBitmap(dc, 2, 2);
  HGDIOBJ def = SelectObject(dc, probe);
  BITMAP bm;
  EXPECT_EQ(GetObjectA(def, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(GetObjectA(def, sizeof bm - 1, &bm), 0);
  ASSERT_EQ(GetObjectA(def, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmHeight, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  ASSERT_EQ(GetObjectA(probe, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmWidth, 2);
  EXPECT_EQ(GetObjectA(reinterpret_cast<HANDLE>(0x99), sizeof bm, &bm), 0);
  EXPECT_EQ(GetObjectA(CreateSolidBrush(0), sizeof bm, &bm), 0);  // no LOGBRUSH here
  EXPECT_FALSE(DeleteObject(def)) << "the default bitmap is shared";
  SelectObject(dc, def);
  DeleteObject(probe);

  // The selected font starts as the System font, and comes back from SelectObject.
  HGDIOBJ ansi = GetStockObject(ANSI_VAR_FONT);
  EXPECT_EQ(SelectObject(dc, ansi), system);
  EXPECT_EQ(SelectObject(dc, system), ansi);
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_PEN)), GetStockObject(BLACK_PEN));
  DeleteDC(dc);

  // A surface DC's compatible bitmaps take the surface's format.
  Canvas c(2, 2, plat::PixelFormat::Rgb565());
  HBITMAP sb = CreateCompatibleBitmap(c.dc, 3, 3);
  ASSERT_EQ(GetObjectA(sb, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 16);
  EXPECT_EQ(CreateCompatibleBitmap(c.dc, -1, 3), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 3, 3), nullptr);
  DeleteObject(sb);
}

TEST_F(GdiDraw, DesktopAndWindowDCs) {
  int w = 0, h = 0, bits = 0;
  plat::CurrentBackend().DesktopMode(&w, &h, &bits);
  HDC desk = GetDC(nullptr);
  ASSERT_NE(desk, nullptr);
  EXPECT_EQ(GetDeviceCaps(desk, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(desk, BITSPIXEL), bits == 15 ? 16 : bits);
  EXPECT_EQ(GetDeviceCaps(desk, HORZRES), w);
  EXPECT_EQ(GetDeviceCaps(desk, VERTRES), h);
  EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
  // Drawing through it shows nowhere and touches no memory.
  EXPECT_EQ(SetPixel(desk, 0, 0, RGB(1, 2, 3)), CLR_INVALID);
  RECT r = {0, 0, 10, 10};
  EXPECT_NE(FillRect(desk, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_EQ(ReleaseDC(reinterpret_cast<HWND>(0x10), desk), 0) << "not that window's DC";
  EXPECT_EQ(ReleaseDC(nullptr, desk), 1);
  EXPECT_EQ(ReleaseDC(nullptr, desk), 0);
  EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x4321)), nullptr);

  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "GdiDrawTest";
  RegisterClassA(&wc);
  HWND wnd =
      CreateWindowExA(0, "GdiDrawTest", "t", 0, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(wnd, nullptr);
  HDC wdc = GetDC(wnd);
  ASSERT_NE(wdc, nullptr);
  EXPECT_EQ(GetObjectType(wdc), static_cast<DWORD>(OBJ_DC));
  EXPECT_EQ(GetDeviceCaps(wdc, PLANES), 1);
  EXPECT_EQ(ReleaseDC(nullptr, wdc), 0);
  EXPECT_EQ(ReleaseDC(wnd, wdc), 1);
  DestroyWindow(wnd);

  // A surface DC reports the surface.
  Canvas c(40, 30, plat::PixelFormat::Rgb565());
  EXPECT_EQ(GetDeviceCaps(c.dc, BITSPIXEL), 16);
  EXPECT_EQ(GetDeviceCaps(c.dc, HORZRES), 40);
  EXPECT_EQ(GetDeviceCaps(c.dc, VERTRES), 30);
}

TEST_F(GdiDraw, PixelsRoundTripInEveryFormat) {
  const COLORREF color = RGB(13, 200, 77);
  struct Case {
    plat::PixelFormat format;
    uint32_t raw;  // what the pixel memory must hold
  };
  const Case cases[] = {
      {plat::PixelFormat::Rgb565(), (13u >> 3) << 11 | (200u >> 2) << 5 | (77u >> 3)},
      {plat::PixelFormat::Rgb555(), (13u >> 3) << 10 | (200u >> 3) << 5 | (77u >> 3)},
      {plat::PixelFormat::Rgb888(), 0x0DC84Du},
      {plat::PixelFormat::Xrgb8888(), 0x0DC84Du},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.format.bitsPerPixel);
    Canvas c(3, 2, k.format);
    COLORREF set = SetPixel(c.dc, 2, 1, color);
    EXPECT_EQ(c.Raw(2, 1), k.raw);
    EXPECT_EQ(GetPixel(c.dc, 2, 1), set) << "SetPixel answers the colour actually stored";
    if (k.format.bitsPerPixel >= 24) {
      EXPECT_EQ(set, color);
    }
    EXPECT_EQ(c.Raw(1, 1), 0u);
    EXPECT_EQ(SetPixel(c.dc, 3, 0, color), CLR_INVALID);
    EXPECT_EQ(SetPixel(c.dc, -1, 0, color), CLR_INVALID);
    EXPECT_EQ(GetPixel(c.dc, 0, 2), CLR_INVALID);
  }
  // White stays white through 5-6-5.
  Canvas w(1, 1, plat::PixelFormat::Rgb565());
  EXPECT_EQ(SetPixel(w.dc, 0, 0, RGB(255, 255, 255)), RGB(255, 255, 255));
  EXPECT_EQ(w.Raw(0, 0), 0xFFFFu);

  // 8-bit: the nearest palette entry, or a palette index given as such.
  PALETTEENTRY pal[256] = {};
  pal[1] = {250, 0, 0, 0};
  pal[2] = {0, 0, 250, 0};
  pal[5] = {10, 20, 30, 0};
  Canvas p(2, 1, plat::PixelFormat::Indexed8(), pal);
  EXPECT_EQ(SetPixel(p.dc, 0, 0, RGB(200, 30, 20)), RGB(250, 0, 0));
  EXPECT_EQ(p.Raw(0, 0), 1u);
  EXPECT_EQ(SetPixel(p.dc, 1, 0, 0x01000005), RGB(10, 20, 30));
  EXPECT_EQ(p.Raw(1, 0), 5u);
  EXPECT_EQ(GetPixel(p.dc, 1, 0), RGB(10, 20, 30));
  EXPECT_EQ(SetPixel(nullptr, 0, 0, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(reinterpret_cast<HDC>(0x44), 0, 0), CLR_INVALID);
}

TEST_F(GdiDraw, ClipRegionsLimitEveryDrawing) {
  Canvas c(8, 8, plat::PixelFormat::Rgb565());
  HRGN rgn = CreateRectRgn(6, 5, 2, 1);  // corners in any order
  EXPECT_EQ(GetObjectType(rgn), static_cast<DWORD>(OBJ_REGION));
  EXPECT_EQ(SelectClipRgn(c.dc, rgn), SIMPLEREGION);
  EXPECT_TRUE(DeleteObject(rgn)) << "the DC keeps its own copy";

  EXPECT_EQ(SetPixel(c.dc, 1, 1, RGB(255, 255, 255)), CLR_INVALID);
  EXPECT_EQ(GetPixel(c.dc, 6, 3), CLR_INVALID);
  EXPECT_NE(SetPixel(c.dc, 2, 1, RGB(255, 255, 255)), CLR_INVALID);
  RECT all = {-5, -5, 20, 20};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  EXPECT_NE(FillRect(c.dc, &all, red), 0);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      bool inside = x >= 2 && x < 6 && y >= 1 && y < 5;
      EXPECT_EQ(c.Raw(x, y), inside ? 0xF800u : 0u) << x << "," << y;
    }
  }
  // StretchBlt stays inside the clip too.
  Dib24 src(8, 8, std::vector<uint32_t>(64, 0x0000FF));
  EXPECT_TRUE(StretchBlt(c.dc, 0, 0, 8, 8, src.dc, 0, 0, 8, 8, SRCCOPY));
  EXPECT_EQ(c.Raw(2, 1), 0x001Fu);
  EXPECT_EQ(c.Raw(1, 1), 0u);
  EXPECT_EQ(c.Raw(6, 4), 0u);

  // A NULL region removes the clip; an empty one clips everything.
  EXPECT_EQ(SelectClipRgn(c.dc, nullptr), SIMPLEREGION);
  EXPECT_NE(SetPixel(c.dc, 0, 0, RGB(255, 255, 255)), CLR_INVALID);
  HRGN empty = CreateRectRgn(3, 3, 3, 7);
  EXPECT_EQ(SelectClipRgn(c.dc, empty), NULLREGION);
  EXPECT_EQ(SetPixel(c.dc, 3, 3, 0), CLR_INVALID);
  EXPECT_EQ(SelectObject(c.dc, empty), reinterpret_cast<HGDIOBJ>(NULLREGION));
  DeleteObject(empty);
  EXPECT_EQ(SelectClipRgn(c.dc, empty), ERROR) << "deleted region";
  EXPECT_EQ(SelectClipRgn(nullptr, nullptr), ERROR);
  EXPECT_EQ(SelectObject(c.dc, empty), nullptr);

  // FillRect: system colour numbers, hollow brush, bad arguments.
  SelectClipRgn(c.dc, nullptr);
  RECT one = {0, 0, 1, 1};
  EXPECT_NE(FillRect(c.dc, &one, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(5 + 1))), 0);
  EXPECT_EQ(c.Raw(0, 0), 0xFFFFu);  // COLOR_WINDOW: white
  EXPECT_NE(FillRect(c.dc, &one, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 0);
  EXPECT_EQ(c.Raw(0, 0), 0xFFFFu);
  EXPECT_EQ(FillRect(c.dc, nullptr, red), 0);
  EXPECT_EQ(FillRect(c.dc, &one, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(0x777))), 0);
  DeleteObject(red);
}

TEST_F(GdiDraw, StretchBltScalesMirrorsAndConverts) {
  // 4 x 2 source: a distinct colour in every pixel.
  const std::vector<uint32_t> px = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF,
                                    0x808000, 0x008080, 0x800080, 0x404040};
  Dib24 src(4, 2, px);

  // Unscaled to 5-6-5: exact packing, rows in order.
  Canvas c(8, 4, plat::PixelFormat::Rgb565());
  ASSERT_TRUE(StretchBlt(c.dc, 1, 1, 4, 2, src.dc, 0, 0, 4, 2, SRCCOPY));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(c.Raw(x + 1, y + 1), Pack565(px[y * 4 + x])) << x;
  EXPECT_EQ(c.Raw(0, 0), 0u);
  EXPECT_EQ(c.Raw(5, 1), 0u);

  // Double size: each source pixel covers 2 x 2.
  c.Fill(0);
  ASSERT_TRUE(StretchBlt(c.dc, 0, 0, 8, 4, src.dc, 0, 0, 4, 2, SRCCOPY));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(c.Raw(x, y), Pack565(px[(y / 2) * 4 + x / 2]));

  // Half width: columns 0 and 2.
  c.Fill(0);
  ASSERT_TRUE(StretchBlt(c.dc, 0, 0, 2, 2, src.dc, 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(c.Raw(0, 0), Pack565(px[0]));
  EXPECT_EQ(c.Raw(1, 0), Pack565(px[2]));

  // A negative width mirrors.
  c.Fill(0);
  ASSERT_TRUE(StretchBlt(c.dc, 4, 0, -4, 2, src.dc, 0, 0, 4, 2, SRCCOPY));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(c.Raw(x, 0), Pack565(px[3 - x]));
  c.Fill(0);
  ASSERT_TRUE(StretchBlt(c.dc, 0, 0, 4, 2, src.dc, 0, 2, 4, -2, SRCCOPY));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(c.Raw(x, 0), Pack565(px[4 + x])) << "upside down";

  // Parts outside the source or the target are skipped, never read or written.
  c.Fill(0x1234);
  ASSERT_TRUE(StretchBlt(c.dc, -1, 0, 6, 2, src.dc, 2, 0, 6, 2, SRCCOPY));
  EXPECT_EQ(c.Raw(0, 0), Pack565(px[3]));
  EXPECT_EQ(c.Raw(1, 0), 0x1234u);
  EXPECT_TRUE(StretchBlt(c.dc, 0, 0, 4, 2, src.dc, 0, 0, 0, 2, SRCCOPY));
  EXPECT_FALSE(StretchBlt(c.dc, 0, 0, 4, 2, nullptr, 0, 0, 4, 2, SRCCOPY));
  EXPECT_FALSE(StretchBlt(nullptr, 0, 0, 4, 2, src.dc, 0, 0, 4, 2, SRCCOPY));
  EXPECT_FALSE(StretchBlt(c.dc, 0, 0, 4, 2, src.dc, 0, 0, 4, 2, 0x12345678));
  EXPECT_TRUE(BitBlt(c.dc, 0, 0, 8, 4, nullptr, 0, 0, BLACKNESS));
  EXPECT_EQ(c.Raw(7, 3), 0u);

  // Onto 8 bits: the nearest entry of the target's palette.
  PALETTEENTRY pal[256] = {};
  for (int i = 0; i < 256; ++i) pal[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), 0, 0};
  pal[200] = {0, 0, 255, 0};
  pal[201] = {255, 0, 0, 0};
  Canvas p(4, 1, plat::PixelFormat::Indexed8(), pal);
  ASSERT_TRUE(BitBlt(p.dc, 0, 0, 4, 1, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(p.Raw(0, 0), 201u);
  EXPECT_EQ(p.Raw(2, 0), 200u);
  EXPECT_EQ(p.Raw(3, 0), 255u);  // white: nearest is (255, 255, 0)

  // From 8 bits: through the source's colours.
  Canvas back(4, 1, plat::PixelFormat::Xrgb8888());
  ASSERT_TRUE(BitBlt(back.dc, 0, 0, 4, 1, p.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(back.Raw(0, 0), 0xFF0000u);
  EXPECT_EQ(back.Raw(3, 0), 0xFFFF00u);

  // Within one bitmap, overlapping: a shift right by one reads the pixels before the copy.
  Dib24 row(4, 1, {0x000001, 0x000002, 0x000003, 0x000004});
  ASSERT_TRUE(BitBlt(row.dc, 1, 0, 3, 1, row.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(row.dc, 1, 0), RGB(0, 0, 1));
  EXPECT_EQ(GetPixel(row.dc, 3, 0), RGB(0, 0, 3));
}

// A DIB as StretchDIBits takes it: header, colour table, and separate bits.
struct RawDib {
  BITMAPINFOHEADER header = {};
  RGBQUAD colors[256] = {};
};

TEST_F(GdiDraw, StretchDIBitsRowOrderFormatsAndErrors) {
  // 2 x 2 32-bit picture, top row red, green; bottom row blue, white.
  RawDib dib;
  dib.header.biSize = sizeof(BITMAPINFOHEADER);
  dib.header.biWidth = 2;
  dib.header.biHeight = -2;
  dib.header.biPlanes = 1;
  dib.header.biBitCount = 32;
  const uint32_t topDown[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  const uint32_t bottomUp[4] = {0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00};
  const auto* info = reinterpret_cast<const BITMAPINFO*>(&dib);

  Canvas c(2, 2, plat::PixelFormat::Rgb565());
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, topDown, info, DIB_RGB_COLORS, SRCCOPY), 2);
  const uint16_t want[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c.Raw(i % 2, i / 2), want[i]);
  c.Fill(0);
  dib.header.biHeight = 2;
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, bottomUp, info, DIB_RGB_COLORS, SRCCOPY),
            2);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c.Raw(i % 2, i / 2), want[i]) << "bottom-up";

  // The source rectangle of a bottom-up DIB counts from its bottom row.
  c.Fill(0);
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 1, 0, 0, 2, 1, bottomUp, info, DIB_RGB_COLORS, SRCCOPY),
            1);
  EXPECT_EQ(c.Raw(0, 0), 0x001Fu);
  EXPECT_EQ(c.Raw(0, 1), 0u);

  // 4 bits with a colour table, scaled up.
  RawDib d4;
  d4.header = dib.header;
  d4.header.biBitCount = 4;
  d4.header.biHeight = 1;
  d4.header.biClrUsed = 2;
  d4.colors[1] = {0, 0, 255, 0};  // red
  const uint8_t nibbles[4] = {0x10, 0, 0, 0};
  Canvas s(4, 2, plat::PixelFormat::Xrgb8888());
  EXPECT_EQ(StretchDIBits(s.dc, 0, 0, 4, 2, 0, 0, 2, 1, nibbles,
                          reinterpret_cast<const BITMAPINFO*>(&d4), DIB_RGB_COLORS, SRCCOPY),
            1);
  EXPECT_EQ(s.Raw(1, 1), 0xFF0000u);
  EXPECT_EQ(s.Raw(2, 0), 0u);

  // 16-bit bitfields: the masks follow the 40-byte header.
  struct {
    BITMAPINFOHEADER h;
    DWORD masks[3];
  } bf = {};
  bf.h = dib.header;
  bf.h.biBitCount = 16;
  bf.h.biHeight = 1;
  bf.h.biCompression = BI_BITFIELDS;
  bf.masks[0] = 0xF800;
  bf.masks[1] = 0x07E0;
  bf.masks[2] = 0x001F;
  const uint16_t words[2] = {0x07E0, 0x001F};
  c.Fill(0);
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 1, 0, 0, 2, 1, words,
                          reinterpret_cast<const BITMAPINFO*>(&bf), DIB_RGB_COLORS, SRCCOPY),
            1);
  EXPECT_EQ(c.Raw(0, 0), 0x07E0u);
  EXPECT_EQ(c.Raw(1, 0), 0x001Fu);

  // Failures: GDI_ERROR, and nothing drawn.
  const int kError = static_cast<int>(GDI_ERROR);
  c.Fill(0x1111);
  EXPECT_EQ(StretchDIBits(nullptr, 0, 0, 2, 2, 0, 0, 2, 2, topDown, info, DIB_RGB_COLORS, SRCCOPY),
            kError);
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, nullptr, info, DIB_RGB_COLORS, SRCCOPY),
            kError);
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, topDown, nullptr, DIB_RGB_COLORS, SRCCOPY),
            kError);
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, topDown, info, DIB_PAL_COLORS, SRCCOPY),
            kError);
  RawDib bad = dib;
  bad.header.biSize = 0;
  auto* badInfo = reinterpret_cast<const BITMAPINFO*>(&bad);
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, topDown, badInfo, DIB_RGB_COLORS, SRCCOPY),
            kError);
  bad = dib;
  bad.header.biBitCount = 7;
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, topDown, badInfo, DIB_RGB_COLORS, SRCCOPY),
            kError);
  bad = dib;
  bad.header.biCompression = BI_RLE8;
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, topDown, badInfo, DIB_RGB_COLORS, SRCCOPY),
            kError);
  bad = dib;
  bad.header.biWidth = 0;
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, topDown, badInfo, DIB_RGB_COLORS, SRCCOPY),
            kError);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c.Raw(i % 2, i / 2), 0x1111u);
}

TEST_F(GdiDraw, CreateDIBSectionChecksItsHeader) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 3;
  bi.bmiHeader.biHeight = 2;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = reinterpret_cast<void*>(1);
  HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(b, nullptr);
  BITMAP bm;
  ASSERT_EQ(GetObjectA(b, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBits, bits);
  EXPECT_EQ(bm.bmWidthBytes, 12);
  EXPECT_EQ(bm.bmBitsPixel, 24);
  // Bottom-up memory: the first row in memory is the picture's bottom row.
  static_cast<uint8_t*>(bits)[2] = 0xFF;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b);
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(b);

  bi.bmiHeader.biWidth = -3;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  bi.bmiHeader.biWidth = 100000;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  bi.bmiHeader.biWidth = 3;
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(CreateDIBSection(reinterpret_cast<HDC>(0x8), &bi, DIB_RGB_COLORS, &bits, nullptr, 0),
            nullptr);
}

TEST_F(GdiDraw, RandomStretchesStayInsideTheClip) {
  std::vector<uint32_t> px(7 * 5);
  for (size_t i = 0; i < px.size(); ++i) px[i] = 0x010203u * static_cast<uint32_t>(i + 1);
  Dib24 src(7, 5, px);
  uint32_t state = 99;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<int>(state >> 8);
  };
  auto coord = [&] {
    switch (next() % 5) {
      case 0:
        return (next() % 2 ? 1 : -1) * (1 << 30);  // far away
      default:
        return next() % 24 - 8;
    }
  };
  for (int round = 0; round < 2000; ++round) {
    Canvas c(9, 7, plat::PixelFormat::Rgb565());
    c.Fill(0xBEEF);
    RECT clip = {next() % 10, next() % 8, next() % 10, next() % 8};
    HRGN rgn = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
    SelectClipRgn(c.dc, rgn);
    DeleteObject(rgn);
    int x = coord(), y = coord(), w = coord(), h = coord();
    int sx = coord(), sy = coord(), sw = coord(), sh = coord();
    EXPECT_TRUE(StretchBlt(c.dc, x, y, w, h, src.dc, sx, sy, sw, sh, SRCCOPY));
    RECT in = {std::min(clip.left, clip.right), std::min(clip.top, clip.bottom),
               std::max(clip.left, clip.right), std::max(clip.top, clip.bottom)};
    for (int py = 0; py < 7; ++py) {
      for (int px2 = 0; px2 < 9; ++px2) {
        bool inside = px2 >= in.left && px2 < in.right && py >= in.top && py < in.bottom;
        if (!inside) {
          ASSERT_EQ(c.Raw(px2, py), 0xBEEFu) << "round " << round;
        }
      }
    }
    // Slack bytes past each row stay untouched.
    for (int py = 0; py < 7; ++py) {
      for (int i = 18; i < c.pitch; ++i) ASSERT_EQ(c.mem[py * c.pitch + i], 0) << round;
    }
  }
}

}  // namespace

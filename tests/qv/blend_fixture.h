// Shared set-up of the software drawing tests: a full-screen 16-bit Screen on the headless
// backend, and system-memory Surfaces in any format, read and written through Surface::Lock.
#ifndef QV_TESTS_BLEND_FIXTURE_H
#define QV_TESTS_BLEND_FIXTURE_H

#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>

#include <cstring>
#include <memory>
#include <vector>

#include "host.h"
#include "imageload.h"
#include "qvscreen.h"
#include "qvsurface.h"

class BlitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvhost::UseHeadless(paceFlips);
    qvhost::Reset();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "QvBlitTest";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "QvBlitTest", "Quorvane", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                             nullptr, nullptr, nullptr, nullptr);
    screen = std::make_unique<Screen>();
    ASSERT_EQ(screen->CreateFullScreen(window, 800, 600, 16, 0), 1);
  }

  // A w x h surface of depth 8, 15 (5-5-5), 16 (5-6-5), 24 or 32 with every byte `fill`.
  std::unique_ptr<Surface> Make(int w, int h, int depth, BYTE fill = 0) {
    DDSURFACEDESC2 d = {};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.dwWidth = w;
    d.dwHeight = h;
    DDPIXELFORMAT& f = d.ddpfPixelFormat;
    f.dwSize = sizeof(f);
    f.dwFlags = DDPF_RGB | (depth == 8 ? DDPF_PALETTEINDEXED8 : 0);
    f.dwRGBBitCount = depth == 15 ? 16 : depth;
    const DWORD masks[3][3] = {
        {0x7C00, 0x3E0, 0x1F}, {0xF800, 0x7E0, 0x1F}, {0xFF0000, 0xFF00, 0xFF}};
    const DWORD* m = masks[depth == 15 ? 0 : depth == 16 ? 1 : 2];
    if (depth > 8) f.dwRBitMask = m[0], f.dwGBitMask = m[1], f.dwBBitMask = m[2];
    auto s = std::make_unique<Surface>();
    EXPECT_EQ(screen->directDraw->CreateSurface(&d, &s->surface, nullptr), DD_OK);
    s->width = w;
    s->height = h;
    s->screen = screen.get();
    s->sourceRect = s->destRect = s->clipRect = RECT{0, 0, w, h};
    GetPixelFormatInfo(s->surface, &s->pixelFormat);
    if (s->Lock() == DD_OK) {
      for (int y = 0; y < h; ++y) std::memset(Row(*s, y), fill, Bytes(*s) * w);
      s->Unlock();
    }
    return s;
  }

  static int Bytes(const Surface& s) { return s.desc.ddpfPixelFormat.dwRGBBitCount / 8; }
  static BYTE* Row(Surface& s, int y) {
    return static_cast<BYTE*>(s.desc.lpSurface) + y * s.desc.lPitch;
  }

  // Every pixel with all its bytes, row by row; Write stores them back.
  static std::vector<DWORD> Read(Surface& s) {
    std::vector<DWORD> pixels(s.width * s.height, 0);
    if (s.Lock() != DD_OK) return pixels;
    for (int i = 0; i < s.width * s.height; ++i)
      std::memcpy(&pixels[i], Row(s, i / s.width) + (i % s.width) * Bytes(s), Bytes(s));
    s.Unlock();
    return pixels;
  }
  static void Write(Surface& s, const std::vector<DWORD>& pixels) {
    ASSERT_EQ(s.Lock(), DD_OK);
    for (int i = 0; i < s.width * s.height; ++i)
      std::memcpy(Row(s, i / s.width) + (i % s.width) * Bytes(s), &pixels[i], Bytes(s));
    s.Unlock();
  }
  static DWORD Get(Surface& s, int x, int y) { return Read(s)[y * s.width + x]; }
  static void Set(Surface& s, int x, int y, DWORD value) {
    std::vector<DWORD> pixels = Read(s);
    pixels[y * s.width + x] = value;
    Write(s, pixels);
  }
  static void Fill(Surface& s, DWORD value) {
    Write(s, std::vector<DWORD>(s.width * s.height, value));
  }
  static int CountNot(Surface& s, DWORD value) {
    int count = 0;
    for (DWORD pixel : Read(s)) count += pixel != value;
    return count;
  }

  bool paceFlips = false;  // set before SetUp: waited flips advance the clock by a 60 Hz tick
  HWND window = nullptr;
  std::unique_ptr<Screen> screen;
};

#endif

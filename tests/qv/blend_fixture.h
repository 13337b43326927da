// Shared set-up of the software drawing tests: a full-screen 16-bit Screen on the headless
// backend, and system-memory Surfaces in any of the formats the blitters handle, read and
// written through Surface::Lock.
#ifndef QV_TESTS_BLEND_FIXTURE_H
#define QV_TESTS_BLEND_FIXTURE_H

#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>

#include <cstdint>
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

  void TearDown() override {
    screen.reset();
    if (window) DestroyWindow(window);
  }

  // A w x h system-memory surface of depth 8, 15 (5-5-5), 16 (5-6-5), 24 or 32, filled with 0.
  std::unique_ptr<Surface> Make(int w, int h, int depth) {
    DDSURFACEDESC2 d;
    std::memset(&d, 0, sizeof(d));
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.dwWidth = w;
    d.dwHeight = h;
    DDPIXELFORMAT& f = d.ddpfPixelFormat;
    f.dwSize = sizeof(f);
    f.dwFlags = DDPF_RGB;
    f.dwRGBBitCount = depth == 15 ? 16 : depth;
    if (depth == 8) f.dwFlags |= DDPF_PALETTEINDEXED8;
    if (depth == 15) f.dwRBitMask = 0x7C00, f.dwGBitMask = 0x03E0, f.dwBBitMask = 0x001F;
    if (depth == 16) f.dwRBitMask = 0xF800, f.dwGBitMask = 0x07E0, f.dwBBitMask = 0x001F;
    if (depth >= 24) f.dwRBitMask = 0xFF0000, f.dwGBitMask = 0xFF00, f.dwBBitMask = 0xFF;
    auto s = std::make_unique<Surface>();
    EXPECT_EQ(screen->directDraw->CreateSurface(&d, &s->surface, nullptr), DD_OK);
    s->width = w;
    s->height = h;
    s->screen = screen.get();
    s->sourceRect = s->destRect = s->clipRect = RECT{0, 0, w, h};
    GetPixelFormatInfo(s->surface, &s->pixelFormat);
    Fill(*s, 0);
    return s;
  }

  static int Bytes(const Surface& s) {
    const DWORD bits = s.desc.ddpfPixelFormat.dwRGBBitCount;
    return static_cast<int>(bits / 8);
  }

  // Raw pixel values, all bytes of each pixel (the fourth byte of a 32-bit pixel included).
  static DWORD Get(Surface& s, int x, int y) {
    DWORD value = 0xDEADBEEF;
    if (SUCCEEDED(s.Lock())) {
      value = 0;
      const BYTE* p = static_cast<const BYTE*>(s.desc.lpSurface) + y * s.desc.lPitch;
      std::memcpy(&value, p + x * Bytes(s), Bytes(s));
      s.Unlock();
    }
    return value;
  }

  static void Set(Surface& s, int x, int y, DWORD value) {
    ASSERT_EQ(s.Lock(), DD_OK);
    BYTE* p = static_cast<BYTE*>(s.desc.lpSurface) + y * s.desc.lPitch;
    std::memcpy(p + x * Bytes(s), &value, Bytes(s));
    s.Unlock();
  }

  static void Fill(Surface& s, DWORD value) {
    ASSERT_EQ(s.Lock(), DD_OK);
    for (int y = 0; y < s.height; ++y) {
      BYTE* p = static_cast<BYTE*>(s.desc.lpSurface) + y * s.desc.lPitch;
      for (int x = 0; x < s.width; ++x) std::memcpy(p + x * Bytes(s), &value, Bytes(s));
    }
    s.Unlock();
  }

  // Every pixel, row by row, read under one lock.
  static std::vector<DWORD> Read(Surface& s) {
    std::vector<DWORD> pixels;
    if (FAILED(s.Lock())) return pixels;
    for (int y = 0; y < s.height; ++y) {
      const BYTE* p = static_cast<const BYTE*>(s.desc.lpSurface) + y * s.desc.lPitch;
      for (int x = 0; x < s.width; ++x) {
        DWORD value = 0;
        std::memcpy(&value, p + x * Bytes(s), Bytes(s));
        pixels.push_back(value);
      }
    }
    s.Unlock();
    return pixels;
  }

  // Number of pixels that differ from `value`.
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

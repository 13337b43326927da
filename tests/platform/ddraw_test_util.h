// Helpers for the DirectDraw tests: a window, a DirectDraw object in a full-screen or windowed
// display, surfaces, and pixel access through Lock.
#ifndef QV_TESTS_PLATFORM_DDRAW_TEST_UTIL_H
#define QV_TESTS_PLATFORM_DDRAW_TEST_UTIL_H

#include <windows.h>
#include <ddraw.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform_test.h"

namespace ddtest {

inline LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline HWND MakeWindow(int x = 0, int y = 0, int width = 800, int height = 600) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = "DDrawTest";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "DDrawTest", "Test", WS_POPUP | WS_VISIBLE, x, y, width, height,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

inline DDSURFACEDESC2 Desc() {
  DDSURFACEDESC2 d;
  std::memset(&d, 0, sizeof d);
  d.dwSize = sizeof d;
  return d;
}

inline DDBLTFX Fx() {
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  return fx;
}

// A fresh headless platform with a DirectDraw object; full screen at 800 x 600 x `bpp`, or the
// normal cooperative level when `bpp` is 0.
class DDrawTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    window = MakeWindow();
    ASSERT_NE(window, nullptr);
    IDirectDraw* first = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd)), DD_OK);
    first->Release();
  }
  void TearDown() override {
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) (*it)->Release();
    if (dd) dd->Release();
  }

  void FullScreen(int bpp = 16, int width = 800, int height = 600) {
    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE |
                                                  DDSCL_ALLOWREBOOT | DDSCL_ALLOWMODEX),
              DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(width, height, bpp, 0, 0), DD_OK);
  }
  void Windowed() { ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK); }

  // A primary surface with `backs` back buffers; `back` receives the first back buffer.
  IDirectDrawSurface4* Chain(int backs, IDirectDrawSurface4** back,
                             DWORD memory = DDSCAPS_VIDEOMEMORY) {
    DDSURFACEDESC2 d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | memory;
    d.dwBackBufferCount = backs;
    IDirectDrawSurface4* front = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &front, nullptr), DD_OK);
    if (!front) return nullptr;
    owned.push_back(front);
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    EXPECT_EQ(front->GetAttachedSurface(&caps, back), DD_OK);
    owned.push_back(*back);
    return front;
  }

  IDirectDrawSurface4* Make(int width, int height, DWORD caps = DDSCAPS_SYSTEMMEMORY) {
    DDSURFACEDESC2 d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | caps;
    d.dwWidth = width;
    d.dwHeight = height;
    IDirectDrawSurface4* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    if (s) owned.push_back(s);
    return s;
  }

  static HRESULT FillAll(IDirectDrawSurface4* s, DWORD color, RECT* rect = nullptr) {
    DDBLTFX fx = Fx();
    fx.dwFillColor = color;
    return s->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  }

  // Every pixel of the surface as raw values, row by row.
  static std::vector<uint32_t> Read(IDirectDrawSurface4* s) {
    DDSURFACEDESC2 d = Desc();
    std::vector<uint32_t> out;
    if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return out;
    const int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount + 7) / 8;
    for (DWORD y = 0; y < d.dwHeight; ++y) {
      const uint8_t* row = static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch;
      for (DWORD x = 0; x < d.dwWidth; ++x) {
        uint32_t v = 0;
        std::memcpy(&v, row + x * bytes, bytes);
        out.push_back(v);
      }
    }
    s->Unlock(nullptr);
    return out;
  }

  static uint32_t At(IDirectDrawSurface4* s, int x, int y) {
    DDSURFACEDESC2 all = Desc();
    s->GetSurfaceDesc(&all);
    std::vector<uint32_t> px = Read(s);
    return px.empty() ? 0xDEADBEEF : px[y * all.dwWidth + x];
  }

  // Writes raw pixel values row by row.
  static void Write(IDirectDrawSurface4* s, const std::vector<uint32_t>& values) {
    DDSURFACEDESC2 d = Desc();
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    const int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount + 7) / 8;
    for (size_t i = 0; i < values.size(); ++i) {
      uint8_t* p =
          static_cast<uint8_t*>(d.lpSurface) + (i / d.dwWidth) * d.lPitch + (i % d.dwWidth) * bytes;
      std::memcpy(p, &values[i], bytes);
    }
    s->Unlock(nullptr);
  }

  HWND window = nullptr;
  IDirectDraw4* dd = nullptr;
  std::vector<IDirectDrawSurface4*> owned;  // released in reverse order
};

// DDrawTest on a 16-bit full screen of 320 x 200: the pixel tests of copies, fills and shared
// sprite memory.
class DDrawTest16 : public DDrawTest {
 protected:
  void SetUp() override {
    DDrawTest::SetUp();
    FullScreen(16, 320, 200);
  }
};

}  // namespace ddtest

#endif

// sdl_demo: a look at the display path on a real screen. Opens a window, switches DirectDraw to
// full screen at 800 x 600 x 16, and flips a moving coloured bar with DDFLIP_WAIT until Escape
// or the window's close button. On exit it prints the number of flips and the mean flip period.
//
//   sdl_demo [FRAMES]     stop by itself after FRAMES flips (0, the default: run until Escape)
#include <ddraw.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool gRunning = true;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) SendMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      gRunning = false;
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// One rectangle filled with a colour through a colour-fill Blt.
void Fill(LPDIRECTDRAWSURFACE4 surface, RECT* area, DWORD color) {
  DDBLTFX fx = {};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = color;
  surface->Blt(area, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

WORD Rgb565(int r, int g, int b) {
  return static_cast<WORD>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

}  // namespace

int main(int argc, char** argv) {
  long frameLimit = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;
  HINSTANCE instance = GetModuleHandleA(nullptr);

  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = "QuorvaneSdlDemo";
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  if (!RegisterClassA(&wc)) {
    std::fprintf(stderr, "sdl_demo: RegisterClassA failed\n");
    return 1;
  }
  HWND window = CreateWindowExA(0, wc.lpszClassName, "Quorvane SDL demo", WS_POPUP, 0, 0, 800, 600,
                                nullptr, nullptr, instance, nullptr);
  if (!window) {
    std::fprintf(stderr, "sdl_demo: CreateWindowExA failed\n");
    return 1;
  }
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);

  LPDIRECTDRAW first = nullptr;
  LPDIRECTDRAW4 dd = nullptr;
  if (FAILED(DirectDrawCreate(nullptr, &first, nullptr)) ||
      FAILED(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&dd)))) {
    std::fprintf(stderr, "sdl_demo: no DirectDraw\n");
    return 1;
  }
  first->Release();
  HRESULT hr = dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
  if (SUCCEEDED(hr)) hr = dd->SetDisplayMode(800, 600, 16, 0, 0);
  DDSURFACEDESC2 desc = {};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  desc.dwBackBufferCount = 1;
  LPDIRECTDRAWSURFACE4 front = nullptr;
  LPDIRECTDRAWSURFACE4 back = nullptr;
  if (SUCCEEDED(hr)) hr = dd->CreateSurface(&desc, &front, nullptr);
  DDSCAPS2 caps = {};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  if (SUCCEEDED(hr)) hr = front->GetAttachedSurface(&caps, &back);
  if (FAILED(hr)) {
    std::fprintf(stderr, "sdl_demo: full-screen set-up failed: 0x%08X\n",
                 static_cast<unsigned>(hr));
    return 1;
  }

  long frames = 0;
  DWORD start = timeGetTime();
  MSG msg;
  while (gRunning) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      continue;
    }
    // A bar sweeping left to right, its colour cycling through the hues.
    Fill(back, nullptr, Rgb565(16, 16, 48));
    int x = static_cast<int>(frames * 6 % 880) - 80;
    int phase = static_cast<int>(frames % 256);
    RECT bar = {x < 0 ? 0 : x, 200, x + 80 > 800 ? 800 : x + 80, 400};
    if (bar.right > bar.left) Fill(back, &bar, Rgb565(255 - phase, phase, 128));
    RECT strip = {0, 580, static_cast<LONG>(frames % 60) * 800 / 60 + 1, 600};
    Fill(back, &strip, Rgb565(255, 255, 255));
    hr = front->Flip(nullptr, DDFLIP_WAIT);
    if (hr == DDERR_SURFACELOST) front->Restore();
    ++frames;
    if (frameLimit > 0 && frames >= frameLimit) break;
  }
  DWORD elapsed = timeGetTime() - start;
  std::printf("flips %ld, mean period %.3f ms\n", frames,
              frames ? static_cast<double>(elapsed) / frames : 0.0);

  if (back) back->Release();
  front->Release();
  dd->RestoreDisplayMode();
  dd->Release();
  if (IsWindow(window)) DestroyWindow(window);
  return 0;
}

// sdl_demo: a look at the display path on a real screen. Opens a window, switches DirectDraw to
// full screen at 800 x 600 x 16, and flips a moving coloured bar with DDFLIP_WAIT until Escape
// or the window's close button. Once set up it prints "ready"; on exit the number of flips, the
// mean flip period and the mouse's motion in DirectInput counts.
//
//   sdl_demo [FRAMES]     stop by itself after FRAMES flips (0, the default: run until Escape)
//   sdl_demo --pacing     measure the waited flips' period and CPU time: steady, after stalls,
//                         and beside busy threads that load every core twice over
//
// Under a private X server: xvfb-run -a build-test/tools/sdl_demo --pacing
#include <ddraw.h>
#include <dinput.h>
#include <sys/resource.h>
#include <windows.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <thread>
#include <vector>

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

// A bar sweeping left to right, its colour cycling through the hues.
void DrawFrame(LPDIRECTDRAWSURFACE4 back, long frame) {
  Fill(back, nullptr, Rgb565(16, 16, 48));
  int x = static_cast<int>(frame * 6 % 880) - 80;
  int phase = static_cast<int>(frame % 256);
  RECT bar = {x < 0 ? 0 : x, 200, x + 80 > 800 ? 800 : x + 80, 400};
  if (bar.right > bar.left) Fill(back, &bar, Rgb565(255 - phase, phase, 128));
  RECT strip = {0, 580, static_cast<LONG>(frame % 60) * 800 / 60 + 1, 600};
  Fill(back, &strip, Rgb565(255, 255, 255));
}

// The mouse as the game reads it: DirectInput, exclusive while in the foreground.
LPDIRECTINPUTDEVICE OpenMouse(HINSTANCE instance, HWND window, LPDIRECTINPUT* input) {
  LPDIRECTINPUTDEVICE mouse = nullptr;
  if (FAILED(DirectInputCreateA(instance, 0x0500, input, nullptr))) return nullptr;
  if (FAILED((*input)->CreateDevice(GUID_SysMouse, &mouse, nullptr))) return nullptr;
  mouse->SetDataFormat(&c_dfDIMouse);
  mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
  mouse->Acquire();
  return mouse;
}

double CpuMs() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// 300 waited flips, with one stall of `stallMs` halfway (none for 0): the mean period and its
// spread, the longest period, and the CPU time per flip. After a stall of up to 250 ms the flips
// catch up with the display, so the mean stays at 16.667 ms; after a longer one the display
// starts again. With `loaded`, threads that never sleep compete for every core meanwhile.
void MeasurePacing(LPDIRECTDRAWSURFACE4 front, LPDIRECTDRAWSURFACE4 back, int stallMs,
                   bool loaded = false) {
  std::atomic<bool> busy{loaded};
  std::vector<std::thread> load;
  const unsigned cores = std::thread::hardware_concurrency();
  for (unsigned i = 0; loaded && i < 2 * (cores ? cores : 1); ++i) {
    load.emplace_back([&busy] {
      volatile unsigned spin = 0;
      while (busy.load(std::memory_order_relaxed)) spin = spin + 1;
    });
  }
  using Clock = std::chrono::steady_clock;
  const int kFlips = 300;
  std::vector<double> periods;
  // The first waits start the display's clock and the first presents set up the renderer.
  for (int i = 0; i < 10; ++i) front->Flip(nullptr, DDFLIP_WAIT);
  double cpuStart = CpuMs();
  Clock::time_point last = Clock::now();
  for (int i = 0; i < kFlips; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    DrawFrame(back, i);
    if (i == kFlips / 2 && stallMs > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(stallMs));
    }
    front->Flip(nullptr, DDFLIP_WAIT);
    Clock::time_point now = Clock::now();
    periods.push_back(std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
  }
  double cpu = CpuMs() - cpuStart;
  busy = false;
  for (std::thread& t : load) t.join();
  double mean = 0, longest = 0, variance = 0;
  for (double p : periods) mean += p / kFlips;
  for (double p : periods) {
    variance += (p - mean) * (p - mean) / kFlips;
    if (p > longest) longest = p;
  }
  // Under load the process's CPU time is mostly the busy threads': not shown.
  std::printf("%s stall %3d ms: mean period %.3f ms, spread %.3f ms, longest %.1f ms",
              loaded ? "loaded" : "quiet ", stallMs, mean, std::sqrt(variance), longest);
  if (!loaded) std::printf(", CPU %.3f ms/flip", cpu / kFlips);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  bool pacing = argc > 1 && std::strcmp(argv[1], "--pacing") == 0;
  long frameLimit = argc > 1 && !pacing ? std::strtol(argv[1], nullptr, 10) : 0;
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

  LPDIRECTINPUT input = nullptr;
  LPDIRECTINPUTDEVICE mouse = OpenMouse(instance, window, &input);
  long mouseX = 0, mouseY = 0;
  auto readMouse = [&] {
    DIMOUSESTATE state;
    if (!mouse) return;
    if (mouse->GetDeviceState(sizeof state, &state) != DI_OK) {
      mouse->Acquire();
      return;
    }
    mouseX += state.lX;
    mouseY += state.lY;
  };
  std::printf("ready\n");
  std::fflush(stdout);

  if (pacing) {
    // Steady, after stalls of three and twelve periods (caught up) and of 400 ms (started
    // again); then steady on a loaded machine.
    for (int stallMs : {0, 50, 200, 400}) MeasurePacing(front, back, stallMs);
    MeasurePacing(front, back, 0, true);
    gRunning = false;
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
    readMouse();
    DrawFrame(back, frames);
    hr = front->Flip(nullptr, DDFLIP_WAIT);
    if (hr == DDERR_SURFACELOST) front->Restore();
    ++frames;
    if (frameLimit > 0 && frames >= frameLimit) break;
  }
  DWORD elapsed = timeGetTime() - start;
  readMouse();  // the motion that came with the last messages
  if (!pacing) {
    std::printf("flips %ld, mean period %.3f ms\n", frames,
                frames ? static_cast<double>(elapsed) / frames : 0.0);
    std::printf("mouse %ld %ld\n", mouseX, mouseY);
  }

  if (mouse) mouse->Release();
  if (input) input->Release();

  if (back) back->Release();
  front->Release();
  dd->RestoreDisplayMode();
  dd->Release();
  if (IsWindow(window)) DestroyWindow(window);
  return 0;
}

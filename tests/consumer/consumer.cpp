// A program written against the installed engine: a window, a full-screen display, a surface
// drawn onto the back buffer for a few frames, then the end by itself. Prints the frames it
// presented and the engine's version.
#include <windows.h>

#include <cstdio>

#include "qvscreen.h"
#include "qvsurface.h"
#include "qvversion.h"

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "consumer";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "consumer", "consumer", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240,
                                nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 2;
  int frames = 0;
  {
    Screen screen;
    if (!screen.CreateFullScreen(window, 320, 240, 16, 0)) return 3;
    Surface box(&screen, 32, 32, SystemMemory);
    if (box.surface == nullptr) return 4;
    box.Fill(screen.ColorToPixel(RGB(255, 200, 0), &box));
    for (; frames < 5; ++frames) {
      screen.FillBackBuffer(0);
      box.BlitAt(frames * 10, 20, screen.GetBack());
      if (FAILED(screen.Flip(1, 0, 0))) return 5;
    }
  }
  DestroyWindow(window);
  std::printf("consumer: %d frames with Quorvane %s\n", frames, QV_VERSION_STRING);
  return 0;
}

// Surfaces, keyed sprites and the blenders: a background drawn with lines and shapes, a ball
// sprite whose magenta corners are its colour key, and the software blitters side by side.
// Escape or closing the window ends the program.
#include <windows.h>

#include "qvscreen.h"
#include "qvsurface.h"

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) DestroyWindow(window);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

// A ball on the colour key: everything outside the circle is left out when drawn keyed.
static void DrawBall(Screen& screen, Surface& ball, COLORREF color) {
  const DWORD key = screen.ColorToPixel(RGB(255, 0, 255), &ball);
  ball.Fill(key);
  ball.Lock();
  ball.FillCircle(16, 16, 15, screen.ColorToPixel(color, &ball));
  ball.FillCircle(11, 11, 4, screen.ColorToPixel(RGB(255, 255, 255), &ball));
  ball.Unlock();
  ball.SetColorKey(key);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "surfaces";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "surfaces", "Quorvane: surfaces", WS_POPUP | WS_VISIBLE, 0, 0,
                                640, 480, nullptr, nullptr, instance, nullptr);
  Screen screen;
  if (window == nullptr || !screen.CreateFullScreen(window, 640, 480, 16, 0)) return 1;

  // The background: a blue gradient with a grid, drawn once into locked memory.
  Surface background(&screen, 640, 480, SystemMemory);
  background.Lock();
  for (int y = 0; y < 480; ++y)
    background.DrawHLine(0, 639, y, screen.ColorToPixel(RGB(0, 0, y / 3 + 40), &background));
  for (int x = 0; x < 640; x += 40)
    background.DrawVLine(0, 479, x, screen.ColorToPixel(RGB(0, 90, 160), &background));
  background.DrawRoundedRect(20, 300, 620, 460, 16,
                             screen.ColorToPixel(RGB(255, 255, 255), &background));
  background.DrawLineAntialiased(20, 20, 620, 280,
                                 screen.ColorToPixel(RGB(255, 200, 0), &background));
  background.Unlock();

  Surface red(&screen, 32, 32, SystemMemory);
  Surface green(&screen, 32, 32, SystemMemory);
  DrawBall(screen, red, RGB(220, 40, 40));
  DrawBall(screen, green, RGB(40, 200, 80));
  const RECT ballRect = {0, 0, 32, 32};

  MSG message;
  for (int frame = 0;; ++frame) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Surface* back = screen.GetBack();
    background.BlitAt(0, 0, back);
    // Keyed sprites bouncing along the top half.
    for (int i = 0; i < 8; ++i) {
      const int x = (frame * 4 + i * 80) % 608;
      const int y = 60 + ((frame * 3 + i * 37) % 180);
      (i % 2 ? green : red).BlitKeyedAt(x, y, back);
    }
    // The blenders and the clipped, mirrored and scaled copies, one per column in the panel.
    const int y = 340;
    red.BlitKeyedClipped(back, 40, y, ballRect);               // plain keyed copy
    red.BlitHalfBlendKeyed(back, 110, y, ballRect);            // half ball, half background
    red.BlitAlphaKeyed(back, 180, y, ballRect, 192);           // mostly background
    red.BlitShadeKeyed(back, 250, y, ballRect, 96);            // darkens what lies under it
    red.BlitClippedMirrorUpDownKeyed(back, 320, y, ballRect);  // upside down
    red.BlitZoomKeyed(back, 400, y, ballRect,
                      1.0f + (frame % 60) / 30.0f);               // grows about its centre
    red.BlitClippedMirrorLeftRightKeyed(back, 500, y, ballRect);  // left to right
    green.BlitResizeKeyed(back, 560, y, ballRect, 48, 24);        // to another size
    screen.Flip(1, 0, 0);
  }
}

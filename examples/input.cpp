// Input devices through DirectInput: the mouse moves a pointer inside the screen and its buttons
// light three lamps; the arrow keys move a box and light their own lamps; the name of the last
// key pressed is shown. Escape ends the program.
#include <windows.h>

#include <cstdio>

#include "bitmapfont.h"
#include "input.h"
#include "qvscreen.h"
#include "qvsurface.h"

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

// A lamp: lit while the key code (keyboard key or mouse button) is down.
static void DrawLamp(Screen& screen, const InputDevices& input, int code, int x, int y,
                     const char* label, BitmapFont& font) {
  const WORD state = input.GetKeyState(static_cast<WORD>(code));
  const bool down = state == KeyPressed || state == KeyHeld;
  Surface* back = screen.GetBack();
  back->FillRect(x, y, x + 60, y + 40,
                 screen.ColorToPixel(down ? RGB(255, 200, 0) : RGB(60, 60, 60), back));
  font.DrawAlignedKeyed(x, y + 12, 60, label, back, 1);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "input";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "input", "Quorvane: input", WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                480, nullptr, nullptr, instance, nullptr);
  Screen screen;
  if (window == nullptr || !screen.CreateFullScreen(window, 640, 480, 16, 0)) return 1;
  InputDevices input;
  if (!input.Create(instance, window, 0)) return 1;
  input.SetMouseLimits(0, 0, 640, 480);
  input.SetMousePosition(320, 240);
  BitmapFont font(&screen, "Arial", 16, RGB(255, 255, 255), 0, RGB(0, 0, 0), 700, AnyMemory);

  int boxX = 300, boxY = 160;
  char lastKey[64] = "press a key";
  MSG message;
  for (;;) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    input.Update();
    if (input.GetKeyState(KeyEscape) == KeyPressed) DestroyWindow(window);
    const int scanCode = input.GetNewScanCode();
    if (scanCode != 255) InputDevices::GetKeyName(scanCode, lastKey);
    if (input.GetKeyState(KeyLeft) >= KeyPressed) boxX -= 4;
    if (input.GetKeyState(KeyRight) >= KeyPressed) boxX += 4;
    if (input.GetKeyState(KeyUpArrow) >= KeyPressed) boxY -= 4;
    if (input.GetKeyState(KeyDown) >= KeyPressed) boxY += 4;

    Surface* back = screen.GetBack();
    screen.FillBackBuffer(screen.ColorToPixel(RGB(10, 40, 30), back));
    back->FillRect(boxX, boxY, boxX + 40, boxY + 40, screen.ColorToPixel(RGB(80, 160, 255), back));
    DrawLamp(screen, input, KeyLeft, 40, 400, "Left", font);
    DrawLamp(screen, input, KeyUpArrow, 110, 400, "Up", font);
    DrawLamp(screen, input, KeyDown, 180, 400, "Down", font);
    DrawLamp(screen, input, KeyRight, 250, 400, "Right", font);
    DrawLamp(screen, input, KeyMouseButton0, 400, 400, "Left", font);
    DrawLamp(screen, input, KeyMouseButton0 + 2, 470, 400, "Middle", font);
    DrawLamp(screen, input, KeyMouseButton0 + 1, 540, 400, "Right", font);
    char text[96];
    std::snprintf(text, sizeof text, "last key: %s", lastKey);
    font.DrawKeyed(40, 20, text, back, -1);
    int x, y;
    input.GetMousePosition(&x, &y);
    std::snprintf(text, sizeof text, "mouse at %d, %d", x, y);
    font.DrawKeyed(40, 44, text, back, -1);
    back->Lock();
    back->DrawCircle(x, y, 8, screen.ColorToPixel(RGB(255, 255, 255), back));
    back->DrawHLine(x - 12, x + 12, y, screen.ColorToPixel(RGB(255, 255, 255), back));
    back->DrawVLine(y - 12, y + 12, x, screen.ColorToPixel(RGB(255, 255, 255), back));
    back->Unlock();
    screen.Flip(1, 0, 0);
  }
}

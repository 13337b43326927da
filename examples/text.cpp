// Text two ways: a BitmapFont (glyphs painted once by GDI into an atlas, then copied with one
// blit per character) and GDI text drawn straight into the back buffer through its device
// context. Escape or closing the window ends the program.
#include <windows.h>

#include <cstdio>

#include "bitmapfont.h"
#include "qvscreen.h"
#include "qvsurface.h"

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) DestroyWindow(window);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "text";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "text", "Quorvane: text", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                                nullptr, nullptr, instance, nullptr);
  Screen screen;
  if (window == nullptr || !screen.CreateFullScreen(window, 640, 480, 16, 0)) return 1;

  // Yellow glyphs on black; black is the atlas's colour key, so keyed drawing leaves it out.
  BitmapFont title(&screen, "Arial", 32, RGB(255, 220, 0), 0, RGB(0, 0, 0), 700, AnyMemory);
  BitmapFont small(&screen, "Courier New", 16, RGB(160, 255, 160), 0, RGB(0, 0, 0), 400, AnyMemory);
  Surface* back = screen.GetBack();
  back->SetFont("Times New Roman", 0, 28, 400);
  const RECT panel = {40, 300, 600, 440};

  MSG message;
  for (int frame = 0;; ++frame) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    screen.FillBackBuffer(screen.ColorToPixel(RGB(20, 30, 60), back));
    back->FillRect(panel.left, panel.top, panel.right, panel.bottom,
                   screen.ColorToPixel(RGB(240, 240, 230), back));

    // Bitmap-font text: centred, right-aligned, and a line that scrolls through a clip rectangle.
    title.DrawAlignedKeyed(0, 30, 640, "Bitmap-font text", back, 1);
    small.DrawAlignedKeyed(0, 80, 600, "aligned right in a 600-pixel field", back, 3);
    char counter[64];
    std::snprintf(counter, sizeof counter, "frame %d, %d pixels wide", frame,
                  small.GetTextWidth("frame 0"));
    small.DrawKeyed(40, 120, counter, back, -1);
    const RECT clip = {40, 170, 600, 200};
    back->FillRect(clip.left, clip.top, clip.right, clip.bottom,
                   screen.ColorToPixel(RGB(0, 0, 0), back));
    title.DrawClippedKeyed(600 - (frame * 8) % 900, 170, "a line that scrolls through a clip", back,
                           clip, -1);

    // GDI text through the back buffer's device context: one line, then a word-wrapped block.
    back->GetDC();
    back->SelectFont();
    back->DrawText(40, 240, RGB(255, 255, 255), "GDI text in Times New Roman");
    RECT block = {panel.left + 10, panel.top + 10, panel.right - 10, panel.bottom - 10};
    back->DrawTextInRect(
        "DrawTextInRect wraps words at the rectangle's edge, the way a dialog's static text "
        "does, in the colour the program asks for.",
        RGB(20, 20, 120), &block);
    back->ReleaseDC();
    screen.Flip(1, 0, 0);
  }
}

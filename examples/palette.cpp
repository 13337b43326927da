// An 8-bit display mode: every pixel is an index into a 256-entry palette, so changing the
// palette changes the whole picture at once. The picture is drawn once; the frames fade it in
// from black, then rotate the palette's colours, and Escape fades it out before the end.
#include <windows.h>

#include "qvscreen.h"
#include "qvsurface.h"

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) DestroyWindow(window);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

// The picture's colours are entries 1 to kColors: three ramps of 84 entries. Entry 0 stays black,
// and the last entries are left alone: a display may keep some for the system's own colours.
const int kColors = 252;

static void MakeRamps(PALETTEENTRY* entries) {
  for (int i = 0; i < 256; ++i) entries[i] = PALETTEENTRY{0, 0, 0, 0};
  for (int i = 1; i <= kColors; ++i) {
    const BYTE rise = static_cast<BYTE>(((i - 1) % 84) * 3);
    const BYTE fall = static_cast<BYTE>(255 - rise);
    switch ((i - 1) / 84) {
      case 0:
        entries[i] = PALETTEENTRY{fall, rise, 0, 0};
        break;
      case 1:
        entries[i] = PALETTEENTRY{0, fall, rise, 0};
        break;
      default:
        entries[i] = PALETTEENTRY{rise, 0, fall, 0};
        break;
    }
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "palette";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "palette", "Quorvane: palette", WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                480, nullptr, nullptr, instance, nullptr);
  Screen screen;
  if (window == nullptr || !screen.CreateFullScreen(window, 640, 480, 8, 0)) return 1;

  // Rings about the centre and stripes across them, as palette indexes 1 to kColors.
  Surface picture(&screen, 640, 480, SystemMemory);
  picture.Lock();
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      const int dx = x - 320, dy = y - 240;
      picture.PutPixel(x, y, 1 + ((dx * dx + dy * dy) / 256 + (x + y) / 16) % kColors);
    }
  }
  picture.FillCircle(320, 240, 40, 0);  // index 0: black whatever the palette does
  picture.Unlock();

  PALETTEENTRY ramps[256], shown[256];
  MakeRamps(ramps);
  MSG message;
  for (int frame = 0;; ++frame) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) screen.FadePaletteOut(2);
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    // Fade in over 32 frames, then rotate entries 1 to kColors by two a frame.
    const int level = frame < 32 ? frame * 8 : 256;
    const int shift = frame < 32 ? 0 : (frame - 32) * 2;
    for (int i = 0; i < 256; ++i) shown[i] = ramps[i];
    for (int i = 1; i <= kColors; ++i) {
      const PALETTEENTRY& from = ramps[1 + (i - 1 + shift) % kColors];
      shown[i] = PALETTEENTRY{static_cast<BYTE>(from.peRed * level / 256),
                              static_cast<BYTE>(from.peGreen * level / 256),
                              static_cast<BYTE>(from.peBlue * level / 256), 0};
    }
    screen.SetPaletteEntries(0, 256, shown);
    picture.BlitAt(0, 0, screen.GetBack());
    screen.Flip(1, 0, 0);
  }
}

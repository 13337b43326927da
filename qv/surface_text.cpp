// Surface text operations: a GDI font owned by the surface and text drawn into the device
// context held between Surface::GetDC and Surface::ReleaseDC.
#include <windows.h>

#include <cstring>

#include "qvsurface.h"

void Surface::SetFont(const char* faceName, int width, int height, int weight) {
  if (font != nullptr) {
    DeleteObject(font);
    font = nullptr;
  }
  font = CreateFontA(height, width, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                     VARIABLE_PITCH, faceName);
}

HGDIOBJ Surface::SelectFont() { return SelectObject(dc, font); }

// With <windows.h> this member is named DrawTextA, like the GDI function it sits beside; the
// GDI functions are therefore called by their global names.
BOOL Surface::DrawText(int x, int y, COLORREF color, const char* text) {
  if (text == nullptr) return FALSE;
  SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, color);
  return TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
}

int Surface::DrawTextInRect(const char* text, COLORREF color, RECT* rect) {
  if (text == nullptr || rect == nullptr) return 0;
  SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, color);
  return ::DrawTextA(dc, text, static_cast<int>(std::strlen(text)), rect, DT_WORDBREAK);
}

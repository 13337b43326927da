// GetSystemMetrics: the screen's size, which follows the display mode a program sets.
#include <windows.h>

#include "core/services.h"
#include "core/trace.h"

extern "C" int WINAPI GetSystemMetrics(int nIndex) {
  QV_ENTRY_OR_RETURN("GetSystemMetrics", plat::trace::Dec(nIndex));
  int width = 0, height = 0, bits = 0;
  plat::ddraw::CurrentMode(&width, &height, &bits);
  switch (nIndex) {
    case SM_CXSCREEN:
      return width;
    case SM_CYSCREEN:
      return height;
    default:
      return 0;
  }
}

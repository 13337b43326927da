// MessageBoxA: the backend shows the box. A test host answers it at the entry line, in the
// person's place, once the owner is known to be valid.
#include <windows.h>

#include "core/backend.h"
#include "core/trace.h"
#include "user/user_internal.h"

extern "C" {

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  if (hWnd && !plat::user::WindowFrom(hWnd)) return 0;
  // Windows titles a box without a caption "Error".
  const char* caption = lpCaption ? lpCaption : "Error";
  const char* text = lpText ? lpText : "";
  QV_ENTRY("MessageBoxA", plat::trace::Wnd(hWnd), plat::trace::Text(text),
           plat::trace::Text(caption), plat::trace::Hex(uType));
  return plat::CurrentBackend().MessageBox(hWnd, text, caption, uType);
}

}  // extern "C"

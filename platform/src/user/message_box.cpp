// MessageBoxA: the backend shows the box. A test host answers it at the entry line, in the
// person's place, once the owner is known to be valid. As on Windows, where a modal box runs
// a message loop, the messages for the program's windows are dispatched before the box
// returns, whoever answered it.
#include <windows.h>

#include "core/backend.h"
#include "core/trace.h"
#include "user/user_internal.h"

namespace {

int ShowBox(HWND owner, const char* text, const char* caption, UINT type) {
  QV_ENTRY_OR_RETURN("MessageBoxA", plat::trace::Wnd(owner), plat::trace::Text(text),
                     plat::trace::Text(caption), plat::trace::Hex(type));
  // A backend's box blocks: what waits is handled before it shows, what arrives while it
  // shows once it closes.
  plat::user::DispatchWaiting();
  return plat::CurrentBackend().MessageBox(owner, text, caption, type);
}

}  // namespace

extern "C" {

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  if (hWnd && !plat::user::WindowFrom(hWnd)) return 0;
  // Windows titles a box without a caption "Error".
  int answer = ShowBox(hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType);
  plat::user::DispatchWaiting();
  return answer;
}

}  // extern "C"

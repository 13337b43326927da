// MessageBoxA: the backend shows the box (the headless backend lets the test host answer it).
#include <windows.h>

#include "core/backend.h"
#include "user/user_internal.h"

extern "C" {

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  if (hWnd && !plat::user::WindowFrom(hWnd)) return 0;
  // Windows titles a box without a caption "Error".
  return plat::CurrentBackend().MessageBox(hWnd, lpText ? lpText : "",
                                           lpCaption ? lpCaption : "Error", uType);
}

}  // extern "C"

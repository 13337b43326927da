// Stock icons and cursors, the current cursor, its display count and its position.
#include <windows.h>

#include <algorithm>

#include "core/backend.h"
#include "core/input_state.h"
#include "core/last_error.h"
#include "core/reset.h"
#include "core/trace.h"
#include "user/user_internal.h"

namespace {

// Windows' stock cursor identifiers (IDC_ARROW ... IDC_HELP) and icon identifiers
// (IDI_APPLICATION ... IDI_SHIELD).
constexpr WORD kStockCursors[] = {32512, 32513, 32514, 32515, 32516, 32640, 32641, 32642,
                                  32643, 32644, 32645, 32646, 32648, 32649, 32650, 32651};
constexpr WORD kStockIcons[] = {32512, 32513, 32514, 32515, 32516, 32517, 32518};
constexpr size_t kCursorCount = sizeof kStockCursors / sizeof kStockCursors[0];
constexpr size_t kIconCount = sizeof kStockIcons / sizeof kStockIcons[0];

// One object per stock cursor and icon: their addresses are the handles.
HICON__ cursorObjects[kCursorCount];
HICON__ iconObjects[kIconCount];

struct CursorState {
  HCURSOR current = nullptr;
  int displayCount = 0;  // shown while >= 0
  bool placed = false;
  POINT position = {0, 0};
  int64_t seenX = 0;  // the mouse motion already applied to the position
  int64_t seenY = 0;
};
CursorState& Cursor() {
  static CursorState state;
  return state;
}

// The backend shows the system pointer in a window while the program's shows.
void TellBackend(const CursorState& c) {
  plat::CurrentBackend().ShowProgramPointer(c.current && c.displayCount >= 0);
}

template <size_t N>
HICON StockHandle(HINSTANCE instance, LPCSTR name, const WORD (&ids)[N], HICON__* objects) {
  if (instance || !name || !IS_INTRESOURCE(name)) {
    // The program's module has no icon or cursor resources; only the system's are found.
    plat::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  WORD id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
  for (size_t i = 0; i < N; ++i) {
    if (ids[i] == id) return &objects[i];
  }
  plat::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

bool IsStockCursor(HCURSOR cursor) {
  return cursor >= &cursorObjects[0] && cursor < &cursorObjects[kCursorCount];
}

}  // namespace

namespace plat::user {

POINT CursorPosition() {
  CursorState& c = Cursor();
  int width = 0, height = 0, bits = 0;
  CurrentBackend().DesktopMode(&width, &height, &bits);
  width = std::max(width, 1);
  height = std::max(height, 1);
  const InputState& input = Input();
  if (!c.placed) {
    c.placed = true;
    c.position = {width / 2, height / 2};
    c.seenX = input.mouseX;
    c.seenY = input.mouseY;
  }
  int64_t x = c.position.x + (input.mouseX - c.seenX);
  int64_t y = c.position.y + (input.mouseY - c.seenY);
  c.seenX = input.mouseX;
  c.seenY = input.mouseY;
  c.position.x = static_cast<LONG>(std::clamp<int64_t>(x, 0, width - 1));
  c.position.y = static_cast<LONG>(std::clamp<int64_t>(y, 0, height - 1));
  return c.position;
}

// The platform's reset (core/reset.h).
void ResetCursor() { Cursor() = CursorState(); }

}  // namespace plat::user

namespace trace = plat::trace;

extern "C" {

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  QV_ENTRY_OR_RETURN("LoadIconA", trace::Ptr(hInstance), trace::Name(lpIconName));
  return StockHandle(hInstance, lpIconName, kStockIcons, iconObjects);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
  QV_ENTRY_OR_RETURN("LoadCursorA", trace::Ptr(hInstance), trace::Name(lpCursorName));
  return StockHandle(hInstance, lpCursorName, kStockCursors, cursorObjects);
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
  QV_ENTRY_OR_RETURN("SetCursor", trace::Ptr(hCursor));
  CursorState& c = Cursor();
  if (hCursor && !IsStockCursor(hCursor)) {
    plat::SetError(plat::user::kErrorInvalidCursorHandle);
    return nullptr;
  }
  HCURSOR previous = c.current;
  c.current = hCursor;
  TellBackend(c);
  return previous;
}

int WINAPI ShowCursor(BOOL bShow) {
  QV_ENTRY_OR_RETURN("ShowCursor", trace::Dec(bShow));
  CursorState& c = Cursor();
  c.displayCount += bShow ? 1 : -1;
  TellBackend(c);
  return c.displayCount;
}

BOOL WINAPI GetCursorInfo(PCURSORINFO pci) {
  QV_ENTRY_OR_RETURN("GetCursorInfo", trace::Ptr(pci));
  if (!pci || pci->cbSize != sizeof(CURSORINFO)) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const CursorState& c = Cursor();
  pci->flags = c.displayCount >= 0 ? CURSOR_SHOWING : 0;
  pci->hCursor = c.current;
  pci->ptScreenPos = plat::user::CursorPosition();
  return TRUE;
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
  QV_ENTRY_OR_RETURN("GetCursorPos", trace::Ptr(lpPoint));
  if (!lpPoint) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpPoint = plat::user::CursorPosition();
  return TRUE;
}

}  // extern "C"

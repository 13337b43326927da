// Activation and focus: the active window, the focused window, and the messages Windows sends
// when they change.
#include <windows.h>

#include "core/input_state.h"
#include "core/trace.h"
#include "user/user_internal.h"

namespace plat::user {

namespace {

constexpr WPARAM kThreadId = 1;

HWND TopLevelOf(HWND hwnd) {
  Window* w = WindowFromQuiet(hwnd);
  for (int depth = 0; w && !IsTopLevel(*w) && depth < 256; ++depth) {
    Window* parent = WindowFromQuiet(w->parent);
    if (!parent) break;
    w = parent;
  }
  return w ? w->handle : nullptr;
}

// Moves the focus to `hwnd` (or nowhere), sending WM_KILLFOCUS and WM_SETFOCUS.
void MoveFocus(HWND hwnd) {
  UserState& st = State();
  HWND previous = WindowFromQuiet(st.focus) ? st.focus : nullptr;
  if (previous == hwnd) return;
  st.focus = hwnd;
  if (previous) Send(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && WindowFromQuiet(hwnd)) {
    Send(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  }
}

HWND ActiveWindow() {
  HWND active = State().active;
  return WindowFromQuiet(active) ? active : nullptr;
}

}  // namespace

bool InTree(HWND root, HWND hwnd) { return hwnd && (hwnd == root || IsChildOf(root, hwnd)); }

void Activate(HWND hwnd) {
  UserState& st = State();
  if (!Input().focus) {
    // Another program has the focus: the window becomes active when ours gets it back.
    st.lastActive = hwnd;
    return;
  }
  if (st.active == hwnd) return;
  HWND previous = WindowFromQuiet(st.active) ? st.active : nullptr;
  st.active = hwnd;
  st.lastActive = hwnd;
  if (previous) {
    Send(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
  } else {
    Send(hwnd, WM_ACTIVATEAPP, TRUE, kThreadId);
  }
  if (!WindowFromQuiet(hwnd)) return;
  Send(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
  // The default handling of WM_ACTIVATE gives the window the focus; a procedure that keeps
  // WM_ACTIVATE to itself still gets the keys of its own window.
  if (st.active == hwnd && WindowFromQuiet(hwnd) && !InTree(hwnd, st.focus)) MoveFocus(hwnd);
}

HWND FocusedWindow() {
  HWND focus = State().focus;
  return WindowFromQuiet(focus) ? focus : nullptr;
}

HWND FocusOn(HWND hWnd) {
  UserState& st = State();
  HWND previous = FocusedWindow();
  if (!hWnd) {
    MoveFocus(nullptr);
    return previous;
  }
  Window* w = WindowFrom(hWnd);
  if (!w || w->destroying) return nullptr;
  HWND top = TopLevelOf(hWnd);
  if (top && st.active != top) Activate(top);
  if (WindowFromQuiet(hWnd) && st.focus != hWnd) MoveFocus(hWnd);
  return previous;
}

}  // namespace plat::user

using namespace plat::user;
namespace trace = plat::trace;

extern "C" {

HWND WINAPI GetForegroundWindow(void) {
  QV_ENTRY_OR_RETURN("GetForegroundWindow");
  return ActiveWindow();
}

HWND WINAPI GetActiveWindow(void) {
  QV_ENTRY_OR_RETURN("GetActiveWindow");
  return ActiveWindow();
}

HWND WINAPI GetFocus(void) {
  QV_ENTRY_OR_RETURN("GetFocus");
  return FocusedWindow();
}

HWND WINAPI SetFocus(HWND hWnd) {
  QV_ENTRY_OR_RETURN("SetFocus", trace::Wnd(hWnd));
  return FocusOn(hWnd);
}

}  // extern "C"

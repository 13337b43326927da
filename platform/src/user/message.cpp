// The thread's message queue, message dispatch, the default window procedure, and the window
// system's events (keys, the close button, focus) turned into window messages.
#include <windows.h>

#include <algorithm>

#include "core/clock.h"
#include "core/backend.h"
#include "core/input_state.h"
#include "core/keymap.h"
#include "core/last_error.h"
#include "core/reset.h"
#include "core/trace.h"
#include "core/services.h"
#include "core/system_sleep.h"
#include "user/user_internal.h"

namespace plat::user {

namespace {

// Windows refuses to post more than this many messages to one queue.
constexpr size_t kQueueLimit = 10000;
constexpr WPARAM kThreadId = 1;
constexpr uint8_t kScanLeftAlt = 0x38;
constexpr uint8_t kScanRightAlt = 0xB8;
constexpr LPARAM kContextBit = LPARAM(1) << 29;

HWND const kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

// Keys as the window system saw them arrive (for the previous-state bit and Alt).
struct KeyTracking {
  bool down[256] = {};  // by scan code
  int altCount = 0;     // Alt keys held
};
KeyTracking& Keys() {
  static KeyTracking keys;
  return keys;
}

// Key states as of the last key message taken from the queue, by virtual key, as GetKeyState
// sees them on Windows: TranslateMessage reads Shift and Ctrl from here, so a character
// follows the modifiers that were down when its key was pressed.
bool syncDown[256] = {};

bool InRange(UINT message, UINT first, UINT last) {
  if (first == 0 && last == 0) return true;
  return message >= first && message <= last;
}

bool Matches(const MSG& m, HWND filter, UINT first, UINT last) {
  if (!InRange(m.message, first, last)) return false;
  if (!filter) return true;
  if (filter == kThreadMessagesOnly) return m.hwnd == nullptr;
  return m.hwnd == filter || IsChildOf(filter, m.hwnd);
}

void NoteRetrieved(const MSG& m) {
  switch (m.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      syncDown[m.wParam & 0xFF] = true;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      syncDown[m.wParam & 0xFF] = false;
      break;
    default:
      break;
  }
}

bool TakeMessage(MSG* out, HWND filter, UINT first, UINT last, bool remove) {
  UserState& st = State();
  for (auto it = st.queue.begin(); it != st.queue.end(); ++it) {
    if (!Matches(*it, filter, first, last)) continue;
    *out = *it;
    if (remove) {
      st.queue.erase(it);
      NoteRetrieved(*out);
    }
    return true;
  }
  // The quit flag is looked at only once no posted message is waiting. A window filter
  // never sees it: WM_QUIT belongs to no window.
  if (st.quitPending && (!filter || filter == kThreadMessagesOnly) &&
      InRange(WM_QUIT, first, last)) {
    *out = MSG{nullptr,         WM_QUIT, static_cast<WPARAM>(st.quitCode), 0, plat::clock::NowMs(),
               CursorPosition()};
    if (remove) st.quitPending = false;
    return true;
  }
  // WM_PAINT last, for a visible window that needs painting. Taking it off the queue counts
  // as painting, so a procedure that ignores WM_PAINT is not flooded with it.
  if (filter != kThreadMessagesOnly && InRange(WM_PAINT, first, last)) {
    Window* best = nullptr;
    for (auto& entry : st.windows) {
      Window* w = entry.second.get();
      if (!w->needsPaint || !(w->style & WS_VISIBLE) || w->destroying) continue;
      if (filter && w->handle != filter && !IsChildOf(filter, w->handle)) continue;
      if (!best || w->order < best->order) best = w;
    }
    if (best) {
      *out = MSG{best->handle, WM_PAINT, 0, 0, plat::clock::NowMs(), CursorPosition()};
      if (remove) best->needsPaint = false;
      return true;
    }
  }
  return false;
}

bool ValidFilter(HWND filter) {
  return !filter || filter == kThreadMessagesOnly || WindowFrom(filter) != nullptr;
}

bool NoEventsCanArrive() { return !CurrentBackend().Traits().deliversEvents; }

void Nap() { SystemSleep(1); }

// The character a key gives on a US keyboard, or 0. With Ctrl, letters give the control codes
// 1..26 and Enter, Backspace, Esc, Space and Break their own; other keys give none.
WPARAM CharacterFor(UINT vk, bool shift, bool ctrl) {
  const KeyInfo* key = vk <= 0xFF ? KeyFromVirtualKey(static_cast<uint8_t>(vk)) : nullptr;
  if (!key) return 0;
  if (ctrl) {
    if (vk >= 'A' && vk <= 'Z') return vk - 'A' + 1;
    switch (vk) {
      case VK_RETURN:
        return '\n';
      case VK_BACK:
        return 0x7F;
      case VK_ESCAPE:
      case VK_SPACE:
      case VK_CANCEL:
        return static_cast<unsigned char>(key->plain);
      default:
        return 0;
    }
  }
  return static_cast<unsigned char>(shift ? key->shifted : key->plain);
}

}  // namespace

bool Enqueue(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool front) {
  UserState& st = State();
  if (st.queue.size() >= kQueueLimit) return false;
  MSG m{hwnd, message, wParam, lParam, plat::clock::NowMs(), CursorPosition()};
  if (front) {
    st.queue.push_front(m);
  } else {
    st.queue.push_back(m);
  }
  return true;
}

void DropMessagesFor(HWND hwnd) {
  auto& queue = State().queue;
  for (auto it = queue.begin(); it != queue.end();) {
    it = it->hwnd == hwnd ? queue.erase(it) : it + 1;
  }
}

void ResetKeyTracking() { Keys() = KeyTracking(); }

// The platform's reset (core/reset.h).
void ResetKeys() {
  ResetKeyTracking();
  std::fill(std::begin(syncDown), std::end(syncDown), false);
}

// ---- Hooks from the window system --------------------------------------------------------------

void OnKey(uint8_t scanCode, uint8_t virtualKey, bool down) {
  KeyTracking& keys = Keys();
  bool wasDown = keys.down[scanCode];
  keys.down[scanCode] = down;
  bool isAlt = scanCode == kScanLeftAlt || scanCode == kScanRightAlt || virtualKey == VK_MENU ||
               virtualKey == VK_LMENU || virtualKey == VK_RMENU;
  if (isAlt && down != wasDown) keys.altCount += down ? 1 : -1;
  if (keys.altCount < 0) keys.altCount = 0;
  bool altHeld = keys.altCount > 0;

  uint8_t vk = GenericVirtualKey(virtualKey);
  if (vk == 0) return;  // a key Windows has no virtual key for

  UserState& st = State();
  HWND target = WindowFromQuiet(st.focus) ? st.focus : nullptr;
  bool sys = altHeld || isAlt || vk == VK_F10;
  if (!target) {
    // Without a focused window the keys go to the active window as system keys.
    target = WindowFromQuiet(st.active) ? st.active : nullptr;
    sys = true;
  }
  if (!target) return;

  LPARAM lParam = 1;  // repeat count
  lParam |= static_cast<LPARAM>(scanCode & 0x7F) << 16;
  if (scanCode >= 0x80) lParam |= LPARAM(1) << 24;
  if (altHeld) lParam |= kContextBit;
  if (!down || wasDown) lParam |= LPARAM(1) << 30;
  if (!down) lParam |= LPARAM(1) << 31;
  UINT message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  // lParam is built as an unsigned 32-bit pattern, as a 32-bit Windows program receives it.
  Enqueue(target, message, vk, static_cast<LPARAM>(static_cast<LONG>(static_cast<DWORD>(lParam))));
}

void OnCloseRequested() {
  // Posted rather than sent: the close button reaches the program through its message loop,
  // never in the middle of whatever the program is doing when the click arrives.
  HWND main = State().main;
  if (WindowFromQuiet(main)) Enqueue(main, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void OnDisplayChanged(int width, int height, int bitsPerPixel) {
  // Sent to every top-level window, as Windows broadcasts a mode change. The handles are taken
  // first: a window procedure may create or destroy windows while it runs.
  std::vector<HWND> topLevel;
  for (const auto& entry : State().windows) {
    if (IsTopLevel(*entry.second) && !entry.second->destroying) {
      topLevel.push_back(entry.second->handle);
    }
  }
  const LPARAM size = MAKELPARAM(width, height);
  for (HWND hwnd : topLevel) {
    if (WindowFromQuiet(hwnd))
      Send(hwnd, WM_DISPLAYCHANGE, static_cast<WPARAM>(bitsPerPixel), size);
  }
}

void OnFocusChanged(bool active) {
  UserState& st = State();
  ResetKeyTracking();
  if (!active) {
    HWND was = WindowFromQuiet(st.active) ? st.active : nullptr;
    st.lastActive = was;
    st.active = nullptr;
    st.focus = nullptr;
    if (was) {
      Enqueue(was, WM_ACTIVATE, WA_INACTIVE, 0);
      Enqueue(was, WM_ACTIVATEAPP, FALSE, kThreadId);
    }
    return;
  }
  HWND next = WindowFromQuiet(st.lastActive) ? st.lastActive : st.main;
  Window* w = WindowFromQuiet(next);
  if (!w || !(w->style & WS_VISIBLE)) return;
  st.active = next;
  st.focus = next;
  Enqueue(next, WM_ACTIVATEAPP, TRUE, kThreadId);
  Enqueue(next, WM_ACTIVATE, WA_ACTIVE, 0);
}

void DispatchWaiting() {
  CurrentBackend().PumpEvents();
  UserState& st = State();
  // Bounded by what waits now: a procedure that posts to its own window does not keep the
  // box's loop turning.
  size_t turns = st.queue.size() + st.windows.size();
  MSG m;
  while (turns-- > 0) {
    auto it = std::find_if(st.queue.begin(), st.queue.end(), [](const MSG& q) { return q.hwnd; });
    if (it != st.queue.end()) {
      m = *it;
      st.queue.erase(it);
      NoteRetrieved(m);
    } else if (!TakeMessage(&m, nullptr, WM_PAINT, WM_PAINT, true)) {
      return;
    }
    Send(m.hwnd, m.message, m.wParam, m.lParam);
  }
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = WindowFrom(hwnd);
  if (!w || !w->proc) return 0;
  WNDPROC proc = w->proc;  // the window may be gone once the procedure returns
  return proc(hwnd, message, wParam, lParam);
}

}  // namespace plat::user

using namespace plat::user;
namespace trace = plat::trace;

extern "C" {

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
  QV_ENTRY_OR_RETURN("PeekMessageA", trace::Ptr(lpMsg), trace::Wnd(hWnd), trace::Hex(wMsgFilterMin),
                     trace::Hex(wMsgFilterMax), trace::Hex(wRemoveMsg));
  if (!lpMsg) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!ValidFilter(hWnd)) return FALSE;
  plat::CurrentBackend().PumpEvents();
  return TakeMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0)
             ? TRUE
             : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  QV_ENTRY_OR_RETURN("GetMessageA", trace::Ptr(lpMsg), trace::Wnd(hWnd), trace::Hex(wMsgFilterMin),
                     trace::Hex(wMsgFilterMax));
  if (!lpMsg) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (!ValidFilter(hWnd)) return -1;
  for (;;) {
    plat::CurrentBackend().PumpEvents();
    if (TakeMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true)) {
      return lpMsg->message == WM_QUIT ? 0 : 1;
    }
    if (NoEventsCanArrive()) {
      // Nothing can ever arrive: waiting would never end.
      plat::SetError(ERROR_INVALID_PARAMETER);
      return -1;
    }
    Nap();
  }
}

BOOL WINAPI WaitMessage(void) {
  QV_ENTRY_OR_RETURN("WaitMessage");
  MSG m;
  for (;;) {
    plat::CurrentBackend().PumpEvents();
    if (TakeMessage(&m, nullptr, 0, 0, false)) return TRUE;
    if (NoEventsCanArrive()) return FALSE;
    Nap();
  }
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  QV_ENTRY_OR_RETURN("TranslateMessage", trace::Ptr(lpMsg));
  if (!lpMsg) return FALSE;
  switch (lpMsg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return TRUE;
    default:
      return FALSE;
  }
  bool shift = syncDown[VK_SHIFT];
  bool ctrl = syncDown[VK_CONTROL];
  WPARAM ch = CharacterFor(static_cast<UINT>(lpMsg->wParam & 0xFF), shift, ctrl);
  if (ch) {
    // The character comes next, ahead of anything already waiting (such as the key's release).
    UINT message = lpMsg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    Enqueue(lpMsg->hwnd, message, ch, lpMsg->lParam, true);
  }
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
  QV_ENTRY_OR_RETURN("DispatchMessageA", trace::Ptr(lpMsg));
  if (!lpMsg || !lpMsg->hwnd) return 0;
  return Send(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  QV_ENTRY_OR_RETURN("SendMessageA", trace::Wnd(hWnd), trace::Hex(Msg), trace::Hex(wParam),
                     trace::Hex(static_cast<uint32_t>(lParam)));
  return Send(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  QV_ENTRY_OR_RETURN("PostMessageA", trace::Wnd(hWnd), trace::Hex(Msg), trace::Hex(wParam),
                     trace::Hex(static_cast<uint32_t>(lParam)));
  if (hWnd && !WindowFrom(hWnd)) return FALSE;
  if (!Enqueue(hWnd, Msg, wParam, lParam)) {
    plat::SetError(kErrorNotEnoughQuota);
    return FALSE;
  }
  return TRUE;
}

void WINAPI PostQuitMessage(int nExitCode) {
  QV_ENTRY_OR_RETURN_VOID("PostQuitMessage", trace::Dec(nExitCode));
  UserState& st = State();
  st.quitPending = true;
  st.quitCode = nExitCode;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  QV_ENTRY_OR_RETURN("DefWindowProcA", trace::Wnd(hWnd), trace::Hex(Msg), trace::Hex(wParam),
                     trace::Hex(static_cast<uint32_t>(lParam)));
  Window* w = WindowFrom(hWnd);
  if (!w) return 0;
  switch (Msg) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      Destroy(hWnd);
      return 0;
    case WM_PAINT:
      w->needsPaint = false;
      return 0;
    case WM_ERASEBKGND:
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !w->destroying && FocusedWindow() != hWnd) {
        FocusOn(hWnd);
      }
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & kContextBit)) {
        HWND top = hWnd;
        for (int depth = 0; depth < 256; ++depth) {
          Window* cur = WindowFromQuiet(top);
          if (!cur || IsTopLevel(*cur) || !WindowFromQuiet(cur->parent)) break;
          top = cur->parent;
        }
        Send(top, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) Send(hWnd, WM_CLOSE, 0, 0);
      return 0;
    default:
      return 0;
  }
}

// The key's state as of the last key message taken from the queue: bit 15 while it is down.
SHORT WINAPI GetKeyState(int nVirtKey) {
  QV_ENTRY_OR_RETURN("GetKeyState", trace::Hex(static_cast<uint32_t>(nVirtKey)));
  if (nVirtKey < 0 || nVirtKey > 255) return 0;
  return syncDown[nVirtKey] ? static_cast<SHORT>(0x8000) : 0;
}

}  // extern "C"

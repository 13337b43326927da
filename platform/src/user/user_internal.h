// USER's state shared between its source files: window classes, windows, activation and
// focus, and the thread's message queue. The program has one thread, so there is one queue.
#ifndef QV_PLATFORM_USER_INTERNAL_H
#define QV_PLATFORM_USER_INTERNAL_H

#include <windows.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plat::user {

// Error codes Windows gives for USER's failures.
constexpr DWORD kErrorInvalidWindowHandle = 1400;
constexpr DWORD kErrorInvalidCursorHandle = 1402;
constexpr DWORD kErrorTlwWithWsChild = 1406;
constexpr DWORD kErrorCannotFindWndClass = 1407;
constexpr DWORD kErrorClassAlreadyExists = 1410;
constexpr DWORD kErrorClassDoesNotExist = 1411;
constexpr DWORD kErrorClassHasWindows = 1412;
constexpr DWORD kErrorInvalidIndex = 1413;
constexpr DWORD kErrorNotEnoughQuota = 1816;
constexpr DWORD kErrorAccessDenied = 5;  // also a session without a desktop

constexpr int kGwlHwndParent = -8;
constexpr UINT kSizeRestored = 0;

struct WindowClass {
  ATOM atom = 0;
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  int windows = 0;  // live windows of this class
};

struct Window {
  HWND handle = nullptr;
  WindowClass* cls = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  LONG userData = 0;
  LONG_PTR id = 0;  // child windows: the identifier given in place of a menu
  HMENU menu = nullptr;
  HINSTANCE instance = nullptr;
  HWND parent = nullptr;  // the parent of a child window, the owner of a top-level one
  std::string title;
  RECT rect = {};  // in the parent's client coordinates (screen coordinates for top-level)
  bool needsPaint = false;
  bool destroying = false;
  uint64_t order = 0;                // creation order
  std::vector<unsigned char> extra;  // the class's window extra bytes
};

struct UserState {
  std::map<std::string, std::unique_ptr<WindowClass>> classes;  // by lower-case name
  ATOM nextAtom = 0xC000;
  std::map<uintptr_t, std::unique_ptr<Window>> windows;
  uintptr_t nextHandle = 0x00010020;
  uint64_t nextOrder = 1;
  HWND main = nullptr;  // the top-level window the backend shows
  HWND active = nullptr;
  HWND focus = nullptr;
  HWND lastActive = nullptr;  // the active window before the program lost the focus
  std::deque<MSG> queue;
  bool quitPending = false;
  int quitCode = 0;
};

UserState& State();

// The window behind a handle, or null (with ERROR_INVALID_WINDOW_HANDLE) for a stale or
// made-up one. The pointer is good only until the next window procedure runs.
Window* WindowFrom(HWND hwnd);
Window* WindowFromQuiet(HWND hwnd);
bool IsTopLevel(const Window& w);
// The window's frame sizes outside its client area (left and top negative).
RECT FrameInsets(const Window& w);
RECT ClientRectOf(const Window& w);
POINT ClientOriginOnScreen(const Window& w);
bool IsChildOf(HWND parent, HWND child);
// The window itself or one of its descendants.
bool InTree(HWND root, HWND hwnd);

// Activation and focus, sending the messages Windows sends.
void Activate(HWND hwnd);
// Tells the backend about the main window's title, size and visibility.
void NotifyBackend();
// Drops queued messages for a window that is going away.
void DropMessagesFor(HWND hwnd);
// Adds a message to the end of the queue (or the front); false when the queue is full.
bool Enqueue(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool front = false);
// The cursor position on the desktop.
POINT CursorPosition();
// Forgets which keys are down (the program lost the focus).
void ResetKeyTracking();

// What SendMessageA, DestroyWindow, GetFocus and SetFocus do, for USER's own use: a call USER
// makes of itself is not the program's, so it is neither logged nor failed.
LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL Destroy(HWND hwnd);
HWND FocusedWindow();
HWND FocusOn(HWND hwnd);

}  // namespace plat::user

#endif

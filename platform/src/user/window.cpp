// Window classes and windows: creation and destruction with the messages Windows sends,
// styles and window longs, position and size, visibility.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "core/backend.h"
#include "core/last_error.h"
#include "core/trace.h"
#include "user/user_internal.h"

namespace plat::user {

namespace {

// Classic Windows metrics at 96 dpi.
constexpr int kCaptionHeight = 19;
constexpr int kMenuHeight = 19;
constexpr int kSizingFrame = 4;
constexpr int kDialogFrame = 3;
constexpr int kBorder = 1;
constexpr int kClientEdge = 2;
constexpr int kStaticEdge = 1;
constexpr DWORD kExDlgModalFrame = 0x00000001;
constexpr DWORD kExClientEdge = 0x00000200;
constexpr DWORD kExStaticEdge = 0x00020000;
constexpr DWORD kErrorInvalidMenuHandle = 1401;
constexpr int kSwMax = 11;  // SW_FORCEMINIMIZE
constexpr int kMaxExtraBytes = 4096;

std::string Lower(const char* s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

WindowClass* FindClass(LPCSTR name) {
  UserState& st = State();
  if (!name) return nullptr;
  if (IS_INTRESOURCE(name)) {
    ATOM atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
    for (auto& entry : st.classes) {
      if (entry.second->atom == atom) return entry.second.get();
    }
    return nullptr;
  }
  auto it = st.classes.find(Lower(name));
  return it == st.classes.end() ? nullptr : it->second.get();
}

LONG ClampToLong(int64_t v) {
  return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

LPARAM PackPoint(LONG x, LONG y) {
  return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)));
}

// Window procedures are kept as 32-bit values for GetWindowLongA: pointers wider than a LONG
// are given out as small cookies that SetWindowLongA turns back into the procedure.
std::vector<WNDPROC>& ProcCookies() {
  static std::vector<WNDPROC> procs;
  return procs;
}
constexpr uint32_t kCookieBase = 0xFFFF0000u;

LONG ProcToLong(WNDPROC proc) {
  if (!proc) return 0;
  if (sizeof(WNDPROC) <= sizeof(LONG)) {
    return static_cast<LONG>(reinterpret_cast<uintptr_t>(proc));
  }
  auto& procs = ProcCookies();
  auto it = std::find(procs.begin(), procs.end(), proc);
  size_t index = static_cast<size_t>(it - procs.begin());
  if (it == procs.end()) {
    if (procs.size() >= 0xFFFF) return 0;
    procs.push_back(proc);
  }
  return static_cast<LONG>(kCookieBase + static_cast<uint32_t>(index) + 1);
}

WNDPROC LongToProc(LONG value) {
  if (value == 0) return nullptr;
  if (sizeof(WNDPROC) <= sizeof(LONG)) {
    return reinterpret_cast<WNDPROC>(static_cast<uintptr_t>(static_cast<uint32_t>(value)));
  }
  uint32_t v = static_cast<uint32_t>(value);
  auto& procs = ProcCookies();
  if (v <= kCookieBase || v - kCookieBase > procs.size()) return nullptr;
  return procs[v - kCookieBase - 1];
}

HWND NextMainWindow() {
  Window* best = nullptr;
  for (auto& entry : State().windows) {
    Window* w = entry.second.get();
    if (w->destroying || !IsTopLevel(*w)) continue;
    if (!best || w->order < best->order) best = w;
  }
  return best ? best->handle : nullptr;
}

BOOL AdjustForFrame(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle) {
  if (!lpRect) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int64_t left = lpRect->left, top = lpRect->top, right = lpRect->right, bottom = lpRect->bottom;
  int frame = 0;
  if (dwStyle & WS_THICKFRAME) {
    frame = kSizingFrame;
  } else if ((dwStyle & WS_DLGFRAME) || (dwExStyle & kExDlgModalFrame)) {
    frame = kDialogFrame;
  } else if (dwStyle & WS_BORDER) {
    frame = kBorder;
  }
  if (dwExStyle & kExClientEdge) frame += kClientEdge;
  if (dwExStyle & kExStaticEdge) frame += kStaticEdge;
  left -= frame;
  right += frame;
  top -= frame;
  bottom += frame;
  if ((dwStyle & WS_CAPTION) == WS_CAPTION) top -= kCaptionHeight;
  if (bMenu) top -= kMenuHeight;
  lpRect->left = ClampToLong(left);
  lpRect->top = ClampToLong(top);
  lpRect->right = ClampToLong(right);
  lpRect->bottom = ClampToLong(bottom);
  return TRUE;
}

}  // namespace

UserState& State() {
  static UserState state;
  return state;
}

Window* WindowFromQuiet(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto& windows = State().windows;
  auto it = windows.find(reinterpret_cast<uintptr_t>(hwnd));
  return it == windows.end() ? nullptr : it->second.get();
}

Window* WindowFrom(HWND hwnd) {
  Window* w = WindowFromQuiet(hwnd);
  if (!w) plat::SetError(kErrorInvalidWindowHandle);
  return w;
}

bool IsTopLevel(const Window& w) { return (w.style & WS_CHILD) == 0; }

bool IsChildOf(HWND parent, HWND child) {
  Window* w = WindowFromQuiet(child);
  for (int depth = 0; w && (w->style & WS_CHILD) && depth < 256; ++depth) {
    if (w->parent == parent) return true;
    w = WindowFromQuiet(w->parent);
  }
  return false;
}

RECT FrameInsets(const Window& w) {
  RECT r = {0, 0, 0, 0};
  AdjustForFrame(&r, w.style, IsTopLevel(w) && w.menu != nullptr, w.exStyle);
  return r;
}

RECT ClientRectOf(const Window& w) {
  RECT insets = FrameInsets(w);
  int64_t width = static_cast<int64_t>(w.rect.right) - w.rect.left - (insets.right - insets.left);
  int64_t height = static_cast<int64_t>(w.rect.bottom) - w.rect.top - (insets.bottom - insets.top);
  RECT r = {0, 0, ClampToLong(std::max<int64_t>(0, width)),
            ClampToLong(std::max<int64_t>(0, height))};
  return r;
}

POINT ClientOriginOnScreen(const Window& w) {
  int64_t x = 0, y = 0;
  const Window* cur = &w;
  for (int depth = 0; cur && depth < 256; ++depth) {
    RECT insets = FrameInsets(*cur);
    x += static_cast<int64_t>(cur->rect.left) - insets.left;
    y += static_cast<int64_t>(cur->rect.top) - insets.top;
    if (IsTopLevel(*cur)) break;
    cur = WindowFromQuiet(cur->parent);
  }
  return POINT{ClampToLong(x), ClampToLong(y)};
}

void NotifyBackend() {
  UserState& st = State();
  Window* w = WindowFromQuiet(st.main);
  if (w) {
    RECT client = ClientRectOf(*w);
    CurrentBackend().WindowChanged(w->handle, w->title.c_str(), client.right, client.bottom,
                                   (w->style & WS_VISIBLE) != 0);
  } else {
    CurrentBackend().WindowChanged(nullptr, "", 0, 0, false);
  }
}

BOOL Destroy(HWND hWnd) {
  UserState& st = State();
  Window* w = WindowFrom(hWnd);
  if (!w) return FALSE;
  if (w->destroying) return TRUE;  // already on its way out
  w->destroying = true;
  w->style &= ~static_cast<DWORD>(WS_VISIBLE);
  if (InTree(hWnd, st.focus)) st.focus = nullptr;
  if (st.active == hWnd) st.active = nullptr;
  if (st.lastActive == hWnd) st.lastActive = nullptr;
  bool wasMain = st.main == hWnd;
  if (wasMain) st.main = nullptr;

  Send(hWnd, WM_DESTROY, 0, 0);

  // Child windows and owned windows go with their parent or owner, in creation order.
  std::vector<std::pair<uint64_t, HWND>> dependents;
  for (auto& entry : st.windows) {
    Window* other = entry.second.get();
    if (other->parent == hWnd && !other->destroying) {
      dependents.emplace_back(other->order, other->handle);
    }
  }
  std::sort(dependents.begin(), dependents.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& dependent : dependents) {
    if (WindowFromQuiet(dependent.second)) Destroy(dependent.second);
  }

  Send(hWnd, WM_NCDESTROY, 0, 0);
  DropMessagesFor(hWnd);
  if ((w = WindowFromQuiet(hWnd))) {
    --w->cls->windows;
    st.windows.erase(reinterpret_cast<uintptr_t>(hWnd));
  }
  if (wasMain) {
    st.main = NextMainWindow();
    NotifyBackend();
  }
  return TRUE;
}

namespace {

BOOL Show(HWND hWnd, int nCmdShow) {
  UserState& st = State();
  Window* w = WindowFrom(hWnd);
  if (!w) return FALSE;
  if (nCmdShow < SW_HIDE || nCmdShow > kSwMax) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  bool show = nCmdShow != SW_HIDE;
  bool activate = false;
  switch (nCmdShow) {
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
      w->style &= ~static_cast<DWORD>(WS_MINIMIZE | WS_MAXIMIZE);
      activate = true;
      break;
    case SW_SHOWMAXIMIZED:
      w->style = (w->style & ~static_cast<DWORD>(WS_MINIMIZE)) | WS_MAXIMIZE;
      activate = true;
      break;
    case SW_SHOWMINIMIZED:
      w->style = (w->style & ~static_cast<DWORD>(WS_MAXIMIZE)) | WS_MINIMIZE;
      activate = true;
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case kSwMax:
      w->style = (w->style & ~static_cast<DWORD>(WS_MAXIMIZE)) | WS_MINIMIZE;
      break;
    case SW_SHOW:
      activate = true;
      break;
    default:  // SW_HIDE, SW_SHOWNA, SW_SHOWNOACTIVATE
      break;
  }
  if (show != wasVisible) {
    Send(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!(w = WindowFromQuiet(hWnd))) return wasVisible ? TRUE : FALSE;
    if (show) {
      w->style |= WS_VISIBLE;
      w->needsPaint = true;
    } else {
      w->style &= ~static_cast<DWORD>(WS_VISIBLE);
      if (InTree(hWnd, st.focus)) st.focus = nullptr;
      if (st.active == hWnd) st.active = nullptr;
    }
  }
  if (show && activate && IsTopLevel(*w)) Activate(hWnd);
  if (st.main == hWnd) NotifyBackend();
  return wasVisible ? TRUE : FALSE;
}

}  // namespace

// ---- The steps of creating a window, in the order CreateWindowExA takes them -----------------

namespace {

// The registered class a window is made of; sets the error Windows sets when there is none.
WindowClass* ClassToCreate(LPCSTR name) {
  WindowClass* cls = FindClass(name);
  if (!cls) plat::SetError(kErrorCannotFindWndClass);
  return cls;
}

// Whether a window with this parent, style and menu can be made, setting the error Windows
// sets when not.
bool CanCreate(HWND parent, DWORD style, HMENU menu) {
  if (parent && !WindowFrom(parent)) return false;
  // Without a display there is nowhere to put a window: Windows answers a process without a
  // desktop the same way.
  if (!plat::CurrentBackend().Traits().opensWindows) {
    plat::SetError(kErrorAccessDenied);
    return false;
  }
  const bool child = (style & WS_CHILD) != 0;
  if (child && !parent) {
    plat::SetError(kErrorTlwWithWsChild);
    return false;
  }
  if (!child && menu) {
    // There are no menus here: a top-level window's menu handle cannot be a real one.
    plat::SetError(kErrorInvalidMenuHandle);
    return false;
  }
  return true;
}

// The styles a window really gets: top-level windows clip their siblings, and an overlapped
// window always has a caption. WS_VISIBLE is taken out, as Windows shows the window only once
// it is created.
void AddImpliedStyles(DWORD* style, DWORD* exStyle) {
  if (!(*style & WS_CHILD)) {
    *style |= WS_CLIPSIBLINGS;
    if (!(*style & WS_POPUP)) {
      *style |= WS_CAPTION;
      *exStyle |= WS_EX_WINDOWEDGE;
    }
  }
  *style &= ~static_cast<DWORD>(WS_VISIBLE);
}

// The position and size a window starts with: CW_USEDEFAULT puts it at the origin, a
// top-level window three quarters of the desktop big and a child one empty. Sizes are never
// negative.
void PlaceNewWindow(bool child, int* x, int* y, int* width, int* height) {
  if (*x == CW_USEDEFAULT) *x = *y = 0;
  if (*width == CW_USEDEFAULT) {
    if (child) {
      *width = *height = 0;
    } else {
      int dw = 0, dh = 0, bits = 0;
      plat::CurrentBackend().DesktopMode(&dw, &dh, &bits);
      *width = dw * 3 / 4;
      *height = dh * 3 / 4;
    }
  }
  *width = std::max(0, *width);
  *height = std::max(0, *height);
}

// Adds the record of a window as `cs` describes it, counted against its class. A child's menu
// handle is its identifier.
HWND AddWindow(WindowClass* cls, const CREATESTRUCTA& cs) {
  UserState& st = State();
  const bool child = (cs.style & WS_CHILD) != 0;
  auto window = std::make_unique<Window>();
  HWND hwnd = reinterpret_cast<HWND>(st.nextHandle);
  st.nextHandle += 4;
  window->handle = hwnd;
  window->cls = cls;
  window->proc = cls->proc;
  window->style = static_cast<DWORD>(cs.style);
  window->exStyle = cs.dwExStyle;
  window->id = child ? reinterpret_cast<LONG_PTR>(cs.hMenu) : 0;
  window->menu = child ? nullptr : cs.hMenu;
  window->instance = cs.hInstance;
  window->parent = cs.hwndParent;
  window->title = cs.lpszName ? cs.lpszName : "";
  window->rect = {cs.x, cs.y, ClampToLong(static_cast<int64_t>(cs.x) + cs.cx),
                  ClampToLong(static_cast<int64_t>(cs.y) + cs.cy)};
  window->order = st.nextOrder++;
  window->extra.assign(static_cast<size_t>(cls->wndExtra), 0);
  st.windows[reinterpret_cast<uintptr_t>(hwnd)] = std::move(window);
  ++cls->windows;
  return hwnd;
}

// A window whose WM_NCCREATE failed goes without WM_DESTROY: it was never created.
void DiscardUncreatedWindow(HWND hwnd) {
  UserState& st = State();
  Window* w = WindowFromQuiet(hwnd);
  if (!w) return;
  w->destroying = true;
  Send(hwnd, WM_NCDESTROY, 0, 0);
  DropMessagesFor(hwnd);
  if ((w = WindowFromQuiet(hwnd))) {
    --w->cls->windows;
    st.windows.erase(reinterpret_cast<uintptr_t>(hwnd));
  }
}

// WM_NCCREATE and WM_CREATE. False, with the window gone, when the window procedure refuses
// either of them or destroys the window meanwhile.
bool SendCreationMessages(HWND hwnd, CREATESTRUCTA* cs) {
  if (!Send(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(cs))) {
    DiscardUncreatedWindow(hwnd);
    plat::SetError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!WindowFromQuiet(hwnd)) return false;
  if (Send(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(cs)) == -1) {
    Destroy(hwnd);
    plat::SetError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return WindowFromQuiet(hwnd) != nullptr;
}

// WM_SIZE with the client size, then WM_MOVE with the client origin (in the parent's client
// coordinates for a child). False when the window was destroyed meanwhile.
bool SendInitialSizeAndMove(HWND hwnd) {
  Window* w = WindowFromQuiet(hwnd);
  if (!w) return false;
  RECT client = ClientRectOf(*w);
  Send(hwnd, WM_SIZE, kSizeRestored, PackPoint(client.right, client.bottom));
  if ((w = WindowFromQuiet(hwnd))) {
    POINT origin = ClientOriginOnScreen(*w);
    if (!IsTopLevel(*w)) {
      Window* parent = WindowFromQuiet(w->parent);
      if (parent) {
        POINT po = ClientOriginOnScreen(*parent);
        origin.x -= po.x;
        origin.y -= po.y;
      }
    }
    Send(hwnd, WM_MOVE, 0, PackPoint(origin.x, origin.y));
  }
  return WindowFromQuiet(hwnd) != nullptr;
}

// The first top-level window is the one the backend shows; it appears now when it was made
// visible.
HWND FinishCreation(HWND hwnd, bool show) {
  UserState& st = State();
  Window* w = WindowFromQuiet(hwnd);
  if (IsTopLevel(*w) && !WindowFromQuiet(st.main)) st.main = hwnd;
  if (st.main == hwnd) NotifyBackend();
  if (show) Show(hwnd, SW_SHOW);
  return WindowFromQuiet(hwnd) ? hwnd : nullptr;
}

}  // namespace

}  // namespace plat::user

using namespace plat::user;
namespace trace = plat::trace;

extern "C" {

// ---- Classes ---------------------------------------------------------------------------------

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
  QV_ENTRY_OR_RETURN("RegisterClassA", trace::Ptr(lpWndClass));
  UserState& st = State();
  if (!lpWndClass || !lpWndClass->lpszClassName || IS_INTRESOURCE(lpWndClass->lpszClassName) ||
      !lpWndClass->lpfnWndProc || lpWndClass->cbClsExtra < 0 || lpWndClass->cbWndExtra < 0 ||
      lpWndClass->cbClsExtra > kMaxExtraBytes || lpWndClass->cbWndExtra > kMaxExtraBytes) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = std::strlen(lpWndClass->lpszClassName);
  if (length == 0 || length > 255) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string key = Lower(lpWndClass->lpszClassName);
  if (st.classes.count(key)) {
    plat::SetError(kErrorClassAlreadyExists);
    return 0;
  }
  if (st.nextAtom == 0xFFFF) {
    plat::SetError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  auto cls = std::make_unique<WindowClass>();
  cls->atom = st.nextAtom++;
  cls->name = lpWndClass->lpszClassName;
  cls->style = lpWndClass->style;
  cls->proc = lpWndClass->lpfnWndProc;
  cls->clsExtra = lpWndClass->cbClsExtra;
  cls->wndExtra = lpWndClass->cbWndExtra;
  cls->instance = lpWndClass->hInstance;
  cls->icon = lpWndClass->hIcon;
  cls->cursor = lpWndClass->hCursor;
  cls->background = lpWndClass->hbrBackground;
  ATOM atom = cls->atom;
  st.classes[key] = std::move(cls);
  return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
  QV_ENTRY_OR_RETURN("UnregisterClassA", trace::Name(lpClassName), trace::Ptr(hInstance));
  WindowClass* cls = FindClass(lpClassName);
  if (!cls) {
    plat::SetError(kErrorClassDoesNotExist);
    return FALSE;
  }
  if (cls->windows > 0) {
    plat::SetError(kErrorClassHasWindows);
    return FALSE;
  }
  State().classes.erase(Lower(cls->name.c_str()));
  return TRUE;
}

// ---- Creation and destruction ----------------------------------------------------------------

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) {
  QV_ENTRY_OR_RETURN("CreateWindowExA", trace::Hex(dwExStyle), trace::Name(lpClassName),
                     trace::Text(lpWindowName), trace::Hex(dwStyle), trace::Dec(X), trace::Dec(Y),
                     trace::Dec(nWidth), trace::Dec(nHeight), trace::Wnd(hWndParent),
                     trace::Ptr(hMenu), trace::Ptr(hInstance), trace::Ptr(lpParam));
  WindowClass* cls = ClassToCreate(lpClassName);
  if (!cls || !CanCreate(hWndParent, dwStyle, hMenu)) return nullptr;
  const bool wantVisible = (dwStyle & WS_VISIBLE) != 0;
  AddImpliedStyles(&dwStyle, &dwExStyle);
  PlaceNewWindow((dwStyle & WS_CHILD) != 0, &X, &Y, &nWidth, &nHeight);

  CREATESTRUCTA cs = {};
  cs.lpCreateParams = lpParam;
  cs.hInstance = hInstance;
  cs.hMenu = hMenu;
  cs.hwndParent = hWndParent;
  cs.cy = nHeight;
  cs.cx = nWidth;
  cs.y = Y;
  cs.x = X;
  cs.style = static_cast<LONG>(dwStyle);
  cs.lpszName = lpWindowName;
  cs.lpszClass = lpClassName;
  cs.dwExStyle = dwExStyle;
  const HWND hwnd = AddWindow(cls, cs);
  if (!SendCreationMessages(hwnd, &cs) || !SendInitialSizeAndMove(hwnd)) return nullptr;
  return FinishCreation(hwnd, wantVisible);
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  QV_ENTRY_OR_RETURN("DestroyWindow", trace::Wnd(hWnd));
  return Destroy(hWnd);
}

BOOL WINAPI IsWindow(HWND hWnd) {
  QV_ENTRY_OR_RETURN("IsWindow", trace::Wnd(hWnd));
  return WindowFromQuiet(hWnd) ? TRUE : FALSE;
}

// ---- Window longs ----------------------------------------------------------------------------

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
  QV_ENTRY_OR_RETURN("GetWindowLongA", trace::Wnd(hWnd), trace::Dec(nIndex));
  Window* w = WindowFrom(hWnd);
  if (!w) return 0;
  switch (nIndex) {
    case GWL_STYLE:
      return static_cast<LONG>(w->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(w->exStyle);
    case GWL_WNDPROC:
      return ProcToLong(w->proc);
    case GWL_USERDATA:
      return w->userData;
    case GWL_ID:
      return static_cast<LONG>(w->id);
    case GWL_HINSTANCE:
      return static_cast<LONG>(reinterpret_cast<uintptr_t>(w->instance));
    case kGwlHwndParent:
      return static_cast<LONG>(reinterpret_cast<uintptr_t>(w->parent));
    default:
      break;
  }
  if (nIndex >= 0 && static_cast<size_t>(nIndex) + sizeof(LONG) <= w->extra.size()) {
    LONG value;
    std::memcpy(&value, w->extra.data() + nIndex, sizeof value);
    return value;
  }
  plat::SetError(kErrorInvalidIndex);
  return 0;
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
  QV_ENTRY_OR_RETURN("SetWindowLongA", trace::Wnd(hWnd), trace::Dec(nIndex),
                     trace::Hex(static_cast<uint32_t>(dwNewLong)));
  UserState& st = State();
  Window* w = WindowFrom(hWnd);
  if (!w) return 0;
  LONG previous;
  switch (nIndex) {
    case GWL_STYLE: {
      previous = static_cast<LONG>(w->style);
      w->style = static_cast<DWORD>(dwNewLong);
      if (st.main == hWnd) NotifyBackend();
      return previous;
    }
    case GWL_EXSTYLE: {
      // Topmost is changed with SetWindowPos only.
      previous = static_cast<LONG>(w->exStyle);
      DWORD keep = w->exStyle & WS_EX_TOPMOST;
      w->exStyle = (static_cast<DWORD>(dwNewLong) & ~static_cast<DWORD>(WS_EX_TOPMOST)) | keep;
      return previous;
    }
    case GWL_WNDPROC: {
      WNDPROC proc = LongToProc(dwNewLong);
      if (!proc) {
        plat::SetError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      previous = ProcToLong(w->proc);
      w->proc = proc;
      return previous;
    }
    case GWL_USERDATA:
      previous = w->userData;
      w->userData = dwNewLong;
      return previous;
    case GWL_ID:
      if (IsTopLevel(*w)) break;
      previous = static_cast<LONG>(w->id);
      w->id = dwNewLong;
      return previous;
    default:
      break;
  }
  if (nIndex >= 0 && static_cast<size_t>(nIndex) + sizeof(LONG) <= w->extra.size()) {
    std::memcpy(&previous, w->extra.data() + nIndex, sizeof previous);
    std::memcpy(w->extra.data() + nIndex, &dwNewLong, sizeof dwNewLong);
    return previous;
  }
  plat::SetError(kErrorInvalidIndex);
  return 0;
}

// ---- Position, size, visibility --------------------------------------------------------------

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                         UINT uFlags) {
  QV_ENTRY_OR_RETURN("SetWindowPos", trace::Wnd(hWnd), trace::Wnd(hWndInsertAfter), trace::Dec(X),
                     trace::Dec(Y), trace::Dec(cx), trace::Dec(cy), trace::Hex(uFlags));
  UserState& st = State();
  Window* w = WindowFrom(hWnd);
  if (!w) return FALSE;
  if (!(uFlags & SWP_NOZORDER)) {
    if (hWndInsertAfter == HWND_TOPMOST) {
      if (IsTopLevel(*w)) w->exStyle |= WS_EX_TOPMOST;
    } else if (hWndInsertAfter == HWND_NOTOPMOST || hWndInsertAfter == HWND_BOTTOM) {
      w->exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
    } else if (hWndInsertAfter != HWND_TOP && !WindowFrom(hWndInsertAfter)) {
      return FALSE;
    }
  }
  bool moved = false, sized = false;
  if (!(uFlags & SWP_NOMOVE) && (X != w->rect.left || Y != w->rect.top)) {
    int64_t width = static_cast<int64_t>(w->rect.right) - w->rect.left;
    int64_t height = static_cast<int64_t>(w->rect.bottom) - w->rect.top;
    w->rect = {X, Y, ClampToLong(X + width), ClampToLong(Y + height)};
    moved = true;
  }
  if (!(uFlags & SWP_NOSIZE)) {
    cx = std::max(0, cx);
    cy = std::max(0, cy);
    if (cx != w->rect.right - w->rect.left || cy != w->rect.bottom - w->rect.top) {
      w->rect.right = ClampToLong(static_cast<int64_t>(w->rect.left) + cx);
      w->rect.bottom = ClampToLong(static_cast<int64_t>(w->rect.top) + cy);
      sized = true;
    }
  }
  bool visibilityChanged = false;
  if ((uFlags & SWP_SHOWWINDOW) && !(w->style & WS_VISIBLE)) {
    w->style |= WS_VISIBLE;
    visibilityChanged = true;
  } else if ((uFlags & SWP_HIDEWINDOW) && (w->style & WS_VISIBLE)) {
    w->style &= ~static_cast<DWORD>(WS_VISIBLE);
    visibilityChanged = true;
  }
  if ((sized || visibilityChanged) && (w->style & WS_VISIBLE) && !(uFlags & SWP_NOREDRAW)) {
    w->needsPaint = true;
  }
  bool activate = !(uFlags & SWP_NOACTIVATE) && IsTopLevel(*w) && (w->style & WS_VISIBLE);
  if (moved) {
    POINT origin = ClientOriginOnScreen(*w);
    Send(hWnd, WM_MOVE, 0, PackPoint(origin.x, origin.y));
  }
  if (sized && (w = WindowFromQuiet(hWnd))) {
    RECT client = ClientRectOf(*w);
    Send(hWnd, WM_SIZE, kSizeRestored, PackPoint(client.right, client.bottom));
  }
  if (!WindowFromQuiet(hWnd)) return TRUE;
  if (activate) Activate(hWnd);
  if (st.main == hWnd && (sized || visibilityChanged)) NotifyBackend();
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  QV_ENTRY_OR_RETURN("ShowWindow", trace::Wnd(hWnd), trace::Dec(nCmdShow));
  return Show(hWnd, nCmdShow);
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  QV_ENTRY_OR_RETURN("UpdateWindow", trace::Wnd(hWnd));
  Window* w = WindowFrom(hWnd);
  if (!w) return FALSE;
  if (w->needsPaint && (w->style & WS_VISIBLE)) {
    w->needsPaint = false;
    Send(hWnd, WM_PAINT, 0, 0);
  }
  return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle) {
  QV_ENTRY_OR_RETURN("AdjustWindowRectEx", trace::Rect(lpRect), trace::Hex(dwStyle),
                     trace::Dec(bMenu), trace::Hex(dwExStyle));
  return AdjustForFrame(lpRect, dwStyle, bMenu, dwExStyle);
}

HMENU WINAPI GetMenu(HWND hWnd) {
  QV_ENTRY_OR_RETURN("GetMenu", trace::Wnd(hWnd));
  Window* w = WindowFrom(hWnd);
  if (!w || !IsTopLevel(*w)) return nullptr;
  return w->menu;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  QV_ENTRY_OR_RETURN("GetClientRect", trace::Wnd(hWnd), trace::Ptr(lpRect));
  Window* w = WindowFrom(hWnd);
  if (!w) return FALSE;
  if (!lpRect) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpRect = ClientRectOf(*w);
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  QV_ENTRY_OR_RETURN("GetWindowRect", trace::Wnd(hWnd), trace::Ptr(lpRect));
  Window* w = WindowFrom(hWnd);
  if (!w) return FALSE;
  if (!lpRect) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpRect = w->rect;
  if (!IsTopLevel(*w)) {
    if (Window* parent = WindowFromQuiet(w->parent)) {
      POINT origin = ClientOriginOnScreen(*parent);
      *lpRect = {ClampToLong(int64_t{lpRect->left} + origin.x),
                 ClampToLong(int64_t{lpRect->top} + origin.y),
                 ClampToLong(int64_t{lpRect->right} + origin.x),
                 ClampToLong(int64_t{lpRect->bottom} + origin.y)};
    }
  }
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  QV_ENTRY_OR_RETURN("ClientToScreen", trace::Wnd(hWnd), trace::Ptr(lpPoint));
  Window* w = WindowFrom(hWnd);
  if (!w || !lpPoint) return FALSE;
  POINT origin = ClientOriginOnScreen(*w);
  lpPoint->x = ClampToLong(static_cast<int64_t>(lpPoint->x) + origin.x);
  lpPoint->y = ClampToLong(static_cast<int64_t>(lpPoint->y) + origin.y);
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  QV_ENTRY_OR_RETURN("ScreenToClient", trace::Wnd(hWnd), trace::Ptr(lpPoint));
  Window* w = WindowFrom(hWnd);
  if (!w || !lpPoint) return FALSE;
  POINT origin = ClientOriginOnScreen(*w);
  lpPoint->x = ClampToLong(static_cast<int64_t>(lpPoint->x) - origin.x);
  lpPoint->y = ClampToLong(static_cast<int64_t>(lpPoint->y) - origin.y);
  return TRUE;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  QV_ENTRY_OR_RETURN("SetWindowTextA", trace::Wnd(hWnd), trace::Text(lpString));
  Window* w = WindowFrom(hWnd);
  if (!w) return FALSE;
  w->title = lpString ? lpString : "";
  if (State().main == hWnd) NotifyBackend();
  return TRUE;
}

}  // extern "C"

// Window classes and windows: creation, the game's window set-up, longs, destruction,
// rectangles, icons and cursors, message boxes, and what the backend is told.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "core/backend.h"
#include "host.h"
#include "user_test_util.h"

using namespace usertest;

namespace {

using WindowTest = UserTest;

TEST_F(WindowTest, CreationSendsWindowsMessagesAndShowsTheWindow) {
  RegisterTestClass();
  int param = 0;
  Override() = [&param](HWND, UINT m, WPARAM, LPARAM lp, LRESULT*) {
    if (m == WM_NCCREATE || m == WM_CREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
      EXPECT_EQ(cs->lpCreateParams, &param);
      EXPECT_EQ(cs->cx, 320);
      EXPECT_STREQ(cs->lpszName, "Title");
    }
    return false;
  };
  HWND w = CreateWindowExA(0, "usertest", "Title", WS_VISIBLE | WS_POPUP, 10, 20, 320, 200, nullptr,
                           nullptr, nullptr, &param);
  ASSERT_NE(w, nullptr);
  std::vector<UINT> seen = Messages(w);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0], static_cast<UINT>(WM_NCCREATE));
  EXPECT_EQ(seen[1], static_cast<UINT>(WM_CREATE));
  EXPECT_TRUE(std::count(seen.begin(), seen.end(), WM_SHOWWINDOW));
  EXPECT_TRUE(std::count(seen.begin(), seen.end(), WM_ACTIVATE));
  EXPECT_EQ(GetForegroundWindow(), w);
  EXPECT_EQ(GetFocus(), w);
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE);
  // The window needs painting once: UpdateWindow sends WM_PAINT, and only the first time.
  Log().clear();
  UpdateWindow(w);
  UpdateWindow(w);
  EXPECT_EQ(Messages(w), std::vector<UINT>{WM_PAINT});
  DestroyWindow(w);

  // A window whose WM_CREATE answers -1 is destroyed and not created.
  Override() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m != WM_CREATE) return false;
    *r = -1;
    return true;
  };
  Log().clear();
  EXPECT_EQ(CreateTestWindow(), nullptr);
  ASSERT_FALSE(Log().empty());
  EXPECT_FALSE(IsWindow(Log().front().hwnd));
  EXPECT_EQ(Log().back().message, static_cast<UINT>(WM_NCDESTROY));

  // Unknown classes, duplicate classes, children without parents.
  EXPECT_EQ(
      CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "USERTEST";
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(RegisterClassA(nullptr), 0);
  EXPECT_EQ(
      CreateWindowExA(0, "UserTest", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
      nullptr);
}

TEST_F(WindowTest, GameWindowSetUpGivesAnExactClientArea) {
  HWND w = CreateTestWindow(WS_VISIBLE | WS_SYSMENU, WS_EX_TOPMOST);
  ASSERT_NE(w, nullptr);
  // An overlapped window always has a caption.
  DWORD style = static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
  EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongA(w, GWL_EXSTYLE));
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_EQ(GetMenu(w), nullptr);

  RECT rc;
  SetRect(&rc, 0, 0, 800, 600);
  ASSERT_TRUE(AdjustWindowRectEx(&rc, style, GetMenu(w) != nullptr, exStyle));
  EXPECT_EQ(rc.right - rc.left, 806);
  EXPECT_EQ(rc.bottom - rc.top, 625);
  ASSERT_TRUE(SetWindowPos(w, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE));
  ASSERT_TRUE(
      SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE));
  EXPECT_FALSE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);

  RECT client, window;
  ASSERT_TRUE(GetClientRect(w, &client));
  EXPECT_EQ(Edges(client), (std::vector<LONG>{0, 0, 800, 600}));
  ASSERT_TRUE(GetWindowRect(w, &window));
  EXPECT_EQ(Edges(window), (std::vector<LONG>{0, 0, 806, 625}));
  POINT p = {0, 0};
  ASSERT_TRUE(ClientToScreen(w, &p));
  EXPECT_EQ((std::vector<LONG>{p.x, p.y}), (std::vector<LONG>{3, 22}));
  ASSERT_TRUE(ScreenToClient(w, &p));
  EXPECT_EQ((std::vector<LONG>{p.x, p.y}), (std::vector<LONG>{0, 0}));

  // Windows' other frames.
  RECT r = {0, 0, 100, 100};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
  EXPECT_EQ(Edges(r), (std::vector<LONG>{-4, -42, 104, 104}));
  r = {0, 0, 100, 100};
  AdjustWindowRectEx(&r, WS_POPUP, FALSE, 0);
  EXPECT_EQ(Edges(r), (std::vector<LONG>{0, 0, 100, 100}));
}

TEST_F(WindowTest, WindowLongsAndSubclassing) {
  HWND w = CreateTestWindow();
  EXPECT_EQ(SetWindowLongA(w, GWL_USERDATA, 1234), 0);
  EXPECT_EQ(GetWindowLongA(w, GWL_USERDATA), 1234);
  // Extra bytes: 8 of them, so index 4 is the last whole LONG.
  EXPECT_EQ(SetWindowLongA(w, 4, -7), 0);
  EXPECT_EQ(GetWindowLongA(w, 4), -7);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(w, 5), 0);
  EXPECT_EQ(GetLastError(), 1413u);
  EXPECT_EQ(GetWindowLongA(w, -100), 0);

  // A procedure swapped in through GWL_WNDPROC gets the messages; the old one can be restored.
  static int calls = 0;
  calls = 0;
  WNDPROC sub = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    ++calls;
    return DefWindowProcA(h, m, wp, lp);
  };
  LONG old = GetWindowLongA(w, GWL_WNDPROC);
  ASSERT_NE(old, 0);
  if (sizeof(WNDPROC) > sizeof(LONG)) {
    // Procedures are known by 32-bit values; a value that names none is refused.
    EXPECT_EQ(SetWindowLongA(w, GWL_WNDPROC, 0x12345), 0);
    EXPECT_EQ(GetWindowLongA(w, GWL_WNDPROC), old);
  }
  LONG subValue = 0;
  {
    // Learn the value the subclass procedure is known by from a window that uses it.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = sub;
    wc.lpszClassName = "SubTest";
    RegisterClassA(&wc);
    HWND probe =
        CreateWindowExA(0, "SubTest", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    subValue = GetWindowLongA(probe, GWL_WNDPROC);
    DestroyWindow(probe);
  }
  EXPECT_EQ(SetWindowLongA(w, GWL_WNDPROC, subValue), old);
  calls = 0;
  Log().clear();
  SendMessageA(w, WM_USER, 0, 0);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(Log().empty());
  SetWindowLongA(w, GWL_WNDPROC, old);
  SendMessageA(w, WM_USER, 0, 0);
  EXPECT_EQ(Log().size(), 1u);
}

TEST_F(WindowTest, DestroyTakesChildrenInWindowsOrderAndLeavesStaleHandles) {
  HWND parent = CreateTestWindow();
  HWND child = CreateTestWindow(WS_CHILD | WS_VISIBLE, 0, parent);
  ASSERT_NE(child, nullptr);
  Log().clear();
  ASSERT_TRUE(DestroyWindow(parent));
  std::vector<std::pair<HWND, UINT>> seen;
  for (const Received& r : Log()) seen.emplace_back(r.hwnd, r.message);
  std::vector<std::pair<HWND, UINT>> expected = {
      {parent, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
  EXPECT_EQ(seen, expected);
  EXPECT_FALSE(IsWindow(child));

  RECT r;
  POINT p = {0, 0};
  SetLastError(0);
  EXPECT_FALSE(GetClientRect(parent, &r));
  EXPECT_EQ(GetLastError(), 1400u);
  EXPECT_FALSE(SetWindowPos(parent, nullptr, 0, 0, 1, 1, 0));
  EXPECT_FALSE(ShowWindow(child, SW_SHOW));
  EXPECT_FALSE(UpdateWindow(child));
  EXPECT_FALSE(ClientToScreen(child, &p));
  EXPECT_FALSE(SetWindowTextA(parent, "x"));
  EXPECT_EQ(GetWindowLongA(parent, GWL_STYLE), 0);
  EXPECT_EQ(SetFocus(parent), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(MessageBoxA(parent, "text", "caption", MB_OK), 0);
  // A class with windows can't go; without them it can.
  HWND w = CreateTestWindow();
  EXPECT_FALSE(UnregisterClassA("UserTest", nullptr));
  DestroyWindow(w);
  EXPECT_TRUE(UnregisterClassA("UserTest", nullptr));
}

TEST_F(WindowTest, Rectangles) {
  RECT a = {0, 0, 10, 10}, b = {5, 5, 20, 20}, out = {1, 2, 3, 4};
  EXPECT_TRUE(IntersectRect(&out, &a, &b));
  EXPECT_EQ(Edges(out), (std::vector<LONG>{5, 5, 10, 10}));
  RECT c = {10, 0, 20, 10};  // touching edges do not overlap
  EXPECT_FALSE(IntersectRect(&out, &a, &c));
  EXPECT_TRUE(IsRectEmpty(&out));
  EXPECT_TRUE(PtInRect(&a, POINT{0, 0}));
  EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));
  EXPECT_FALSE(PtInRect(&a, POINT{5, 10}));
  EXPECT_TRUE(OffsetRect(&a, 0x7FFFFFF8, -5));
  EXPECT_EQ(Edges(a), (std::vector<LONG>{0x7FFFFFF8, -5, 0x7FFFFFFF, 5}));  // clamped, not wrapped
  EXPECT_FALSE(SetRect(nullptr, 0, 0, 1, 1));
  EXPECT_TRUE(IsRectEmpty(nullptr));
  EXPECT_FALSE(IntersectRect(&out, nullptr, &b));
}

TEST_F(WindowTest, IconsCursorsAndCursorDisplay) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  EXPECT_EQ(LoadIconA(self, "APPICON"), nullptr);
  EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
  EXPECT_NE(LoadCursorA(nullptr, IDC_WAIT), arrow);
  EXPECT_EQ(LoadCursorA(nullptr, "Custom"), nullptr);

  SetCursor(nullptr);
  EXPECT_EQ(SetCursor(arrow), nullptr);
  EXPECT_EQ(SetCursor(nullptr), arrow);
  EXPECT_EQ(SetCursor(reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0xBAD0))), nullptr);
  EXPECT_EQ(SetCursor(nullptr), nullptr);  // the made-up handle was not taken

  int base = ShowCursor(FALSE);
  EXPECT_EQ(ShowCursor(FALSE), base - 1);
  EXPECT_EQ(ShowCursor(TRUE), base);
  EXPECT_EQ(ShowCursor(TRUE), base + 1);
  ShowCursor(FALSE);

  POINT before, after;
  ASSERT_TRUE(GetCursorPos(&before));
  qvhost::MouseMotion(-100000, 15);
  ASSERT_TRUE(GetCursorPos(&after));
  EXPECT_EQ(after.x, 0);  // held on the desktop
  EXPECT_EQ(after.y, before.y + 15);
  EXPECT_FALSE(GetCursorPos(nullptr));
}

TEST_F(WindowTest, MessageBoxesAreRecordedAndAnswered) {
  HWND w = CreateTestWindow();
  qvhost::AnswerMessageBoxes({IDNO});
  EXPECT_EQ(MessageBoxA(w, "Continue?", "Error", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Done", nullptr, MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, nullptr, "Empty", MB_YESNO), IDYES);
  const auto& boxes = qvhost::MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].owner, w);
  EXPECT_EQ(boxes[0].text, "Continue?");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(boxes[1].caption, "Error");
  EXPECT_EQ(boxes[2].text, "");

  // Answered in a person's place or not, the box's loop handles what waits for the program's
  // windows; thread messages and the quit stay queued.
  usertest::Log().clear();
  PostMessageA(w, WM_USER, 1, 0);
  PostMessageA(nullptr, WM_USER, 2, 0);
  PostQuitMessage(3);
  EXPECT_EQ(MessageBoxA(w, "Again", "Error", MB_OK), IDOK);
  ASSERT_EQ(usertest::Log().size(), 1u);
  EXPECT_EQ(usertest::Log()[0].wParam, 1u);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.wParam, 2u);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
}

// A backend that only records what USER tells it about the main window.
class RecordingBackend : public plat::Backend {
 public:
  const plat::BackendTraits& Traits() const override {
    static const plat::BackendTraits traits = {"recording", false, false, true};
    return traits;
  }
  struct Change {
    HWND window;
    std::string title;
    int width, height;
    bool visible;
  };
  static std::vector<Change>& Changes() {
    static std::vector<Change> changes;
    return changes;
  }
  void WindowChanged(HWND window, const char* title, int w, int h, bool visible) override {
    Changes().push_back({window, title ? title : "", w, h, visible});
  }
  void DisplayModeChanged(int, int, int, bool) override {}
  void DesktopMode(int* w, int* h, int* bits) override {
    *w = 1024;
    *h = 768;
    *bits = 32;
  }
  void ShowFrame(const plat::PixelBuffer&) override {}
  void WaitForVerticalBlank() override {}
  bool InVerticalBlank() override { return false; }
  void PumpEvents() override {}
  int MessageBox(HWND, const char*, const char*, UINT) override { return IDOK; }
  void ShowProgramPointer(bool shown) override { Pointer() = shown ? 1 : 0; }
  static int& Pointer() {
    static int pointer = -1;  // not told yet
    return pointer;
  }
};

TEST_F(WindowTest, BackendFollowsTheMainWindow) {
  plat::SetBackend(std::make_unique<RecordingBackend>());
  auto& changes = RecordingBackend::Changes();
  changes.clear();
  HWND w = CreateTestWindow(WS_VISIBLE | WS_SYSMENU);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back().window, w);
  EXPECT_EQ(changes.back().title, "Test");
  EXPECT_TRUE(changes.back().visible);
  EXPECT_EQ(changes.back().width, 794);  // 800 x 600 outside, less the frame and caption
  EXPECT_EQ(changes.back().height, 575);
  SetWindowTextA(w, "Quorvane");
  EXPECT_EQ(changes.back().title, "Quorvane");
  ShowWindow(w, SW_HIDE);
  EXPECT_FALSE(changes.back().visible);
  DestroyWindow(w);
  EXPECT_EQ(changes.back().window, nullptr);

  // The backend is told when the program's pointer shows: a cursor, and a count not below 0.
  SetCursor(nullptr);
  ASSERT_EQ(ShowCursor(TRUE), 1);  // a program starts with a count of 0
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(RecordingBackend::Pointer(), 1);
  ShowCursor(FALSE);
  EXPECT_EQ(RecordingBackend::Pointer(), 1);
  ShowCursor(FALSE);
  EXPECT_EQ(RecordingBackend::Pointer(), 0);
  ShowCursor(TRUE);
  EXPECT_EQ(RecordingBackend::Pointer(), 1);
  SetCursor(nullptr);
  EXPECT_EQ(RecordingBackend::Pointer(), 0);
}

}  // namespace

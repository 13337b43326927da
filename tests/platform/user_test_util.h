// Helpers for the USER tests: a window procedure that records what it receives, a class to
// create windows with, and the tests' base.
#ifndef QV_TESTS_PLATFORM_USER_TEST_UTIL_H
#define QV_TESTS_PLATFORM_USER_TEST_UTIL_H

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "platform_test.h"

namespace usertest {

struct Received {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Everything the recording procedure saw, in order.
inline std::vector<Received>& Log() {
  static std::vector<Received> log;
  return log;
}

// Optional per-test reaction: return true with a result to keep a message from
// DefWindowProcA.
inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>& Override() {
  static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> f;
  return f;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back({hwnd, message, wParam, lParam});
  LRESULT result = 0;
  if (Override() && Override()(hwnd, message, wParam, lParam, &result)) return result;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline void RegisterTestClass() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = RecordingProc;
  wc.cbWndExtra = 8;
  wc.lpszClassName = "UserTest";
  RegisterClassA(&wc);  // a second registration fails harmlessly
}

inline HWND CreateTestWindow(DWORD style = WS_VISIBLE | WS_SYSMENU, DWORD exStyle = 0,
                             HWND parent = nullptr) {
  RegisterTestClass();
  return CreateWindowExA(exStyle, "UserTest", "Test", style, 0, 0, 800, 600, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// Runs the program's kind of message loop until the queue is empty; false when a WM_QUIT was
// taken.
inline bool PumpAll() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

inline std::vector<UINT> Messages(HWND hwnd) {
  std::vector<UINT> out;
  for (const Received& r : Log()) {
    if (r.hwnd == hwnd) out.push_back(r.message);
  }
  return out;
}

// The window's messages in [first, last] with their wParam.
inline std::vector<std::pair<UINT, WPARAM>> MessagesWithWParam(HWND hwnd, UINT first = 0,
                                                               UINT last = ~0u) {
  std::vector<std::pair<UINT, WPARAM>> out;
  for (const Received& r : Log()) {
    if (r.hwnd == hwnd && r.message >= first && r.message <= last) {
      out.emplace_back(r.message, r.wParam);
    }
  }
  return out;
}

// A rectangle as {left, top, right, bottom}, to compare in one go.
inline std::vector<LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// A fresh platform, and the recording procedure with an empty log and no reaction.
class UserTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Log().clear();
    Override() = nullptr;
  }
};

}  // namespace usertest

#endif

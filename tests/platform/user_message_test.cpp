// The message queue, dispatch, the default window procedure, window-system events and the key
// state: GetAsyncKeyState follows the devices now, GetKeyState the key messages taken.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "host.h"
#include "user_test_util.h"

using namespace usertest;

namespace {

constexpr uint8_t kEsc = 0x01, kA = 0x1E, kLeftShift = 0x2A, kLeftAlt = 0x38, kF4 = 0x3E,
                  kRightCtrl = 0x9D;

bool Contains(const std::vector<UINT>& v, UINT m) {
  return std::find(v.begin(), v.end(), m) != v.end();
}

class MessageTest : public UserTest {
 protected:
  // A window with its creation's messages handled and forgotten.
  HWND Window() {
    HWND w = CreateTestWindow();
    PumpAll();
    Log().clear();
    return w;
  }
};

TEST_F(MessageTest, QuitEndsGetMessageWithItsCodeAfterPostedMessages) {
  // A WM_QUIT posted like any other message comes back in order with its code.
  ASSERT_TRUE(PostMessageA(nullptr, WM_USER, 1, 2));
  ASSERT_TRUE(PostMessageA(nullptr, WM_QUIT, 42, 0));
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.wParam, 42u);

  // PostQuitMessage sets a flag that waits behind messages posted after it.
  PostQuitMessage(7);
  PostMessageA(nullptr, WM_USER + 1, 0, 0);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  // Taken once: the queue is empty again.
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(MessageTest, PeekWithoutRemovingAndFilters) {
  HWND w = Window();
  PostMessageA(w, WM_USER, 5, 6);
  PostQuitMessage(3);
  MSG msg;
  // PM_NOREMOVE leaves the message where it is, as often as asked.
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.hwnd, w);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(msg.wParam, 5u);
  }
  // A range that leaves it out skips to the quit; a window filter never sees the quit.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  ASSERT_TRUE(PeekMessageA(&msg, w, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_FALSE(PeekMessageA(&msg, w, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MessageTest, SendRunsTheProcedureAtOnceAndPostWaitsForDispatch) {
  HWND w = Window();
  Override() = [](HWND, UINT m, WPARAM wp, LPARAM, LRESULT* r) {
    if (m != WM_USER) return false;
    *r = static_cast<LRESULT>(wp * 2);
    return true;
  };
  EXPECT_EQ(SendMessageA(w, WM_USER, 21, 0), 42);
  ASSERT_EQ(Log().size(), 1u);
  PostMessageA(w, WM_USER, 1, 0);
  EXPECT_EQ(Log().size(), 1u);
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(DispatchMessageA(&msg), 2);
  EXPECT_EQ(Log().size(), 2u);
}

TEST_F(MessageTest, CloseButtonAndAltF4DestroyThroughTheDefaultHandling) {
  const std::vector<UINT> closing = {WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY};
  for (void (*close)() : {qvhost::CloseWindow, qvhost::AltF4}) {
    HWND w = Window();
    close();
    PumpAll();
    std::vector<UINT> seen = Messages(w);
    seen.erase(
        std::remove_if(seen.begin(), seen.end(), [&](UINT m) { return !Contains(closing, m); }),
        seen.end());
    EXPECT_EQ(seen, closing);
    EXPECT_EQ(Messages(w).back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(w));
  }
}

TEST_F(MessageTest, ProgramThatKeepsCloseToItselfKeepsItsWindow) {
  HWND w = Window();
  Override() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m != WM_CLOSE) return false;
    PostQuitMessage(0);
    *r = 0;
    return true;
  };
  qvhost::CloseWindow();
  EXPECT_FALSE(PumpAll());
  EXPECT_TRUE(IsWindow(w));
}

TEST_F(MessageTest, KeyMessagesCarryWindowsLParam) {
  HWND w = Window();
  qvhost::TapKey(kEsc);
  qvhost::Key(kRightCtrl, true);
  qvhost::Key(kRightCtrl, true);  // auto-repeat
  qvhost::Key(kRightCtrl, false);
  qvhost::Key(kLeftAlt, true);
  qvhost::Key(kF4, true);
  qvhost::Key(kF4, false);
  qvhost::Key(kLeftAlt, false);
  struct Expected {
    UINT message;
    WPARAM vk;
    DWORD lParam;
  } expected[] = {
      {WM_KEYDOWN, VK_ESCAPE, 0x00010001},  {WM_KEYUP, VK_ESCAPE, 0xC0010001},
      {WM_KEYDOWN, VK_CONTROL, 0x011D0001}, {WM_KEYDOWN, VK_CONTROL, 0x411D0001},
      {WM_KEYUP, VK_CONTROL, 0xC11D0001},   {WM_SYSKEYDOWN, VK_MENU, 0x20380001},
      {WM_SYSKEYDOWN, VK_F4, 0x203E0001},   {WM_SYSKEYUP, VK_F4, 0xE03E0001},
      {WM_SYSKEYUP, VK_MENU, 0xC0380001},
  };
  MSG msg;
  for (const Expected& e : expected) {
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, w);
    EXPECT_EQ(msg.message, e.message);
    EXPECT_EQ(msg.wParam, e.vk);
    EXPECT_EQ(static_cast<DWORD>(msg.lParam), e.lParam) << std::hex << e.lParam;
  }
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
}

TEST_F(MessageTest, TranslateGivesCharactersWithTheShiftOfTheirTime) {
  HWND w = Window();
  qvhost::TapKey(kA);
  qvhost::Key(kLeftShift, true);
  qvhost::TapKey(kA);
  qvhost::Key(kLeftShift, false);
  PumpAll();
  std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}, {WM_KEYUP, 'A'}, {WM_KEYDOWN, VK_SHIFT},
      {WM_KEYDOWN, 'A'}, {WM_CHAR, 'A'}, {WM_KEYUP, 'A'}, {WM_KEYUP, VK_SHIFT},
  };
  EXPECT_EQ(MessagesWithWParam(w, WM_KEYFIRST, WM_KEYLAST), expected);
}

TEST_F(MessageTest, CharactersFollowTheUsLayout) {
  constexpr uint8_t k1 = 0x02, kSlash = 0x35, kNum7 = 0x47, kNumDivide = 0xB5, kLeftCtrl = 0x1D;
  HWND w = Window();
  for (uint8_t key : {k1, kSlash, kNum7, kNumDivide}) qvhost::TapKey(key);
  qvhost::Key(kLeftShift, true);
  for (uint8_t key : {k1, kSlash, kA}) qvhost::TapKey(key);
  qvhost::Key(kLeftShift, false);
  qvhost::Key(kLeftCtrl, true);
  for (uint8_t key : {kA, k1}) qvhost::TapKey(key);  // a control code; nothing
  qvhost::Key(kLeftCtrl, false);
  PumpAll();
  std::string typed;
  for (const Received& r : Log()) {
    if (r.hwnd == w && r.message == WM_CHAR) typed += static_cast<char>(r.wParam);
  }
  EXPECT_EQ(typed, "1/7/!?A\x01");
}

TEST_F(MessageTest, FocusChangesReachTheWindowAndKeysStopWhileAway) {
  HWND w = Window();
  EXPECT_EQ(GetFocus(), w);
  qvhost::FocusLost();
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  qvhost::TapKey(kEsc);  // another program's key
  PumpAll();
  using Seen = std::vector<std::pair<UINT, WPARAM>>;
  EXPECT_EQ(Log().size(), 2u);  // no key
  EXPECT_EQ(MessagesWithWParam(w), (Seen{{WM_ACTIVATE, WA_INACTIVE}, {WM_ACTIVATEAPP, FALSE}}));

  Log().clear();
  qvhost::FocusRegained();
  EXPECT_EQ(GetForegroundWindow(), w);
  PumpAll();
  EXPECT_EQ(MessagesWithWParam(w), (Seen{{WM_ACTIVATEAPP, TRUE}, {WM_ACTIVATE, WA_ACTIVE}}));
  qvhost::TapKey(kEsc);
  EXPECT_TRUE(PumpAll());
  EXPECT_TRUE(Contains(Messages(w), WM_KEYDOWN));
}

TEST_F(MessageTest, AsyncKeyStateFollowsTheDevicesAndKeyStateTheMessagesTaken) {
  Window();
  qvhost::Key(kLeftShift, true);
  qvhost::Key(kA, true);
  qvhost::MouseButton(0, true);
  for (int vk : {VK_SHIFT, VK_LSHIFT, int('A'), VK_LBUTTON}) {
    EXPECT_NE(GetAsyncKeyState(vk) & 0x8000, 0) << vk;
  }
  for (int vk : {VK_RSHIFT, VK_RBUTTON, -1, 1000}) EXPECT_EQ(GetAsyncKeyState(vk), 0) << vk;

  EXPECT_EQ(GetKeyState('A'), 0);  // nothing taken from the queue yet
  PumpAll();
  EXPECT_NE(GetKeyState('A') & 0x8000, 0);
  EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);
  qvhost::Key(kA, false);
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
  EXPECT_NE(GetKeyState('A') & 0x8000, 0);
  PumpAll();
  EXPECT_EQ(GetKeyState('A'), 0);
  EXPECT_EQ(GetKeyState(300), 0);
}

TEST_F(MessageTest, BadHandlesAndBadArgumentsFailCleanly) {
  HWND stale = CreateTestWindow(WS_SYSMENU);
  ASSERT_TRUE(DestroyWindow(stale));
  HWND madeUp = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x12345678));
  MSG msg;
  for (HWND bad : {stale, madeUp}) {
    SetLastError(0);
    EXPECT_EQ(SendMessageA(bad, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), 1400u);
    EXPECT_FALSE(PostMessageA(bad, WM_USER, 0, 0));
    EXPECT_FALSE(DestroyWindow(bad));
    EXPECT_FALSE(IsWindow(bad));
    EXPECT_EQ(DefWindowProcA(bad, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(PeekMessageA(&msg, bad, 0, 0, PM_REMOVE));
    EXPECT_EQ(GetMessageA(&msg, bad, 0, 0), -1);
    msg.hwnd = bad;
    msg.message = WM_CLOSE;
    EXPECT_EQ(DispatchMessageA(&msg), 0);
  }
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  EXPECT_EQ(DispatchMessageA(nullptr), 0);
  EXPECT_FALSE(TranslateMessage(nullptr));
  // Nothing can arrive in the headless backend: an empty queue gives an error, not a hang.
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
  EXPECT_FALSE(WaitMessage());
}

TEST_F(MessageTest, QueueRefusesPostsPastItsLimit) {
  int accepted = 0;
  while (accepted < 20000 && PostMessageA(nullptr, WM_USER, 0, 0)) ++accepted;
  EXPECT_EQ(accepted, 10000);
  EXPECT_EQ(GetLastError(), 1816u);
}

}  // namespace

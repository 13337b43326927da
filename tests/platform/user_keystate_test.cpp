// GetAsyncKeyState follows the keyboard and mouse now; GetKeyState follows the key messages the
// program has taken from its queue.
#include <dinput.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "platform_test.h"

namespace {

using KeyStateTest = PlatformTest;

TEST_F(KeyStateTest, AsyncStateFollowsTheDevicesAndQueuedStateFollowsTheMessages) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "KeyStateTest";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "KeyStateTest", "", WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);

  qvhost::Key(DIK_LSHIFT, true);
  qvhost::Key(DIK_A, true);
  qvhost::MouseButton(0, true);
  EXPECT_NE(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0);
  EXPECT_NE(GetAsyncKeyState(VK_LSHIFT) & 0x8000, 0);
  EXPECT_EQ(GetAsyncKeyState(VK_RSHIFT), 0);
  EXPECT_NE(GetAsyncKeyState('A') & 0x8000, 0);
  EXPECT_NE(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0);
  EXPECT_EQ(GetAsyncKeyState(VK_RBUTTON), 0);
  EXPECT_EQ(GetAsyncKeyState(-1), 0);
  EXPECT_EQ(GetAsyncKeyState(1000), 0);

  // Nothing taken from the queue yet.
  EXPECT_EQ(GetKeyState('A'), 0);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_NE(GetKeyState('A') & 0x8000, 0);
  EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);

  qvhost::Key(DIK_A, false);
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
  EXPECT_NE(GetKeyState('A') & 0x8000, 0);
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(GetKeyState('A'), 0);
  EXPECT_EQ(GetKeyState(300), 0);
}

}  // namespace

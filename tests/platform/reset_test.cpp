// The test host's Reset between two programs in one process: the second starts as if alone, and
// what the first still holds stays safe to use and release.
#include <ddraw.h>
#include <dinput.h>
#include <windows.h>

#include "platform_test.h"

namespace {

using ResetTest = PlatformTest;

TEST_F(ResetTest, TheNextProgramStartsAloneAndTheLastOnesObjectsStaySafe) {
  // The first program: a focused window, a full-screen exclusive display with a flipping chain,
  // an exclusively acquired keyboard, a device context, a file, queued messages, a held key.
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "ResetTest";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND first = CreateWindowExA(0, "ResetTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                               nullptr, nullptr, nullptr);
  IDirectDraw* v1 = nullptr;
  IDirectDraw4* dd = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &v1, nullptr), DD_OK);
  ASSERT_EQ(v1->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd)), DD_OK);
  v1->Release();
  ASSERT_EQ(dd->SetCooperativeLevel(first, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 8, 0, 0), DD_OK);
  DDSURFACEDESC2 desc = {};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  desc.dwBackBufferCount = 1;
  IDirectDrawSurface4* primary = nullptr;
  ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
  HDC surfaceDC = nullptr;
  ASSERT_EQ(primary->GetDC(&surfaceDC), DD_OK);
  IDirectInputA* di = nullptr;
  IDirectInputDeviceA* keyboard = nullptr;
  ASSERT_EQ(DirectInputCreateA(nullptr, 0x0500, &di, nullptr), DI_OK);
  ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  ASSERT_EQ(keyboard->SetCooperativeLevel(first, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  HDC memoryDC = CreateCompatibleDC(nullptr);
  PostMessageA(first, WM_USER, 0, 0);
  PostQuitMessage(1);
  qvhost::Key(DIK_LSHIFT, true);
  ASSERT_EQ(GetFocus(), first);

  qvhost::Reset();

  // The second program sees none of it.
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_EQ(GetObjectType(memoryDC), 0u);
  EXPECT_NE(RegisterClassA(&wc), 0) << "the class went with the program";
  HWND second = CreateWindowExA(0, "ResetTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(second, first);
  EXPECT_EQ(GetFocus(), second);
  IDirectDraw4* other = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &v1, nullptr), DD_OK);
  ASSERT_EQ(v1->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&other)), DD_OK);
  v1->Release();
  DDSURFACEDESC2 mode = {};
  mode.dwSize = sizeof mode;
  ASSERT_EQ(other->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 1024u) << "the desktop's mode again";
  ASSERT_EQ(other->SetCooperativeLevel(second, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  ASSERT_EQ(other->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
  IDirectInputDeviceA* otherKeyboard = nullptr;
  ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, &otherKeyboard, nullptr), DI_OK);
  ASSERT_EQ(otherKeyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  ASSERT_EQ(otherKeyboard->SetCooperativeLevel(second, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  EXPECT_EQ(otherKeyboard->Acquire(), DI_OK);

  // The first program's objects answer and go without touching the second's display.
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  primary->ReleaseDC(surfaceDC);
  BYTE keys[256];
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_INPUTLOST);
  EXPECT_EQ(primary->Release(), 0u);
  EXPECT_EQ(dd->Release(), 0u);
  keyboard->Release();
  ASSERT_EQ(other->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 800u);
  otherKeyboard->Release();
  di->Release();
  other->Release();
}

}  // namespace

// DirectInput 5: devices, data formats, cooperative levels, acquisition and device state.
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0500
#endif
#include <dinput.h>

#include <cstring>

#include "conform.h"

namespace {

HWND window;

int keyboards = 0;
BOOL CALLBACK CountDevice(LPCDIDEVICEINSTANCEA instance, LPVOID) {
  if (GET_DIDEVICE_TYPE(instance->dwDevType) == DIDEVTYPE_KEYBOARD) ++keyboards;
  return DIENUM_CONTINUE;
}

void TestCreation(IDirectInputA* di) {
  IDirectInputDeviceA* device = nullptr;
  ok(di->CreateDevice(GUID_Joystick, &device, nullptr) != DI_OK || device,
     "a failed CreateDevice gave a device\n");
  if (device) device->Release();
  GUID unknown = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  device = reinterpret_cast<IDirectInputDeviceA*>(1);
  ok(di->CreateDevice(unknown, &device, nullptr) == DIERR_DEVICENOTREG && !device,
     "an unknown device\n");
  ok(di->EnumDevices(DIDEVTYPE_KEYBOARD, CountDevice, nullptr, DIEDFL_ATTACHEDONLY) == DI_OK &&
         keyboards == 1,
     "%d keyboards\n", keyboards);
}

void TestMouse(IDirectInputA* di) {
  IDirectInputDeviceA* mouse = nullptr;
  ok(di->CreateDevice(GUID_SysMouse, &mouse, nullptr) == DI_OK && mouse, "mouse\n");
  if (!mouse) return;
  DIDEVCAPS caps;
  std::memset(&caps, 0, sizeof caps);
  caps.dwSize = sizeof caps;
  ok(mouse->GetCapabilities(&caps) == DI_OK &&
         GET_DIDEVICE_TYPE(caps.dwDevType) == DIDEVTYPE_MOUSE && caps.dwAxes >= 2 &&
         caps.dwButtons >= 2,
     "mouse capabilities: %u axes, %u buttons\n", caps.dwAxes, caps.dwButtons);
  ok(mouse->Acquire() == DIERR_INVALIDPARAM, "Acquire without a data format\n");

  DIDATAFORMAT bad = c_dfDIMouse;
  bad.dwSize = 0;
  ok(mouse->SetDataFormat(&bad) == DIERR_INVALIDPARAM, "a data format of no size\n");
  ok(mouse->SetDataFormat(nullptr) == E_POINTER, "no data format\n");
  ok(mouse->SetDataFormat(&c_dfDIMouse) == DI_OK, "c_dfDIMouse\n");

  // The cooperative levels: a window is needed unless in the background non-exclusively, and
  // the system mouse cannot be had exclusively in the background.
  ok(mouse->SetCooperativeLevel(nullptr, DISCL_FOREGROUND) == DIERR_INVALIDPARAM,
     "foreground alone\n");
  ok(mouse->SetCooperativeLevel(nullptr, DISCL_FOREGROUND | DISCL_EXCLUSIVE) == E_HANDLE,
     "foreground exclusive without a window\n");
  ok(mouse->SetCooperativeLevel(nullptr, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE) == E_HANDLE,
     "foreground without a window\n");
  ok(mouse->SetCooperativeLevel(nullptr, DISCL_BACKGROUND | DISCL_EXCLUSIVE) == E_HANDLE,
     "background exclusive without a window\n");
  ok(mouse->SetCooperativeLevel(nullptr, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE) == DI_OK,
     "background without a window\n");
  ok(mouse->SetCooperativeLevel(window, DISCL_BACKGROUND) == DIERR_INVALIDPARAM,
     "background alone\n");
  ok(mouse->SetCooperativeLevel(window, DISCL_BACKGROUND | DISCL_EXCLUSIVE) == DIERR_UNSUPPORTED,
     "the system mouse exclusively in the background\n");
  ok(mouse->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_EXCLUSIVE) == DI_OK,
     "foreground exclusive\n");
  ok(mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND) ==
         DIERR_INVALIDPARAM,
     "exclusive and non-exclusive\n");
  ok(mouse->SetCooperativeLevel(window, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE) == DI_OK,
     "background non-exclusive\n");

  DIPROPDWORD buffer;
  std::memset(&buffer, 0, sizeof buffer);
  buffer.diph.dwSize = sizeof buffer;
  buffer.diph.dwHeaderSize = sizeof buffer.diph;
  buffer.diph.dwHow = DIPH_DEVICE;
  buffer.dwData = 16;
  ok(mouse->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph) == DI_OK, "DIPROP_BUFFERSIZE\n");
  buffer.diph.dwHeaderSize = 0;
  ok(mouse->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph) == DIERR_INVALIDPARAM,
     "a property header of no size\n");
  buffer.diph.dwHeaderSize = sizeof buffer.diph;

  DIMOUSESTATE state;
  ok(mouse->GetDeviceState(sizeof state, &state) == DIERR_NOTACQUIRED, "state before Acquire\n");
  ok(mouse->Acquire() == DI_OK, "Acquire\n");
  ok(mouse->Acquire() == S_FALSE, "Acquire twice\n");
  ok(mouse->SetDataFormat(&c_dfDIMouse) == DIERR_ACQUIRED, "format while acquired\n");
  ok(mouse->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph) == DIERR_ACQUIRED,
     "buffer size while acquired\n");
  ok(mouse->SetCooperativeLevel(window, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE) == DIERR_ACQUIRED,
     "level while acquired\n");
  std::memset(&state, 0xAB, sizeof state);
  ok(mouse->GetDeviceState(sizeof state, &state) == DI_OK, "GetDeviceState\n");
  ok(state.rgbButtons[0] == 0 || state.rgbButtons[0] == 0x80, "button byte %02x\n",
     state.rgbButtons[0]);
  ok(mouse->GetDeviceState(sizeof state - 1, &state) == DIERR_INVALIDPARAM, "a short state\n");
  DIDEVICEOBJECTDATA data[4];
  DWORD count = 4;
  ok(mouse->GetDeviceData(sizeof data[0], data, &count, DIGDD_PEEK) == DI_OK, "GetDeviceData\n");
  ok(mouse->Unacquire() == DI_OK, "Unacquire\n");
  ok(mouse->Unacquire() == DI_NOEFFECT, "Unacquire twice\n");
  ok(mouse->Release() == 0, "mouse's last reference\n");
}

void TestKeyboard(IDirectInputA* di) {
  IDirectInputDeviceA* keyboard = nullptr;
  ok(di->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr) == DI_OK && keyboard, "keyboard\n");
  if (!keyboard) return;
  ok(keyboard->SetDataFormat(&c_dfDIKeyboard) == DI_OK, "c_dfDIKeyboard\n");
  ok(keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND) == DI_OK,
     "keyboard level\n");
  ok(keyboard->Acquire() == DI_OK, "Acquire\n");
  BYTE keys[256];
  std::memset(keys, 0xAB, sizeof keys);
  ok(keyboard->GetDeviceState(sizeof keys, keys) == DI_OK, "keyboard state\n");
  bool plain = true;
  for (BYTE k : keys) plain &= k == 0 || k == 0x80;
  ok(plain, "key bytes other than 0 and 0x80\n");
  ok(keyboard->GetDeviceState(255, keys) == DIERR_INVALIDPARAM, "a short keyboard state\n");

  DIDEVICEOBJECTINSTANCEA object;
  std::memset(&object, 0, sizeof object);
  object.dwSize = sizeof object;
  ok(keyboard->GetObjectInfo(&object, DIK_ESCAPE, DIPH_BYOFFSET) == DI_OK &&
         object.dwOfs == DIK_ESCAPE && object.tszName[0] != 0,
     "the Escape key's object\n");
  ok(keyboard->Unacquire() == DI_OK, "Unacquire\n");
  ok(keyboard->Release() == 0, "keyboard's last reference\n");
}

}  // namespace

void RunDirectInput() {
  window = conform::MakeWindow(320, 240);
  IDirectInputA* di = nullptr;
  ok(DirectInputCreateA(GetModuleHandleA(nullptr), 0x0500, &di, nullptr) == DI_OK && di,
     "DirectInputCreateA\n");
  if (!di) return;
  TestCreation(di);
  TestMouse(di);
  TestKeyboard(di);
  ok(di->Release() == 0, "DirectInput's last reference\n");
  DestroyWindow(window);
}

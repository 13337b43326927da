// DirectInput 5 devices on the headless backend: cooperative levels, acquisition and the focus,
// keyboard, mouse and joystick snapshots, properties, record sizes and reference counts.
#include <algorithm>
#include <cstring>

#include "dinput_test_util.h"

namespace {

using ditest::DInputTest;
using ditest::FakeWindow;

TEST_F(DInputTest, CreationAcceptsReleasedVersionsAndAnswersOthers) {
  LPDIRECTINPUT other = nullptr;
  EXPECT_EQ(DirectInputCreateA(nullptr, 0x0800, &other, nullptr), DIERR_OLDDIRECTINPUTVERSION);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(DirectInputCreateA(nullptr, 0x0123, &other, nullptr), DIERR_BETADIRECTINPUTVERSION);
  EXPECT_EQ(DirectInputCreateA(nullptr, 0, &other, nullptr), DIERR_NOTINITIALIZED);
  EXPECT_EQ(DirectInputCreateA(nullptr, 0x0500, nullptr, nullptr), DIERR_INVALIDPARAM);

  qvhost::FailCall("DirectInputCreateA", DIERR_OUTOFMEMORY);
  EXPECT_EQ(DirectInputCreateA(nullptr, 0x0500, &other, nullptr), DIERR_OUTOFMEMORY);
  EXPECT_EQ(other, nullptr);
  ASSERT_EQ(DirectInputCreateA(nullptr, 0x0300, &other, nullptr), DI_OK);
  EXPECT_EQ(other->Release(), 0u);

  LPDIRECTINPUTDEVICE device = nullptr;
  EXPECT_EQ(di_->CreateDevice(GUID_Joystick, &device, nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(di_->CreateDevice(GUID_SysMouse, nullptr, nullptr), DIERR_INVALIDPARAM);
}

TEST_F(DInputTest, CooperativeLevelNeedsOneOfEachPair) {
  LPDIRECTINPUTDEVICE mouse = Create(GUID_SysMouse, c_dfDIMouse);
  LPDIRECTINPUTDEVICE keyboard = Create(GUID_SysKeyboard, c_dfDIKeyboard);
  ASSERT_TRUE(mouse && keyboard);
  HWND w = FakeWindow();
  for (DWORD level : {DWORD(DISCL_FOREGROUND), DWORD(DISCL_EXCLUSIVE),
                      DWORD(DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
                      DWORD(DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | 0x100)}) {
    EXPECT_EQ(mouse->SetCooperativeLevel(w, level), DIERR_INVALIDPARAM) << std::hex << level;
  }
  EXPECT_EQ(keyboard->SetCooperativeLevel(w, DISCL_EXCLUSIVE | DISCL_BACKGROUND),
            DIERR_UNSUPPORTED);
  EXPECT_EQ(keyboard->SetCooperativeLevel(w, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  EXPECT_EQ(mouse->SetCooperativeLevel(w, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  EXPECT_EQ(mouse->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), E_HANDLE);

  // The level can't change while the device is acquired.
  ASSERT_EQ(mouse->Acquire(), DI_OK);
  EXPECT_EQ(mouse->Acquire(), S_FALSE);
  EXPECT_EQ(mouse->SetCooperativeLevel(w, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DIERR_ACQUIRED);
  EXPECT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DIERR_ACQUIRED);
}

TEST_F(DInputTest, RefusedForegroundLevelLeavesTheMouseInTheBackground) {
  // The engine asks a non-exclusive mouse for DISCL_FOREGROUND alone and ignores the refusal.
  LPDIRECTINPUTDEVICE mouse = Create(GUID_SysMouse, c_dfDIMouse);
  ASSERT_TRUE(mouse);
  EXPECT_EQ(mouse->SetCooperativeLevel(FakeWindow(), DISCL_FOREGROUND), DIERR_INVALIDPARAM);

  qvhost::FocusLost();
  ASSERT_EQ(mouse->Acquire(), DI_OK);  // background: acquired without the focus
  qvhost::MouseMotion(4, 0);
  DIMOUSESTATE state;
  ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 4);
  qvhost::FocusRegained();
  qvhost::FocusLost();
  EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
}

TEST_F(DInputTest, FocusLossUnacquiresForegroundDevices) {
  LPDIRECTINPUTDEVICE keyboard =
      Create(GUID_SysKeyboard, c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  LPDIRECTINPUTDEVICE mouse =
      Create(GUID_SysMouse, c_dfDIMouse, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
  ASSERT_TRUE(keyboard && mouse);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  ASSERT_EQ(mouse->Acquire(), DI_OK);

  qvhost::FocusLost();
  BYTE keys[256];
  DIMOUSESTATE state;
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_INPUTLOST);
  EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
  // Without the focus a foreground device can't be acquired again.
  EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);

  qvhost::FocusRegained();
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);

  // An explicit Unacquire is not a loss.
  EXPECT_EQ(keyboard->Unacquire(), DI_OK);
  EXPECT_EQ(keyboard->Unacquire(), DI_NOEFFECT);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_NOTACQUIRED);
  EXPECT_EQ(mouse->Unacquire(), DI_NOEFFECT);
  EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DIERR_NOTACQUIRED);
}

TEST_F(DInputTest, KeyboardSnapshotHasBit7ForKeysDown) {
  LPDIRECTINPUTDEVICE keyboard =
      Create(GUID_SysKeyboard, c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  ASSERT_TRUE(keyboard);
  BYTE keys[256];
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_NOTACQUIRED);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);

  qvhost::Key(DIK_A, true);
  qvhost::Key(DIK_RIGHT, true);
  qvhost::TapKey(DIK_SPACE);
  std::fill(keys, keys + 256, 0x55);
  ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
  for (int sc = 0; sc < 256; ++sc) {
    bool down = sc == DIK_A || sc == DIK_RIGHT;
    EXPECT_EQ(keys[sc] & 0x80, down ? 0x80 : 0) << "scan code " << sc;
    EXPECT_EQ(keys[sc] & 0x7F, 0) << "scan code " << sc;
  }
  qvhost::Key(DIK_A, false);
  ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
  EXPECT_EQ(keys[DIK_A], 0);
  EXPECT_EQ(keys[DIK_RIGHT], 0x80);

  EXPECT_EQ(keyboard->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->GetDeviceState(257, keys), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->GetDeviceState(256, nullptr), DIERR_INVALIDPARAM);
}

TEST_F(DInputTest, MouseMotionAccumulatesBetweenReadsAndResets) {
  LPDIRECTINPUTDEVICE mouse =
      Create(GUID_SysMouse, c_dfDIMouse, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
  ASSERT_TRUE(mouse);
  qvhost::MouseMotion(100, 100);  // before Acquire: not counted
  ASSERT_EQ(mouse->Acquire(), DI_OK);

  qvhost::MouseMotion(5, 3);
  qvhost::MouseMotion(2, -1);
  qvhost::MouseButton(1, true);
  // X, Y, Z and the first three buttons.
  auto read = [mouse] {
    DIMOUSESTATE s = {};
    EXPECT_EQ(mouse->GetDeviceState(sizeof s, &s), DI_OK);
    return std::vector<LONG>{s.lX, s.lY, s.lZ, s.rgbButtons[0], s.rgbButtons[1], s.rgbButtons[2]};
  };
  EXPECT_EQ(read(), (std::vector<LONG>{7, 2, 0, 0, 0x80, 0}));
  EXPECT_EQ(read(), (std::vector<LONG>{0, 0, 0, 0, 0x80, 0}));

  // A failed read (wrong size) does not use up the motion.
  qvhost::MouseMotion(-9, 0);
  DIMOUSESTATE state;
  EXPECT_EQ(mouse->GetDeviceState(12, &state), DIERR_INVALIDPARAM);
  EXPECT_EQ(read()[0], -9);

  // Motion while unacquired is dropped, as on Windows.
  ASSERT_EQ(mouse->Unacquire(), DI_OK);
  qvhost::MouseMotion(30, 30);
  ASSERT_EQ(mouse->Acquire(), DI_OK);
  EXPECT_EQ(read()[0], 0);
}

TEST_F(DInputTest, JoystickIsListedOnlyWhileAttached) {
  // The number of devices listed.
  auto listed = [this](DWORD type, DWORD flags) {
    int calls = 0;
    auto count = [](LPCDIDEVICEINSTANCEA, LPVOID ref) -> BOOL {
      ++*static_cast<int*>(ref);
      return DIENUM_CONTINUE;
    };
    EXPECT_EQ(di_->EnumDevices(type, count, &calls, flags), DI_OK);
    return calls;
  };
  EXPECT_EQ(listed(DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY), 0);
  EXPECT_EQ(CreateJoystick(), nullptr);

  plat::events::JoystickAttached(true, "Test Pad", 10);
  EXPECT_EQ(listed(DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY), 1);
  EXPECT_EQ(listed(0, DIEDFL_ALLDEVICES), 3);  // mouse, keyboard, joystick
  EXPECT_EQ(di_->EnumDevices(DIDEVTYPE_JOYSTICK, nullptr, nullptr, 0), DIERR_INVALIDPARAM);

  qvhost::Withdraw(qvhost::Capability::Joystick);
  EXPECT_EQ(listed(DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY), 0);
}

TEST_F(DInputTest, JoystickAxesFollowRangeAndDeadZone) {
  plat::events::JoystickAttached(true, "Test Pad", 10);
  LPDIRECTINPUTDEVICE2 joystick = CreateJoystick();
  ASSERT_NE(joystick, nullptr);
  ASSERT_EQ(joystick->SetDataFormat(&c_dfDIJoystick), DI_OK);
  ASSERT_EQ(joystick->SetCooperativeLevel(FakeWindow(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
            DI_OK);

  auto range = ditest::Property<DIPROPRANGE>(DIPH_BYOFFSET);
  range.lMin = -1000;
  range.lMax = 1000;
  auto dead = ditest::Property<DIPROPDWORD>(DIPH_BYOFFSET);
  dead.dwData = 1000;
  for (DWORD axis : {DWORD(DIJOFS_X), DWORD(DIJOFS_Y)}) {
    range.diph.dwObj = axis;
    ASSERT_EQ(joystick->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
    dead.diph.dwObj = axis;
    ASSERT_EQ(joystick->SetProperty(DIPROP_DEADZONE, &dead.diph), DI_OK);
  }
  ASSERT_EQ(joystick->Acquire(), DI_OK);
  EXPECT_EQ(joystick->Poll(), DI_NOEFFECT);

  struct Case {
    int raw;
    LONG expected;
  };
  // 10 % dead zone: 3000 of 32767 (9 %) reads centred; half travel reads (0.5 - 0.1) / 0.9.
  const Case cases[] = {{0, 0},          {3000, 0},    {-3000, 0},    {32767, 1000},
                        {-32768, -1000}, {16384, 444}, {-16384, -444}};
  for (const Case& c : cases) {
    plat::events::JoystickAxis(0, c.raw);
    plat::events::JoystickAxis(1, -c.raw);
    DIJOYSTATE state;
    ASSERT_EQ(joystick->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, c.expected) << "raw " << c.raw;
    EXPECT_EQ(state.lY, -c.expected) << "raw " << c.raw;
  }

  // Axes left at their defaults read 0..65535; POVs with no hat read centred.
  plat::events::JoystickAxis(2, 32767);
  plat::events::JoystickButton(3, true);
  DIJOYSTATE state;
  ASSERT_EQ(joystick->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lZ, 65535);
  EXPECT_EQ(state.rgdwPOV[0], 0xFFFFFFFFu);
  EXPECT_EQ(state.rgbButtons[3], 0x80);
  EXPECT_EQ(state.rgbButtons[2], 0);
  EXPECT_EQ(joystick->GetDeviceState(sizeof(DIMOUSESTATE), &state), DIERR_INVALIDPARAM);

  // The range reads back; a range the wrong way round is refused.
  auto read = ditest::Property<DIPROPRANGE>(DIPH_BYOFFSET, DIJOFS_Y);
  ASSERT_EQ(joystick->GetProperty(DIPROP_RANGE, &read.diph), DI_OK);
  EXPECT_EQ(read.lMin, -1000);
  EXPECT_EQ(read.lMax, 1000);
  range.lMin = 5;
  range.lMax = 5;
  EXPECT_EQ(joystick->SetProperty(DIPROP_RANGE, &range.diph), DIERR_INVALIDPARAM);

  // The joystick goes away: the next read reports the loss.
  plat::events::JoystickAttached(false, "", 0);
  EXPECT_EQ(joystick->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
  EXPECT_EQ(joystick->Acquire(), DIERR_INPUTLOST);
}

TEST_F(DInputTest, RecordAndPropertySizesAreChecked) {
  plat::events::JoystickAttached(true, "Test Pad", 10);
  LPDIRECTINPUTDEVICE2 joystick = CreateJoystick();
  ASSERT_NE(joystick, nullptr);

  DIDEVCAPS caps = {};
  caps.dwSize = sizeof caps;
  ASSERT_EQ(sizeof caps, 44u);
  ASSERT_EQ(joystick->GetCapabilities(&caps), DI_OK);
  EXPECT_EQ(caps.dwButtons, 10u);
  EXPECT_EQ(GET_DIDEVICE_TYPE(caps.dwDevType), DIDEVTYPE_JOYSTICK);
  caps.dwSize = 40;
  EXPECT_EQ(joystick->GetCapabilities(&caps), DIERR_INVALIDPARAM);
  caps.dwSize = sizeof(DIDEVCAPS_DX3);
  EXPECT_EQ(joystick->GetCapabilities(&caps), DI_OK);

  DIDEVICEINSTANCEA info;
  std::memset(&info, 0, sizeof info);
  info.dwSize = sizeof info;
  ASSERT_EQ(sizeof info, 580u);
  ASSERT_EQ(joystick->GetDeviceInfo(&info), DI_OK);
  EXPECT_EQ(GET_DIDEVICE_SUBTYPE(info.dwDevType), DIDEVTYPEJOYSTICK_GAMEPAD);
  EXPECT_STREQ(info.tszInstanceName, "Test Pad");
  info.dwSize = 579;
  EXPECT_EQ(joystick->GetDeviceInfo(&info), DIERR_INVALIDPARAM);

  ASSERT_EQ(joystick->SetDataFormat(&c_dfDIJoystick), DI_OK);
  auto prop = ditest::Property<DIPROPDWORD>();
  EXPECT_EQ(joystick->SetProperty(DIPROP_BUFFERSIZE, &prop.diph), DI_OK);
  prop.diph.dwHeaderSize = 20;
  EXPECT_EQ(joystick->SetProperty(DIPROP_BUFFERSIZE, &prop.diph), DIERR_INVALIDPARAM);
  prop.diph.dwHeaderSize = sizeof prop.diph;
  prop.diph.dwSize = sizeof(DIPROPRANGE);
  EXPECT_EQ(joystick->SetProperty(DIPROP_BUFFERSIZE, &prop.diph), DIERR_INVALIDPARAM);
  EXPECT_EQ(joystick->SetProperty(DIPROP_DEADZONE, &prop.diph), DIERR_INVALIDPARAM);
  prop.diph.dwSize = sizeof prop;
  prop.dwData = 10001;
  EXPECT_EQ(joystick->SetProperty(DIPROP_DEADZONE, &prop.diph), DIERR_INVALIDPARAM);
  prop.dwData = 500;
  prop.diph.dwHow = DIPH_BYOFFSET;
  prop.diph.dwObj = 200;  // no object there
  EXPECT_EQ(joystick->SetProperty(DIPROP_DEADZONE, &prop.diph), DIERR_OBJECTNOTFOUND);
  EXPECT_EQ(joystick->SetProperty(DIPROP_DEADZONE, nullptr), DIERR_INVALIDPARAM);
  EXPECT_EQ(joystick->SetProperty(GUID_XAxis, &prop.diph), DIERR_UNSUPPORTED);

  // The mouse's axes are relative: no range.
  LPDIRECTINPUTDEVICE mouse = Create(GUID_SysMouse, c_dfDIMouse);
  ASSERT_TRUE(mouse);
  auto range = ditest::Property<DIPROPRANGE>(DIPH_BYOFFSET, DIMOFS_X);
  range.lMax = 10;
  EXPECT_EQ(mouse->SetProperty(DIPROP_RANGE, &range.diph), DIERR_UNSUPPORTED);

  // A data format for another device kind finds no objects of its own.
  LPDIRECTINPUTDEVICE keyboard = nullptr;
  ASSERT_EQ(di_->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
  devices_.push_back(keyboard);
  EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIMouse), DIERR_INVALIDPARAM);
  DIDATAFORMAT broken = c_dfDIKeyboard;
  broken.dwSize = 20;
  EXPECT_EQ(keyboard->SetDataFormat(&broken), DIERR_INVALIDPARAM);
  broken = c_dfDIKeyboard;
  broken.dwDataSize = 8;  // objects past the end of the record
  EXPECT_EQ(keyboard->SetDataFormat(&broken), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetDataFormat(nullptr), E_POINTER);
  EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM);  // no format yet
}

TEST_F(DInputTest, ObjectsAreReferenceCounted) {
  LPDIRECTINPUTDEVICE mouse = nullptr;
  ASSERT_EQ(di_->CreateDevice(GUID_SysMouse, &mouse, nullptr), DI_OK);
  LPDIRECTINPUTDEVICE2 mouse2 = nullptr;
  ASSERT_EQ(mouse->QueryInterface(IID_IDirectInputDevice2A, reinterpret_cast<LPVOID*>(&mouse2)),
            DI_OK);
  LPVOID none = reinterpret_cast<LPVOID>(1);
  EXPECT_EQ(mouse->QueryInterface(IID_IDirectInputA, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(mouse->AddRef(), 3u);
  EXPECT_EQ(mouse->Release(), 2u);
  EXPECT_EQ(mouse2->Release(), 1u);

  // The device keeps its DirectInput object alive.
  EXPECT_EQ(di_->Release(), 1u);
  di_ = nullptr;
  ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
  EXPECT_EQ(mouse->Acquire(), DI_OK);
  EXPECT_EQ(mouse->Release(), 0u);

  qvhost::FailCall("IDirectInputDevice(Keyboard)::Acquire", DIERR_OTHERAPPHASPRIO, 2);
  LPDIRECTINPUT di = nullptr;
  ASSERT_EQ(DirectInputCreateA(nullptr, 0x0500, &di, nullptr), DI_OK);
  di_ = di;
  LPDIRECTINPUTDEVICE keyboard = Create(GUID_SysKeyboard, c_dfDIKeyboard);
  LPDIRECTINPUTDEVICE other = Create(GUID_SysMouse, c_dfDIMouse);
  ASSERT_TRUE(keyboard && other);
  EXPECT_EQ(other->Acquire(), DI_OK);  // the fault is for keyboards only
  EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
  EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
  EXPECT_EQ(keyboard->Acquire(), DI_OK);
}

}  // namespace

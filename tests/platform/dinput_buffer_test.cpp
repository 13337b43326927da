// DirectInput's buffered data: every change the platform's input events make to an acquired
// device, in order, with the platform clock's time stamps and one sequence counter.
#include <dinput.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/events.h"
#include "platform_test.h"

namespace {

HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234)); }

class DInputBufferTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    qvhost::UseManualClock(1000);
    ASSERT_EQ(DirectInputCreateA(nullptr, 0x0500, &di_, nullptr), DI_OK);
  }
  void TearDown() override {
    for (IUnknown* d : devices_) d->Release();
    di_->Release();
  }

  // An acquired device that buffers `size` records.
  LPDIRECTINPUTDEVICE Buffered(REFGUID guid, const DIDATAFORMAT& format, DWORD size,
                               DWORD level = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND) {
    LPDIRECTINPUTDEVICE device = nullptr;
    EXPECT_EQ(di_->CreateDevice(guid, &device, nullptr), DI_OK);
    if (!device) return nullptr;
    devices_.push_back(device);
    EXPECT_EQ(device->SetDataFormat(&format), DI_OK);
    EXPECT_EQ(device->SetCooperativeLevel(FakeWindow(), level), DI_OK);
    DIPROPDWORD prop = {{sizeof prop, sizeof prop.diph, 0, DIPH_DEVICE}, size};
    EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &prop.diph), DI_OK);
    EXPECT_EQ(device->Acquire(), DI_OK);
    return device;
  }

  // Reads (or peeks at) up to 16 records; `result` gets GetDeviceData's answer.
  static std::vector<DIDEVICEOBJECTDATA> Read(LPDIRECTINPUTDEVICE device, HRESULT* result,
                                              DWORD flags = 0) {
    std::vector<DIDEVICEOBJECTDATA> records(16);
    DWORD n = 16;
    *result = device->GetDeviceData(sizeof records[0], records.data(), &n, flags);
    records.resize(SUCCEEDED(*result) ? n : 0);
    return records;
  }
  static std::vector<DIDEVICEOBJECTDATA> Read(LPDIRECTINPUTDEVICE device) {
    HRESULT hr;
    std::vector<DIDEVICEOBJECTDATA> records = Read(device, &hr);
    EXPECT_EQ(hr, DI_OK);
    return records;
  }

  LPDIRECTINPUT di_ = nullptr;
  std::vector<IUnknown*> devices_;
};

TEST_F(DInputBufferTest, PressAndReleaseBetweenReadsAreBothQueuedInOrder) {
  LPDIRECTINPUTDEVICE keyboard = Buffered(GUID_SysKeyboard, c_dfDIKeyboard, 8);
  ASSERT_TRUE(keyboard);
  qvhost::AdvanceClock(5);
  qvhost::Key(DIK_A, true);
  qvhost::Key(DIK_A, true);  // auto-repeat is no change
  qvhost::AdvanceClock(3);
  qvhost::Key(DIK_A, false);

  HRESULT hr;
  std::vector<DIDEVICEOBJECTDATA> peeked = Read(keyboard, &hr, DIGDD_PEEK);
  EXPECT_EQ(hr, DI_OK);
  EXPECT_EQ(peeked.size(), 2u);
  std::vector<DIDEVICEOBJECTDATA> records = Read(keyboard);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].dwOfs, DWORD(DIK_A));
  EXPECT_EQ(records[0].dwData, 0x80u);
  EXPECT_EQ(records[0].dwTimeStamp, 1005u);
  EXPECT_EQ(records[1].dwOfs, DWORD(DIK_A));
  EXPECT_EQ(records[1].dwData, 0u);
  EXPECT_EQ(records[1].dwTimeStamp, 1008u);
  EXPECT_TRUE(DISEQUENCE_COMPARE(records[0].dwSequence, <, records[1].dwSequence));
  EXPECT_EQ(peeked[1].dwSequence, records[1].dwSequence);
  EXPECT_TRUE(Read(keyboard).empty());

  // No record array and INFINITE: everything queued goes, and the count says how much.
  qvhost::TapKey(DIK_B);
  DWORD n = INFINITE;
  ASSERT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &n, 0), DI_OK);
  EXPECT_EQ(n, 2u);
  EXPECT_TRUE(Read(keyboard).empty());
}

TEST_F(DInputBufferTest, AFullBufferDropsTheOldestSilentlyOnTheSystemDevices) {
  // A buffer holds one record less than its size.
  LPDIRECTINPUTDEVICE keyboard = Buffered(GUID_SysKeyboard, c_dfDIKeyboard, 3);
  LPDIRECTINPUTDEVICE mouse = Buffered(GUID_SysMouse, c_dfDIMouse, 1);
  ASSERT_TRUE(keyboard && mouse);
  qvhost::Key(DIK_1, true);
  qvhost::Key(DIK_2, true);
  qvhost::Key(DIK_3, true);
  qvhost::MouseButton(0, true);

  HRESULT hr;
  EXPECT_EQ(Read(keyboard, &hr, DIGDD_PEEK).size(), 2u);
  EXPECT_EQ(hr, DI_OK);
  std::vector<DIDEVICEOBJECTDATA> records = Read(keyboard, &hr);
  EXPECT_EQ(hr, DI_OK);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].dwOfs, DWORD(DIK_2));
  EXPECT_EQ(records[1].dwOfs, DWORD(DIK_3));
  EXPECT_TRUE(Read(keyboard).empty());
  EXPECT_TRUE(Read(mouse).empty());
}

TEST_F(DInputBufferTest, OnlyAcquiredDevicesRecordAndTheQueueOutlivesUnacquire) {
  LPDIRECTINPUTDEVICE keyboard = Buffered(GUID_SysKeyboard, c_dfDIKeyboard, 8);
  LPDIRECTINPUTDEVICE mouse =
      Buffered(GUID_SysMouse, c_dfDIMouse, 8, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
  ASSERT_TRUE(keyboard && mouse);
  qvhost::Key(DIK_Z, true);
  ASSERT_EQ(keyboard->Unacquire(), DI_OK);
  qvhost::Key(DIK_Z, false);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  std::vector<DIDEVICEOBJECTDATA> kept = Read(keyboard);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].dwData, 0x80u);

  // A foreground device loses its queue with the focus.
  qvhost::MouseMotion(1, 1);
  qvhost::FocusLost();
  qvhost::FocusRegained();
  ASSERT_EQ(mouse->Acquire(), DI_OK);
  EXPECT_TRUE(Read(mouse).empty());
}

TEST_F(DInputBufferTest, MouseRecordsCarryTheirOffsetsAndShareTheSequenceWithTheKeyboard) {
  LPDIRECTINPUTDEVICE mouse = Buffered(GUID_SysMouse, c_dfDIMouse, 8);
  LPDIRECTINPUTDEVICE keyboard = Buffered(GUID_SysKeyboard, c_dfDIKeyboard, 8);
  ASSERT_TRUE(mouse && keyboard);
  qvhost::MouseMotion(3, 0);
  qvhost::Key(DIK_SPACE, true);
  qvhost::MouseMotion(-2, 4);
  qvhost::MouseButton(1, true);

  std::vector<DIDEVICEOBJECTDATA> records = Read(mouse);
  ASSERT_EQ(records.size(), 4u);
  const DWORD offsets[4] = {DIMOFS_X, DIMOFS_X, DIMOFS_Y, DIMOFS_BUTTON1};
  const LONG data[4] = {3, -2, 4, 0x80};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(records[i].dwOfs, offsets[i]) << i;
    EXPECT_EQ(static_cast<LONG>(records[i].dwData), data[i]) << i;
  }
  // One motion moves X and Y at once; the key came between the two motions.
  EXPECT_EQ(records[1].dwSequence, records[2].dwSequence);
  std::vector<DIDEVICEOBJECTDATA> keys = Read(keyboard);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_TRUE(DISEQUENCE_COMPARE(records[0].dwSequence, <, keys[0].dwSequence));
  EXPECT_TRUE(DISEQUENCE_COMPARE(keys[0].dwSequence, <, records[1].dwSequence));

  // The immediate state is read apart from the queue.
  DIMOUSESTATE state;
  ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 1);
  EXPECT_EQ(state.lY, 4);
}

TEST_F(DInputBufferTest, JoystickQueuesAxisChangesBeyondTheDeadZoneAndButtons) {
  plat::events::JoystickAttached(true, "Test Pad", 4);
  GUID instance = {};
  ASSERT_EQ(di_->EnumDevices(
                DIDEVTYPE_JOYSTICK,
                [](LPCDIDEVICEINSTANCEA info, LPVOID ref) -> BOOL {
                  *static_cast<GUID*>(ref) = info->guidInstance;
                  return DIENUM_STOP;
                },
                &instance, DIEDFL_ATTACHEDONLY),
            DI_OK);
  LPDIRECTINPUTDEVICE joystick = nullptr;
  ASSERT_EQ(di_->CreateDevice(instance, &joystick, nullptr), DI_OK);
  devices_.push_back(joystick);
  ASSERT_EQ(joystick->SetDataFormat(&c_dfDIJoystick), DI_OK);
  DIPROPDWORD dead = {{sizeof dead, sizeof dead.diph, 0, DIPH_DEVICE}, 2000};
  ASSERT_EQ(joystick->SetProperty(DIPROP_DEADZONE, &dead.diph), DI_OK);
  DIPROPDWORD size = {{sizeof size, sizeof size.diph, 0, DIPH_DEVICE}, 8};
  ASSERT_EQ(joystick->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DI_OK);
  ASSERT_EQ(joystick->Acquire(), DI_OK);

  plat::events::JoystickAxis(0, 3000);   // inside the dead zone: still centred
  plat::events::JoystickAxis(1, 32767);  // the end of the default range
  plat::events::JoystickButton(2, true);
  plat::events::JoystickButton(9, true);  // no such button on this pad
  std::vector<DIDEVICEOBJECTDATA> records = Read(joystick);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].dwOfs, DWORD(DIJOFS_Y));
  EXPECT_EQ(records[0].dwData, 65535u);
  EXPECT_EQ(records[1].dwOfs, DWORD(DIJOFS_BUTTON(2)));
  EXPECT_EQ(records[1].dwData, 0x80u);

  // A joystick reports the loss, once; a buffer of size 1 keeps nothing.
  ASSERT_EQ(joystick->Unacquire(), DI_OK);
  size.dwData = 1;
  ASSERT_EQ(joystick->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DI_OK);
  ASSERT_EQ(joystick->Acquire(), DI_OK);
  plat::events::JoystickButton(3, true);
  HRESULT hr;
  EXPECT_TRUE(Read(joystick, &hr).empty());
  EXPECT_EQ(hr, DI_BUFFEROVERFLOW);
  EXPECT_TRUE(Read(joystick).empty());
}

}  // namespace

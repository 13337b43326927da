// DirectInput's buffered data: every change the platform's input events make to an acquired
// device, in order, with the platform clock's time stamps and one sequence counter.
#include "dinput_test_util.h"

namespace {

using ditest::DInputTest;
using Changes = std::vector<std::pair<DWORD, LONG>>;
using DInputBufferTest = DInputTest;

TEST_F(DInputBufferTest, BufferSizeIsSetBeforeAcquiring) {
  LPDIRECTINPUTDEVICE keyboard = Create(GUID_SysKeyboard, c_dfDIKeyboard);
  ASSERT_TRUE(keyboard);
  DIDEVICEOBJECTDATA records[8];
  DWORD n = 8;
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  EXPECT_EQ(keyboard->GetDeviceData(sizeof records[0], records, &n, 0), DIERR_NOTBUFFERED);
  auto prop = ditest::Property<DIPROPDWORD>();
  prop.dwData = 3;
  EXPECT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &prop.diph), DIERR_ACQUIRED);
  keyboard->Unacquire();
  ASSERT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &prop.diph), DI_OK);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  EXPECT_EQ(keyboard->GetDeviceData(12, records, &n, 0), DIERR_INVALIDPARAM);
  ASSERT_EQ(keyboard->GetDeviceData(sizeof records[0], records, &n, 0), DI_OK);
  EXPECT_EQ(n, 0u);
}

TEST_F(DInputBufferTest, PressAndReleaseBetweenReadsAreBothQueuedInOrder) {
  qvhost::UseManualClock(1000);
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
  EXPECT_EQ(AsChanges(records), (Changes{{DIK_A, 0x80}, {DIK_A, 0}}));
  EXPECT_EQ(records[0].dwTimeStamp, 1005u);
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
  for (BYTE key : {DIK_1, DIK_2, DIK_3}) qvhost::Key(key, true);
  qvhost::MouseButton(0, true);

  HRESULT hr;
  EXPECT_EQ(Read(keyboard, &hr, DIGDD_PEEK).size(), 2u);
  EXPECT_EQ(hr, DI_OK);
  std::vector<DIDEVICEOBJECTDATA> records = Read(keyboard, &hr);
  EXPECT_EQ(hr, DI_OK);
  EXPECT_EQ(AsChanges(records), (Changes{{DIK_2, 0x80}, {DIK_3, 0x80}}));
  EXPECT_TRUE(DISEQUENCE_COMPARE(records[0].dwSequence, <, records[1].dwSequence));
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
  EXPECT_EQ(AsChanges(Read(keyboard)), (Changes{{DIK_Z, 0x80}}));

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
  ASSERT_EQ(AsChanges(records),
            (Changes{{DIMOFS_X, 3}, {DIMOFS_X, -2}, {DIMOFS_Y, 4}, {DIMOFS_BUTTON1, 0x80}}));
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
  LPDIRECTINPUTDEVICE2 joystick = CreateJoystick();
  ASSERT_NE(joystick, nullptr);
  ASSERT_EQ(joystick->SetDataFormat(&c_dfDIJoystick), DI_OK);
  auto dead = ditest::Property<DIPROPDWORD>();
  dead.dwData = 2000;
  ASSERT_EQ(joystick->SetProperty(DIPROP_DEADZONE, &dead.diph), DI_OK);
  auto size = ditest::Property<DIPROPDWORD>();
  size.dwData = 8;
  ASSERT_EQ(joystick->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DI_OK);
  ASSERT_EQ(joystick->Acquire(), DI_OK);

  plat::events::JoystickAxis(0, 3000);   // inside the dead zone: still centred
  plat::events::JoystickAxis(1, 32767);  // the end of the default range
  plat::events::JoystickButton(2, true);
  plat::events::JoystickButton(9, true);  // no such button on this pad
  EXPECT_EQ(AsChanges(Read(joystick)), (Changes{{DIJOFS_Y, 65535}, {DIJOFS_BUTTON(2), 0x80}}));

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

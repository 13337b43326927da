// InputDevices on the headless platform: key states, key map and shift table, mouse
// integration with sensitivity and limits, joystick, and the loss and return of the focus.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>

#include "host.h"
#include "input.h"

namespace {

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class Input : public ::testing::Test {
 protected:
  void SetUp() override {
    qvhost::UseHeadless();
    qvhost::Reset();
    qvhost::UseManualClock(5000);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QvInputTest";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "QvInputTest", "test", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    input = new InputDevices();
    ASSERT_EQ(input->Create(GetModuleHandleA(nullptr), window, 0), 1);
  }
  void TearDown() override {
    delete input;
    DestroyWindow(window);
  }

  using Point = std::pair<int, int>;
  // What one of the position getters answers.
  Point Read(void (InputDevices::*getter)(int*, int*) const) const {
    int x = 0, y = 0;
    (input->*getter)(&x, &y);
    return {x, y};
  }
  Point Mouse() const { return Read(&InputDevices::GetMousePosition); }
  int MouseX() const { return Mouse().first; }

  HWND window = nullptr;
  InputDevices* input = nullptr;
};

TEST_F(Input, KeyPassesPressedHeldReleasedUp) {
  qvhost::Key(DIK_A, true);
  qvhost::AdvanceClock(40);
  input->Update();
  EXPECT_EQ(input->GetKeyState('a'), KeyPressed);
  EXPECT_EQ(input->GetKeyRaw(DIK_A), 0x80);
  EXPECT_EQ(input->GetKeyPressTime('a'), 5040u);
  qvhost::AdvanceClock(20);
  input->Update();
  EXPECT_EQ(input->GetKeyState('a'), KeyHeld);
  EXPECT_EQ(input->GetKeyPressTime('a'), 5040u);  // the press, not the last read
  qvhost::Key(DIK_A, false);
  input->Update();
  EXPECT_EQ(input->GetKeyState('a'), KeyReleased);
  input->Update();
  EXPECT_EQ(input->GetKeyState('a'), KeyUp);

  // Codes beyond the tables answer 0.
  EXPECT_EQ(input->GetKeyState(270) + input->GetKeyState(0xFFFF) + input->GetKeyRaw(256), 0);
  EXPECT_EQ(input->GetKeyPressTime(270) + input->GetKeyPressTime(-1), 0u);
  int x = 9, y = 9;
  EXPECT_EQ(input->GetKeyPressPosition(270, &x, &y), 0);
  EXPECT_EQ(x, 0);
}

TEST_F(Input, KeyMapCodesAreDistinctAndSpecialKeysLandRight) {
  std::set<LONG> codes;
  int mapped = 0;
  for (LONG code : input->keyMap) {
    if (code == 0) continue;
    ++mapped;
    codes.insert(code);
    EXPECT_TRUE((code >= 8 && code <= 122) || (code >= 128 && code <= 175)) << code;
  }
  EXPECT_EQ(codes.size(), static_cast<size_t>(mapped));
  EXPECT_EQ(mapped, 26 + 10 + 11 + 5 + 48);  // letters, digits, punctuation, controls, specials
  EXPECT_EQ(input->keyMap[DIK_NUMPAD7], 169);
  EXPECT_EQ(input->keyMap[DIK_NUMPAD1], 163);
  EXPECT_EQ(input->keyMap[DIK_SYSRQ], 175);
  EXPECT_EQ(input->keyMap[DIK_F10], 147);
  EXPECT_EQ(input->keyMap[DIK_F11], 148);
  EXPECT_EQ(input->keyMap[DIK_RMENU], 133);
  EXPECT_EQ(input->keyMap[DIK_GRAVE], 96);
  EXPECT_EQ(input->keyMap[DIK_LWIN], 0);
  EXPECT_EQ(input->keyMap[DIK_APPS], 0);

  qvhost::Key(DIK_LEFT, true);
  qvhost::Key(DIK_NUMPADENTER, true);
  input->Update();
  EXPECT_EQ(input->GetKeyState(KeyLeft), KeyPressed);
  EXPECT_EQ(input->GetKeyState(KeyPadEnter), KeyPressed);
  EXPECT_EQ(input->GetKeyState(KeyEnter), KeyUp);
}

TEST_F(Input, ShiftedKeys) {
  const int pairs[][2] = {{'a', 'A'},
                          {'z', 'Z'},
                          {'2', '@'},
                          {'\'', '"'},
                          {'`', '~'},
                          {27, 27},
                          {KeyLeftShift, KeyLeftShift},
                          {270, 0}};
  for (const auto& p : pairs) EXPECT_EQ(input->GetShiftedKey(p[0]), p[1]) << p[0];
}

TEST_F(Input, NewScanCodeIsReportedOnce) {
  EXPECT_EQ(input->GetNewScanCode(), 255);
  qvhost::Key(DIK_B, true);
  input->Update();
  EXPECT_EQ(input->GetNewScanCode(), DIK_B);
  EXPECT_EQ(input->GetNewScanVirtualKey(), static_cast<UINT>('B'));
  input->Update();
  EXPECT_EQ(input->GetNewScanCode(), 255);
  qvhost::Key(DIK_C, true);
  input->Update();
  EXPECT_EQ(input->GetNewScanCode(), DIK_C);
  EXPECT_EQ(input->GetNewScanCode(), 255);
}

TEST_F(Input, MouseClampsAtTheLimitWhileTheFreePositionGrows) {
  input->SetMouseLimits(0, 0, 700, 600);
  input->SetMousePosition(690, 300);
  EXPECT_EQ(MouseX(), 690);
  const int expected[] = {695, 699, 699};
  for (int frame = 0; frame < 3; ++frame) {
    qvhost::MouseMotion(5, 0);
    input->Update();
    EXPECT_EQ(MouseX(), expected[frame]);
    EXPECT_EQ(Read(&InputDevices::GetMouseFreePosition).first, 5 * (frame + 1));
    EXPECT_EQ(Read(&InputDevices::GetMouseDeltas), Point(5, 0));
  }
  // Limits that leave no room: min wins.
  input->SetMouseLimits(100, 0, 50, 600);
  input->Update();
  EXPECT_EQ(MouseX(), 100);
}

TEST_F(Input, SensitivityTruncatesTowardZero) {
  input->SetMouseSensitivity(0.5f);
  const int moves[] = {3, -3, 1, -1};
  const int expected[] = {1, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    qvhost::MouseMotion(moves[i], 0);
    input->Update();
    EXPECT_EQ(MouseX(), expected[i]) << moves[i];
  }
}

TEST_F(Input, SetMousePositionKeepsAboveTheMinimum) {
  input->SetMouseLimits(0, 0, 720, 600);
  input->SetMousePosition(360, 600);
  EXPECT_EQ(Mouse(), Point(360, 599));
  input->SetMousePosition(0, 0);
  EXPECT_EQ(Mouse(), Point(1, 1));
  input->Update();
  EXPECT_EQ(MouseX(), 1);  // no movement: the frame's clamp leaves it
  qvhost::MouseMotion(-6, 0);
  input->Update();
  EXPECT_EQ(MouseX(), 0);  // the frame's clamp goes down to the minimum itself

  // Extreme limits stay in range rather than overflow.
  input->SetMouseLimits(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  input->SetMousePosition(INT_MAX, INT_MIN);
  EXPECT_EQ(Mouse(), Point(INT_MAX - 1, INT_MIN + 1));
  qvhost::MouseMotion(1000, -1000);
  input->Update();
  EXPECT_EQ(Mouse(), Point(INT_MAX - 1, INT_MIN));
}

TEST_F(Input, ButtonsAndKeysRememberWhereTheMouseWas) {
  qvhost::MouseMotion(7, 3);
  input->Update();
  qvhost::Key(DIK_SPACE, true);
  qvhost::MouseButton(1, true);
  qvhost::MouseMotion(10, 0);
  input->Update();
  EXPECT_EQ(input->GetKeyState(KeySpace), KeyPressed);
  EXPECT_EQ(input->GetKeyState(KeyMouseButton0 + 1), KeyPressed);
  int x = 0, y = 0;
  ASSERT_EQ(input->GetKeyPressPosition(KeySpace, &x, &y), 1);
  EXPECT_EQ(Point(x, y), Point(7, 3));  // keys are read before this frame's movement
  ASSERT_EQ(input->GetKeyPressPosition(KeyMouseButton0 + 1, &x, &y), 1);
  EXPECT_EQ(x, 17);  // buttons after it
  EXPECT_EQ(input->GetKeyState(KeyMouseButton0 + 3), KeyUp);
}

TEST_F(Input, WithoutJoystickTheJoystickSideStaysZero) {
  EXPECT_EQ(input->joystick, nullptr);
  EXPECT_EQ(enumeratedJoystick, nullptr);
  EXPECT_EQ(input->joystickActive, 0);
  EXPECT_EQ(input->GetJoystickButtonCount(), 0);
  EXPECT_EQ(input->IsJoystickGamepad(), 0);
  input->Update();
  EXPECT_EQ(Read(&InputDevices::GetJoystickPosition), Point(0, 0));
  EXPECT_EQ(Read(&InputDevices::GetJoystickDeltas), Point(0, 0));
  EXPECT_EQ(input->GetKeyState(KeyJoystickButton0), KeyUp);
  EXPECT_EQ(input->DisableJoystickBuffer(), DIERR_NOTINITIALIZED);
  EXPECT_EQ(input->RunJoystickControlPanel(window), DIERR_NOTINITIALIZED);
}

TEST_F(Input, AttachedJoystickMovesByItsDeflection) {
  delete input;
  qvhost::AttachJoystick("Test Pad", 4);
  input = new InputDevices();
  ASSERT_EQ(input->Create(GetModuleHandleA(nullptr), window, 0), 1);
  EXPECT_EQ(enumeratedJoystick, nullptr);  // converted and let go
  ASSERT_NE(input->joystick, nullptr);
  EXPECT_EQ(input->GetJoystickButtonCount(), 4);

  input->SetJoystickLimits(-1500, -1500, 1500, 1500);
  input->SetJoystickSensitivity(0.5f);
  qvhost::JoystickAxis(0, 32767);  // full right: 1000 in the range set
  qvhost::JoystickButton(2, true);
  input->Update();
  input->Update();
  EXPECT_EQ(Read(&InputDevices::GetJoystickPosition), Point(1000, 0));  // 500 a frame
  input->Update();
  input->Update();
  EXPECT_EQ(Read(&InputDevices::GetJoystickPosition).first, 1499);
  EXPECT_EQ(Read(&InputDevices::GetJoystickFreePosition).first, 2000);
  EXPECT_EQ(input->GetKeyState(KeyJoystickButton0 + 2), KeyHeld);
  EXPECT_EQ(input->GetKeyState(KeyJoystickButton0), KeyUp);
  qvhost::DetachJoystick();
}

TEST_F(Input, FocusLossKeepsStatesUntilTheKeyboardIsBack) {
  qvhost::Key(DIK_A, true);
  input->Update();
  ASSERT_EQ(input->GetKeyState('a'), KeyPressed);
  input->SetMouseLimits(0, 0, 800, 600);

  qvhost::FocusLost();
  qvhost::MouseMotion(5, 0);
  input->Update();  // the keyboard can't be read or re-acquired: the frame ends there
  EXPECT_EQ(input->keyboardActive, 0);
  EXPECT_EQ(input->GetKeyState('a'), KeyPressed);
  EXPECT_EQ(MouseX(), 0);

  qvhost::FocusRegained();
  input->Update();  // read fails, the re-acquire succeeds and clears the keys
  EXPECT_EQ(input->keyboardActive, 1);
  EXPECT_EQ(input->GetKeyState('a'), KeyUp);
  EXPECT_EQ(input->GetKeyRaw(DIK_A), 0);
  input->Update();
  EXPECT_EQ(MouseX(), 5);  // the non-exclusive mouse kept counting
}

TEST(InputWithoutCreate, DestructionAndGettersAreSafe) {
  InputDevices input;
  EXPECT_EQ(input.GetMouseSensitivity(), 1.0f);
  EXPECT_EQ(input.mouseMinX, INT_MIN);
  EXPECT_EQ(input.joystickMaxY, INT_MAX);
  input.Update();                            // nothing open: nothing read
  EXPECT_EQ(input.GetShiftedKey('a'), 'a');  // the tables are filled by Create
  EXPECT_EQ(input.DisableMouseBuffer(), DIERR_NOTINITIALIZED);
  char name[50] = {};
  EXPECT_GT(InputDevices::GetKeyName(DIK_ESCAPE, name), 0);
  EXPECT_EQ(InputDevices::GetKeyName(DIK_ESCAPE, nullptr), 0);
}

}  // namespace

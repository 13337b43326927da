// The state of the keyboard, mouse and joystick as the window system last reported it.
// DirectInput devices read their snapshots from here.
#ifndef QV_PLATFORM_CORE_INPUT_STATE_H
#define QV_PLATFORM_CORE_INPUT_STATE_H

#include <cstdint>
#include <string>

namespace plat {

struct InputState {
  uint8_t keys[256] = {};  // by DirectInput scan code; 0x80 while down
  int64_t mouseX = 0;      // total relative motion since start, in counts
  int64_t mouseY = 0;
  uint8_t mouseButtons[3] = {};  // 0x80 while down
  bool focus = true;             // the program's window has the focus
  bool joystickAttached = false;
  std::string joystickName;
  int joystickButtonCount = 0;
  int32_t joystickAxes[8] = {};  // -32768..32767
  uint8_t joystickButtons[32] = {};
};

InputState& Input();
void ResetInput();

}  // namespace plat

#endif

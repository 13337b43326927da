#include "core/events.h"

#include <cstring>

#include "core/input_state.h"
#include "core/services.h"

namespace plat {

InputState& Input() {
  static InputState state;
  return state;
}

void ResetInput() { Input() = InputState(); }

namespace events {

void Key(uint8_t scanCode, uint8_t virtualKey, bool down) {
  // DirectInput sees changes only, not the window system's auto-repeat.
  const bool changed = (Input().keys[scanCode] != 0) != down;
  Input().keys[scanCode] = down ? 0x80 : 0;
  if (changed) dinput::OnKey(scanCode, down);
  user::OnKey(scanCode, virtualKey, down);
}

void MouseMotion(int dx, int dy) {
  Input().mouseX += dx;
  Input().mouseY += dy;
  dinput::OnMouseMotion(dx, dy);
}

void MouseButton(int button, bool down) {
  if (button < 0 || button > 2) return;
  const bool changed = (Input().mouseButtons[button] != 0) != down;
  Input().mouseButtons[button] = down ? 0x80 : 0;
  if (changed) dinput::OnMouseButton(button, down);
}

void CloseRequested() { user::OnCloseRequested(); }

void FocusChanged(bool active) {
  if (Input().focus == active) return;
  Input().focus = active;
  if (!active) {
    // Keys held while the focus goes stay down for nobody: Windows reports them up.
    std::memset(Input().keys, 0, sizeof Input().keys);
    std::memset(Input().mouseButtons, 0, sizeof Input().mouseButtons);
  }
  ddraw::OnFocusChanged(active);
  dinput::OnFocusChanged(active);
  user::OnFocusChanged(active);
}

void JoystickAttached(bool attached, const char* name, int buttons) {
  Input().joystickAttached = attached;
  Input().joystickName = name ? name : "";
  Input().joystickButtonCount = buttons;
}

void JoystickAxis(int axis, int value) {
  if (axis < 0 || axis >= 8) return;
  Input().joystickAxes[axis] = value;
  dinput::OnJoystickAxis(axis);
}

void JoystickButton(int button, bool down) {
  if (button < 0 || button >= 32) return;
  const bool changed = (Input().joystickButtons[button] != 0) != down;
  Input().joystickButtons[button] = down ? 0x80 : 0;
  if (changed) dinput::OnJoystickButton(button, down);
}

void VideoMemoryLost() { ddraw::LoseAllSurfaces(); }

}  // namespace events
}  // namespace plat

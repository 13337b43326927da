// The system mouse: X and Y as motion since the previous read (or as the position, in absolute
// mode), a wheel that never turns, and three buttons.
#include <algorithm>

#include "core/input_state.h"
#include "dinput/device.h"

namespace plat::dinput {

namespace {

std::vector<DeviceObject> MouseObjects() {
  std::vector<DeviceObject> objects;
  const GUID* axes[3] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis};
  const char* axisNames[3] = {"X-axis", "Y-axis", "Wheel"};
  for (int i = 0; i < 3; ++i) {
    objects.push_back(
        {axes[i], static_cast<DWORD>(DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(i)), i, axisNames[i]});
  }
  const char* buttonNames[3] = {"Button 0", "Button 1", "Button 2"};
  for (int i = 0; i < 3; ++i) {
    objects.push_back({&GUID_Button, static_cast<DWORD>(DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(i)), i,
                       buttonNames[i]});
  }
  return objects;
}
constexpr size_t kFirstButton = 3;

void DescribeMouse(DIDEVICEINSTANCEA* info) {
  FillInstance(info, GUID_SysMouse, GUID_SysMouse,
               DIDEVTYPE_MOUSE | (DIDEVTYPEMOUSE_TRADITIONAL << 8), "Mouse", 2);
}

LONG Clamped(int64_t value) {
  return static_cast<LONG>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Motion counts from here on.
void StartMotion(Device& device) {
  device.State().motionBase[0] = Input().mouseX;
  device.State().motionBase[1] = Input().mouseY;
}

void SampleMouse(Device& device, LONG* values) {
  KindState& state = device.State();
  const int64_t position[2] = {Input().mouseX, Input().mouseY};
  for (int axis = 0; axis < 2; ++axis) {
    values[axis] =
        Clamped(state.absoluteAxes ? position[axis] : position[axis] - state.motionBase[axis]);
    state.motionBase[axis] = position[axis];
  }
  values[2] = 0;
  for (size_t b = 0; b < 3; ++b) values[kFirstButton + b] = Input().mouseButtons[b];
}

size_t TranslateMouse(Device& device, const InputEvent& event, ObjectChange changes[2]) {
  if (event.source == InputEvent::Source::MouseButton) {
    changes[0] = {kFirstButton + event.index, event.down ? 0x80u : 0u};
    return 1;
  }
  if (event.source != InputEvent::Source::MouseMotion) return 0;
  const bool absolute = device.State().absoluteAxes;
  const int motion[2] = {event.dx, event.dy};
  const int64_t position[2] = {Input().mouseX, Input().mouseY};
  size_t count = 0;
  for (size_t axis = 0; axis < 2; ++axis) {
    if (motion[axis] == 0) continue;
    const LONG value = absolute ? Clamped(position[axis]) : motion[axis];
    changes[count++] = {axis, static_cast<DWORD>(value)};
  }
  return count;
}

}  // namespace

const DeviceKind kMouse = {
    "Mouse",                // name
    &GUID_SysMouse,         // instance
    AxisModes::Switchable,  // axisModes
    false,                  // exclusiveNeedsForeground
    AlwaysPresent,          // present
    MouseObjects,           // makeObjects
    DescribeMouse,          // describe
    StartMotion,            // startReading
    SampleMouse,            // sample
    TranslateMouse,         // translate
};

}  // namespace plat::dinput

// The one joystick the platform reports while one is attached: eight absolute axes scaled to
// the range the program set, with its dead zone and saturation, and up to 32 buttons.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/hardware.h"
#include "core/input_state.h"
#include "dinput/device.h"

namespace plat::dinput {

namespace {

// The instance of the one joystick (its product is GUID_Joystick).
const GUID kJoystickInstance = {
    0x9E573ED8, 0x7734, 0x11D2, {0x8D, 0x4A, 0x23, 0x90, 0x3F, 0xB6, 0xBD, 0xF7}};

constexpr int kAxes = 8;

bool JoystickPresent() { return Input().joystickAttached && TheHardware().joystick; }

std::vector<DeviceObject> JoystickObjects() {
  std::vector<DeviceObject> objects;
  const GUID* axes[kAxes] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,  &GUID_RxAxis,
                             &GUID_RyAxis, &GUID_RzAxis, &GUID_Slider, &GUID_Slider};
  const char* axisNames[kAxes] = {"X Axis",     "Y Axis",     "Z Axis", "X Rotation",
                                  "Y Rotation", "Z Rotation", "Slider", "Slider"};
  for (int i = 0; i < kAxes; ++i) {
    objects.push_back(
        {axes[i], static_cast<DWORD>(DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(i)), i, axisNames[i]});
  }
  const int buttons = std::clamp(Input().joystickButtonCount, 0, 32);
  for (int i = 0; i < buttons; ++i) {
    objects.push_back({&GUID_Button, static_cast<DWORD>(DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(i)), i,
                       "Button " + std::to_string(i)});
  }
  return objects;
}

void DescribeJoystick(DIDEVICEINSTANCEA* info) {
  const std::string& name = Input().joystickName;
  // Today's controllers are game pads; DirectInput reads them through HID.
  FillInstance(info, kJoystickInstance, GUID_Joystick,
               DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_GAMEPAD << 8) | DIDEVTYPE_HID,
               name.empty() ? "Joystick" : name.c_str(), 5);
}

LONG AxisValue(const KindState::AxisSettings& s, int32_t raw) {
  double v = raw >= 0 ? raw / 32767.0 : raw / 32768.0;
  double magnitude = std::min(std::fabs(v), 1.0);
  double deadZone = s.deadZone / 10000.0;
  double saturation = s.saturation / 10000.0;
  // Inside the dead zone the axis reads centred; beyond the saturation it reads its end; in
  // between the remaining travel spreads over the whole half range.
  double scaled;
  if (magnitude <= deadZone) {
    scaled = 0;
  } else if (magnitude >= saturation) {
    scaled = 1;
  } else {
    scaled = (magnitude - deadZone) / (saturation - deadZone);
  }
  if (v < 0) scaled = -scaled;
  double span = static_cast<double>(s.max) - static_cast<double>(s.min);
  double value = static_cast<double>(s.min) + (scaled + 1.0) / 2.0 * span;
  return static_cast<LONG>(std::floor(value + 0.5));
}

LONG AxisValue(Device& device, int axis) {
  return AxisValue(device.State().axes[axis], Input().joystickAxes[axis]);
}

// Buffered axis data reports where an axis went from where it was last queued.
void StartAxes(Device& device) {
  for (int axis = 0; axis < kAxes; ++axis)
    device.State().queuedAxes[axis] = AxisValue(device, axis);
}

void SampleJoystick(Device& device, LONG* values) {
  for (int axis = 0; axis < kAxes; ++axis) values[axis] = AxisValue(device, axis);
  const size_t buttons = device.Objects().size() - kAxes;
  for (size_t b = 0; b < buttons; ++b) values[kAxes + b] = Input().joystickButtons[b];
}

size_t TranslateJoystick(Device& device, const InputEvent& event, ObjectChange changes[2]) {
  if (event.source == InputEvent::Source::JoystickButton) {
    const size_t object = kAxes + event.index;
    if (object >= device.Objects().size()) return 0;
    changes[0] = {object, event.down ? 0x80u : 0u};
    return 1;
  }
  if (event.source != InputEvent::Source::JoystickAxis) return 0;
  const LONG value = AxisValue(device, event.index);
  LONG& queued = device.State().queuedAxes[event.index];
  if (value == queued) return 0;  // a move inside the dead zone, or too small to show
  queued = value;
  changes[0] = {static_cast<size_t>(event.index), static_cast<DWORD>(value)};
  return 1;
}

}  // namespace

const DeviceKind kJoystick = {
    "Joystick",               // name
    &kJoystickInstance,       // instance
    AxisModes::AbsoluteOnly,  // axisModes
    false,                    // exclusiveNeedsForeground
    JoystickPresent,          // present
    JoystickObjects,          // makeObjects
    DescribeJoystick,         // describe
    StartAxes,                // startReading
    SampleJoystick,           // sample
    TranslateJoystick,        // translate
};

}  // namespace plat::dinput

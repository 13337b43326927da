// What sets a keyboard, a mouse and a joystick apart. The generic device (device.h) does
// everything through a kind's table: its objects, its instance record, how it reads the input
// state for GetDeviceState and which of the platform's input events it turns into buffered data.
#ifndef QV_PLATFORM_DINPUT_KIND_H
#define QV_PLATFORM_DINPUT_KIND_H

#include <dinput.h>

#include <cstdint>
#include <string>
#include <vector>

namespace plat::dinput {

class Device;

// One object of a device: a key, an axis or a button.
struct DeviceObject {
  const GUID* type;
  DWORD id;   // DIDFT_ type bits with the instance number
  int index;  // scan code, axis number or button number
  std::string name;
};

inline bool IsAxis(const DeviceObject& o) { return (o.id & DIDFT_AXIS) != 0; }

// An input event of the platform, as it reaches every device.
struct InputEvent {
  enum class Source : uint8_t { Key, MouseMotion, MouseButton, JoystickAxis, JoystickButton };
  Source source;
  int index;   // scan code, button or axis number
  bool down;   // keys and buttons
  int dx, dy;  // mouse motion
};

// One change an event makes to one object of a device: what a buffered record holds.
struct ObjectChange {
  size_t object;  // index into the device's objects
  DWORD data;
};

enum class AxisModes : uint8_t { None, Switchable, AbsoluteOnly };

struct DeviceKind {
  const char* name;  // "Keyboard": the qualifier of the device's entry lines
  const GUID* instance;
  AxisModes axisModes;
  // A keyboard can't be owned by a window in the background.
  bool exclusiveNeedsForeground;
  bool (*present)();
  std::vector<DeviceObject> (*makeObjects)();
  void (*describe)(DIDEVICEINSTANCEA* info);
  // Called at Acquire: relative axes count from here.
  void (*startReading)(Device& device);
  // One value per object: keys and buttons 0x80 or 0, axes their position or motion.
  void (*sample)(Device& device, LONG* values);
  // The object changes an event makes; at most two (mouse motion moves X and Y).
  size_t (*translate)(Device& device, const InputEvent& event, ObjectChange changes[2]);
};

// For `present`: the system keyboard and mouse are always there.
inline bool AlwaysPresent() { return true; }

// A kind's instance record: usage page 1 (generic desktop) with `usage`, named `name`.
void FillInstance(DIDEVICEINSTANCEA* info, const GUID& instance, const GUID& product, DWORD devType,
                  const char* name, WORD usage);

extern const DeviceKind kKeyboard;
extern const DeviceKind kMouse;
extern const DeviceKind kJoystick;

}  // namespace plat::dinput

#endif

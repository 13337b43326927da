// The system keyboard: one button object per scan code, read from the window system's keys.
#include "core/input_state.h"
#include "core/keymap.h"
#include "dinput/device.h"

namespace plat::dinput {

namespace {

std::vector<DeviceObject> KeyboardObjects() {
  std::vector<DeviceObject> objects;
  objects.reserve(256);
  for (int sc = 0; sc < 256; ++sc) {
    // Scan codes without a key have no name; they are objects of no keyboard.
    const char* name = KeyNameFromScanCode(static_cast<uint8_t>(sc), false);
    objects.push_back({&GUID_Key, static_cast<DWORD>(DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(sc)), sc,
                       name ? name : ""});
  }
  return objects;
}

void DescribeKeyboard(DIDEVICEINSTANCEA* info) {
  FillInstance(info, GUID_SysKeyboard, GUID_SysKeyboard,
               DIDEVTYPE_KEYBOARD | (DIDEVTYPEKEYBOARD_PCENH << 8), "Keyboard", 6);
}

void NothingToStart(Device&) {}

void SampleKeys(Device&, LONG* values) {
  for (int sc = 0; sc < 256; ++sc) values[sc] = Input().keys[sc];
}

size_t TranslateKey(Device&, const InputEvent& event, ObjectChange changes[2]) {
  if (event.source != InputEvent::Source::Key) return 0;
  changes[0] = {static_cast<size_t>(event.index), event.down ? 0x80u : 0u};
  return 1;
}

}  // namespace

const DeviceKind kKeyboard = {
    "Keyboard",         // name
    &GUID_SysKeyboard,  // instance
    AxisModes::None,    // axisModes
    true,               // exclusiveNeedsForeground
    AlwaysPresent,      // present
    KeyboardObjects,    // makeObjects
    DescribeKeyboard,   // describe
    NothingToStart,     // startReading
    SampleKeys,         // sample
    TranslateKey,       // translate
};

}  // namespace plat::dinput

// GetAsyncKeyState: the keyboard and mouse buttons as the window system reports them now,
// whatever the message queue holds.
#include <windows.h>

#include "core/input_state.h"
#include "core/keymap.h"
#include "core/trace.h"

namespace {

bool ScanDown(uint8_t scanCode) { return scanCode != 0 && (plat::Input().keys[scanCode] & 0x80); }

bool VirtualKeyDown(int vk) {
  const plat::InputState& input = plat::Input();
  switch (vk) {
    case VK_LBUTTON:
      return input.mouseButtons[0] & 0x80;
    case VK_RBUTTON:
      return input.mouseButtons[1] & 0x80;
    case VK_MBUTTON:
      return input.mouseButtons[2] & 0x80;
    case VK_SHIFT:
      return VirtualKeyDown(VK_LSHIFT) || VirtualKeyDown(VK_RSHIFT);
    case VK_CONTROL:
      return VirtualKeyDown(VK_LCONTROL) || VirtualKeyDown(VK_RCONTROL);
    case VK_MENU:
      return VirtualKeyDown(VK_LMENU) || VirtualKeyDown(VK_RMENU);
    default:
      return ScanDown(plat::ScanCodeFromVirtualKey(static_cast<uint8_t>(vk)));
  }
}

}  // namespace

extern "C" SHORT WINAPI GetAsyncKeyState(int vKey) {
  QV_ENTRY_OR_RETURN("GetAsyncKeyState", plat::trace::Hex(static_cast<uint32_t>(vKey)));
  if (vKey <= 0 || vKey > 255) return 0;
  return VirtualKeyDown(vKey) ? static_cast<SHORT>(0x8000) : 0;
}

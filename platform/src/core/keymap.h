// The US keyboard as one table: each key's scan code, virtual key, name, characters and USB
// usage. DirectInput, USER's key calls and the backends' key maps all read it.
#ifndef QV_PLATFORM_CORE_KEYMAP_H
#define QV_PLATFORM_CORE_KEYMAP_H

#include <cstdint>

namespace plat {

struct KeyInfo {
  // Set 1, as DirectInput numbers it: 0x80 added for keys that arrive with the E0 prefix.
  uint8_t scanCode;
  // Windows' virtual key, left and right told apart for Shift, Ctrl and Alt (VK_LSHIFT).
  // The keypad gives its NumLock-on keys (VK_NUMPAD7).
  uint8_t virtualKey;
  // The name GetKeyNameTextA gives the key, or null.
  const char* name;
  // The character the key types without and with Shift, or 0.
  char plain;
  char shifted;
  // The key's number on a USB keyboard (and in SDL), or 0 for keys USB does not have.
  uint8_t usbUsage;
};

// The key with the scan code, or null.
const KeyInfo* KeyFromScanCode(uint8_t scanCode);
// The key with the virtual key, sided (VK_RSHIFT) or not (VK_SHIFT). Where two keys share it
// (Enter and the keypad's Enter) the one without the E0 prefix.
const KeyInfo* KeyFromVirtualKey(uint8_t virtualKey);

// VK_SHIFT for VK_LSHIFT and VK_RSHIFT, and so on for Ctrl and Alt; other keys unchanged.
uint8_t GenericVirtualKey(uint8_t virtualKey);

// The virtual key a window receives for the key (VK_SHIFT for either Shift); 0 for none.
uint8_t VirtualKeyFromScanCode(uint8_t scanCode);
// 0 when the virtual key has no scan code.
uint8_t ScanCodeFromVirtualKey(uint8_t virtualKey);
// The key's name as GetKeyNameTextA gives it for the scan code (E0-prefixed when `extended`):
// "Esc", "Enter", "A", "Num 7", or null.
const char* KeyNameFromScanCode(uint8_t scanCode, bool extended);
// The scan code of a USB keyboard usage, or 0.
uint8_t ScanCodeFromUsbUsage(int usage);

}  // namespace plat

#endif

// Scan codes (DirectInput DIK_ values, 0x80 added for extended keys) and Windows virtual-key
// codes of a US keyboard, both ways, and the names Windows gives the keys.
#ifndef QV_PLATFORM_CORE_KEYMAP_H
#define QV_PLATFORM_CORE_KEYMAP_H

#include <cstdint>

namespace plat {

// 0 when the scan code has no virtual key.
uint8_t VirtualKeyFromScanCode(uint8_t scanCode);
// 0 when the virtual key has no scan code.
uint8_t ScanCodeFromVirtualKey(uint8_t virtualKey);
// The key's name as GetKeyNameTextA gives it ("Esc", "Enter", "A", "Num 7"), or null.
const char* KeyNameFromScanCode(uint8_t scanCode, bool extended);

}  // namespace plat

#endif

// Key names and key-code translation of the US keyboard layout: GetKeyNameTextA and
// MapVirtualKeyA, read from the key table.
#include <windows.h>

#include <cctype>
#include <cstring>

#include "core/keymap.h"
#include "core/trace.h"

namespace {

// Bits of GetKeyNameTextA's lParam, as in WM_KEYDOWN.
constexpr LONG kExtendedBit = 1 << 24;
constexpr LONG kDontCareBit = 1 << 25;  // left and right Shift, Ctrl and Alt share a name

// Scan codes come either as set-1 codes (0x00..0x7F), with 0xE0 in the high byte for extended
// keys (0xE048), or in DirectInput's numbering with 0x80 added for extended keys (0xC8).
// Returns the DirectInput form, or 0 when the code is none of these.
uint8_t NormaliseScanCode(UINT code) {
  if (code <= 0xFF) return static_cast<uint8_t>(code);
  if ((code & 0xFF00) == 0xE000 && code <= 0xFFFF) {
    return static_cast<uint8_t>((code & 0x7F) | 0x80);
  }
  return 0;
}

bool IsKeypadDigit(uint8_t vk) {
  return (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) || vk == VK_DECIMAL;
}

// A scan code's virtual key as MapVirtualKey gives it without a keyboard state: the keypad's
// digits and point read with NumLock off, as the E0 key of the same scan code (Home for 7), or
// Clear for the 5, which has no such twin. `sided` tells left from right.
UINT VirtualKeyOfScanCode(UINT code, bool sided) {
  uint8_t scanCode = NormaliseScanCode(code);
  const plat::KeyInfo* key = scanCode ? plat::KeyFromScanCode(scanCode) : nullptr;
  if (!key) return 0;
  if (IsKeypadDigit(key->virtualKey)) {
    const plat::KeyInfo* twin = plat::KeyFromScanCode(scanCode | 0x80);
    return twin ? twin->virtualKey : VK_CLEAR;
  }
  return sided ? key->virtualKey : plat::GenericVirtualKey(key->virtualKey);
}

}  // namespace

extern "C" {

int WINAPI GetKeyNameTextA(LONG lParam, LPSTR lpString, int cchSize) {
  QV_ENTRY_OR_RETURN("GetKeyNameTextA", plat::trace::Hex(static_cast<uint32_t>(lParam)),
                     plat::trace::Ptr(lpString), plat::trace::Dec(cchSize));
  if (!lpString || cchSize <= 0) return 0;
  lpString[0] = '\0';
  uint8_t scanCode = static_cast<uint8_t>((static_cast<DWORD>(lParam) >> 16) & 0xFF);
  bool extended = (lParam & kExtendedBit) != 0;
  if (lParam & kDontCareBit) {
    // One name for both sides: the right keys take the left keys' names.
    if (scanCode == 0x36) scanCode = 0x2A;
    if ((scanCode == 0x1D || scanCode == 0x38) && extended) extended = false;
    if (scanCode == 0x9D || scanCode == 0xB8) scanCode &= 0x7F;
  }
  const char* name = plat::KeyNameFromScanCode(scanCode, extended);
  if (!name) return 0;
  size_t length = std::strlen(name);
  size_t room = static_cast<size_t>(cchSize) - 1;
  if (length > room) length = room;
  std::memcpy(lpString, name, length);
  lpString[length] = '\0';
  return static_cast<int>(length);
}

UINT WINAPI MapVirtualKeyA(UINT uCode, UINT uMapType) {
  QV_ENTRY_OR_RETURN("MapVirtualKeyA", plat::trace::Hex(uCode), plat::trace::Dec(uMapType));
  switch (uMapType) {
    case MAPVK_VK_TO_VSC: {
      if (uCode > 0xFF) return 0;
      if (uCode == VK_CLEAR) uCode = VK_NUMPAD5;  // the keypad's 5 with NumLock off
      // Windows gives the bare scan code here, without the E0 prefix of extended keys.
      return plat::ScanCodeFromVirtualKey(static_cast<uint8_t>(uCode)) & 0x7F;
    }
    case MAPVK_VSC_TO_VK:
      return VirtualKeyOfScanCode(uCode, false);
    case MAPVK_VSC_TO_VK_EX:
      return VirtualKeyOfScanCode(uCode, true);
    case MAPVK_VK_TO_CHAR: {
      // The unshifted character, letters in capitals.
      const plat::KeyInfo* key =
          uCode <= 0xFF ? plat::KeyFromVirtualKey(static_cast<uint8_t>(uCode)) : nullptr;
      return key ? static_cast<UINT>(std::toupper(static_cast<unsigned char>(key->plain))) : 0;
    }
    default:
      return 0;
  }
}

}  // extern "C"

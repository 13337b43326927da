// Key names and key-code translation of the US keyboard layout: GetKeyNameTextA and
// MapVirtualKeyA.
#include <windows.h>

#include <cstring>

#include "core/keymap.h"

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

// The virtual key that tells left from right, for MAPVK_VSC_TO_VK_EX.
uint8_t SidedVirtualKey(uint8_t scanCode) {
  switch (scanCode) {
    case 0x2A:
      return VK_LSHIFT;
    case 0x36:
      return VK_RSHIFT;
    case 0x1D:
      return VK_LCONTROL;
    case 0x9D:
      return VK_RCONTROL;
    case 0x38:
      return VK_LMENU;
    case 0xB8:
      return VK_RMENU;
    default:
      return plat::VirtualKeyFromScanCode(scanCode);
  }
}

// The keypad keys read as their NumLock-off meaning when asked without a keyboard state, as
// Windows' MapVirtualKey gives them.
uint8_t ScanToVirtualKey(uint8_t scanCode) {
  switch (scanCode) {
    case 0x47:
      return VK_HOME;
    case 0x48:
      return VK_UP;
    case 0x49:
      return VK_PRIOR;
    case 0x4B:
      return VK_LEFT;
    case 0x4C:
      return VK_CLEAR;
    case 0x4D:
      return VK_RIGHT;
    case 0x4F:
      return VK_END;
    case 0x50:
      return VK_DOWN;
    case 0x51:
      return VK_NEXT;
    case 0x52:
      return VK_INSERT;
    case 0x53:
      return VK_DELETE;
    default:
      return plat::VirtualKeyFromScanCode(scanCode);
  }
}

UINT UnshiftedCharacter(UINT vk) {
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return vk;
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return '0' + (vk - VK_NUMPAD0);
  switch (vk) {
    case VK_BACK:
      return '\b';
    case VK_TAB:
      return '\t';
    case VK_RETURN:
      return '\r';
    case VK_ESCAPE:
      return 0x1B;
    case VK_SPACE:
      return ' ';
    case VK_CANCEL:
      return 0x03;
    case VK_MULTIPLY:
      return '*';
    case VK_ADD:
      return '+';
    case VK_SUBTRACT:
      return '-';
    case VK_DECIMAL:
      return '.';
    case VK_DIVIDE:
      return '/';
    case VK_OEM_1:
      return ';';
    case VK_OEM_PLUS:
      return '=';
    case VK_OEM_COMMA:
      return ',';
    case VK_OEM_MINUS:
      return '-';
    case VK_OEM_PERIOD:
      return '.';
    case VK_OEM_2:
      return '/';
    case VK_OEM_3:
      return '`';
    case VK_OEM_4:
      return '[';
    case VK_OEM_5:
      return '\\';
    case VK_OEM_6:
      return ']';
    case VK_OEM_7:
      return '\'';
    case 0xE2:  // VK_OEM_102
      return '\\';
    default:
      return 0;
  }
}

}  // namespace

extern "C" {

int WINAPI GetKeyNameTextA(LONG lParam, LPSTR lpString, int cchSize) {
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
  switch (uMapType) {
    case MAPVK_VK_TO_VSC: {
      if (uCode > 0xFF) return 0;
      switch (uCode) {
        case VK_SHIFT:
          return 0x2A;
        case VK_CONTROL:
          return 0x1D;
        case VK_MENU:
          return 0x38;
        case VK_CLEAR:
          return 0x4C;
        default:
          break;
      }
      // Windows gives the bare scan code here, without the E0 prefix of extended keys.
      return plat::ScanCodeFromVirtualKey(static_cast<uint8_t>(uCode)) & 0x7F;
    }
    case MAPVK_VSC_TO_VK: {
      uint8_t scanCode = NormaliseScanCode(uCode);
      return scanCode ? ScanToVirtualKey(scanCode) : 0;
    }
    case MAPVK_VK_TO_CHAR:
      return uCode > 0xFF ? 0 : UnshiftedCharacter(uCode);
    case MAPVK_VSC_TO_VK_EX: {
      uint8_t scanCode = NormaliseScanCode(uCode);
      if (!scanCode) return 0;
      if (scanCode >= 0x47 && scanCode <= 0x53) return ScanToVirtualKey(scanCode);
      return SidedVirtualKey(scanCode);
    }
    default:
      return 0;
  }
}

}  // extern "C"

// The US keyboard: scan codes (set 1, as DirectInput numbers them, with 0x80 added for keys
// that arrive with the E0 prefix) against Windows virtual-key codes, and the English key names
// that Windows' US layout gives.
#include "core/keymap.h"

#include <windows.h>

namespace plat {

namespace {

struct KeyEntry {
  uint8_t virtualKey;
  const char* name;
};

// Keys without the E0 prefix, by scan code 0x00..0x7F. The virtual key is the one a window
// receives in WM_KEYDOWN (NumLock on: the keypad gives VK_NUMPAD0..9 and VK_DECIMAL).
constexpr KeyEntry kPlain[0x80] = {
    /* 0x00 */ {0, nullptr},
    {VK_ESCAPE, "Esc"},
    {'1', "1"},
    {'2', "2"},
    {'3', "3"},
    {'4', "4"},
    {'5', "5"},
    {'6', "6"},
    {'7', "7"},
    {'8', "8"},
    {'9', "9"},
    {'0', "0"},
    {VK_OEM_MINUS, "-"},
    {VK_OEM_PLUS, "="},
    {VK_BACK, "Backspace"},
    {VK_TAB, "Tab"},
    /* 0x10 */ {'Q', "Q"},
    {'W', "W"},
    {'E', "E"},
    {'R', "R"},
    {'T', "T"},
    {'Y', "Y"},
    {'U', "U"},
    {'I', "I"},
    {'O', "O"},
    {'P', "P"},
    {VK_OEM_4, "["},
    {VK_OEM_6, "]"},
    {VK_RETURN, "Enter"},
    {VK_CONTROL, "Ctrl"},
    {'A', "A"},
    {'S', "S"},
    /* 0x20 */ {'D', "D"},
    {'F', "F"},
    {'G', "G"},
    {'H', "H"},
    {'J', "J"},
    {'K', "K"},
    {'L', "L"},
    {VK_OEM_1, ";"},
    {VK_OEM_7, "'"},
    {VK_OEM_3, "`"},
    {VK_SHIFT, "Shift"},
    {VK_OEM_5, "\\"},
    {'Z', "Z"},
    {'X', "X"},
    {'C', "C"},
    {'V', "V"},
    /* 0x30 */ {'B', "B"},
    {'N', "N"},
    {'M', "M"},
    {VK_OEM_COMMA, ","},
    {VK_OEM_PERIOD, "."},
    {VK_OEM_2, "/"},
    {VK_SHIFT, "Right Shift"},
    {VK_MULTIPLY, "Num *"},
    {VK_MENU, "Alt"},
    {VK_SPACE, "Space"},
    {VK_CAPITAL, "Caps Lock"},
    {VK_F1, "F1"},
    {VK_F2, "F2"},
    {VK_F3, "F3"},
    {VK_F4, "F4"},
    {VK_F5, "F5"},
    /* 0x40 */ {VK_F6, "F6"},
    {VK_F7, "F7"},
    {VK_F8, "F8"},
    {VK_F9, "F9"},
    {VK_F10, "F10"},
    // Scan code 0x45 alone is named "Pause" by Windows; with the extended bit it is Num Lock.
    // DirectInput's DIK_NUMLOCK is 0x45, so the virtual key follows DirectInput.
    {VK_NUMLOCK, "Pause"},
    {VK_SCROLL, "Scroll Lock"},
    {VK_NUMPAD7, "Num 7"},
    {VK_NUMPAD8, "Num 8"},
    {VK_NUMPAD9, "Num 9"},
    {VK_SUBTRACT, "Num -"},
    {VK_NUMPAD4, "Num 4"},
    {VK_NUMPAD5, "Num 5"},
    {VK_NUMPAD6, "Num 6"},
    {VK_ADD, "Num +"},
    {VK_NUMPAD1, "Num 1"},
    /* 0x50 */ {VK_NUMPAD2, "Num 2"},
    {VK_NUMPAD3, "Num 3"},
    {VK_NUMPAD0, "Num 0"},
    {VK_DECIMAL, "Num Del"},
    {0, "Sys Req"},
    {0, nullptr},
    {0xE2 /* VK_OEM_102 */, "\\"},
    {VK_F11, "F11"},
    {VK_F12, "F12"},
    {0, nullptr},
    {0, nullptr},
    {0, nullptr},
    {0, nullptr},
    {0, nullptr},
    {0, nullptr},
    {0, nullptr},
    /* 0x60 */ {0, nullptr},
    {0, nullptr},
    {0, nullptr},
    {0, nullptr},
    {0x7C /* VK_F13 */, "F13"},
    {0x7D /* VK_F14 */, "F14"},
    {0x7E /* VK_F15 */, "F15"},
};

struct ExtendedEntry {
  uint8_t scanCode;  // without the 0x80
  uint8_t virtualKey;
  const char* name;
};

// Keys that arrive with the E0 prefix.
constexpr ExtendedEntry kExtended[] = {
    {0x1C, VK_RETURN, "Num Enter"},  {0x1D, VK_CONTROL, "Right Ctrl"},
    {0x35, VK_DIVIDE, "Num /"},      {0x37, VK_SNAPSHOT, "Prnt Scrn"},
    {0x38, VK_MENU, "Right Alt"},    {0x45, VK_PAUSE, "Num Lock"},
    {0x46, VK_CANCEL, "Break"},      {0x47, VK_HOME, "Home"},
    {0x48, VK_UP, "Up"},             {0x49, VK_PRIOR, "Page Up"},
    {0x4B, VK_LEFT, "Left"},         {0x4D, VK_RIGHT, "Right"},
    {0x4F, VK_END, "End"},           {0x50, VK_DOWN, "Down"},
    {0x51, VK_NEXT, "Page Down"},    {0x52, VK_INSERT, "Insert"},
    {0x53, VK_DELETE, "Delete"},     {0x5B, VK_LWIN, "Left Windows"},
    {0x5C, VK_RWIN, "Right Windows"}, {0x5D, VK_APPS, "Application"},
};

const ExtendedEntry* FindExtended(uint8_t scanCode) {
  for (const ExtendedEntry& e : kExtended) {
    if (e.scanCode == scanCode) return &e;
  }
  return nullptr;
}

}  // namespace

uint8_t VirtualKeyFromScanCode(uint8_t scanCode) {
  if (scanCode < 0x80) return kPlain[scanCode].virtualKey;
  // DirectInput numbers Pause 0xC5 (0x45 with 0x80), where the table above holds Num Lock's
  // extended twin: the names follow Windows, the virtual keys follow DirectInput.
  if (scanCode == 0xC5) return VK_PAUSE;
  const ExtendedEntry* e = FindExtended(scanCode & 0x7F);
  return e ? e->virtualKey : 0;
}

uint8_t ScanCodeFromVirtualKey(uint8_t virtualKey) {
  if (virtualKey == 0) return 0;
  switch (virtualKey) {
    case VK_LSHIFT:
      return 0x2A;
    case VK_RSHIFT:
      return 0x36;
    case VK_LCONTROL:
      return 0x1D;
    case VK_RCONTROL:
      return 0x9D;
    case VK_LMENU:
      return 0x38;
    case VK_RMENU:
      return 0xB8;
    case VK_PAUSE:
      return 0xC5;
    case VK_CANCEL:
      return 0xC6;
    default:
      break;
  }
  // The plain key wins where both have the virtual key (VK_RETURN, VK_CONTROL, VK_MENU).
  for (int sc = 1; sc < 0x80; ++sc) {
    if (kPlain[sc].virtualKey == virtualKey) return static_cast<uint8_t>(sc);
  }
  for (const ExtendedEntry& e : kExtended) {
    if (e.virtualKey == virtualKey) return static_cast<uint8_t>(e.scanCode | 0x80);
  }
  return 0;
}

const char* KeyNameFromScanCode(uint8_t scanCode, bool extended) {
  // DirectInput's Pause (0xC5) is Windows' "Pause" too, though the E0 0x45 key is Num Lock.
  if (scanCode == 0xC5) return "Pause";
  if (scanCode & 0x80) extended = true;
  scanCode &= 0x7F;
  if (!extended) return kPlain[scanCode].name;
  const ExtendedEntry* e = FindExtended(scanCode);
  return e ? e->name : nullptr;
}

}  // namespace plat

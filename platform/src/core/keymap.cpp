// The US keyboard: one row a key, and the look-ups every other key map is read from.
#include "core/keymap.h"

#include <windows.h>

#include <cstddef>

namespace plat {

namespace {

constexpr uint8_t kVkOem102 = 0xE2;  // the key left of Z on 102-key keyboards
constexpr uint8_t kVkF13 = 0x7C;

// By scan code: the keys without the E0 prefix first, so where two keys share a virtual key
// (Enter and the keypad's Enter) the look-up by virtual key finds the plain one.
constexpr KeyInfo kKeys[] = {
    // scan code, virtual key, name, plain, shifted, USB usage
    {0x01, VK_ESCAPE, "Esc", 0x1B, 0x1B, 0x29},
    {0x02, '1', "1", '1', '!', 0x1E},
    {0x03, '2', "2", '2', '@', 0x1F},
    {0x04, '3', "3", '3', '#', 0x20},
    {0x05, '4', "4", '4', '$', 0x21},
    {0x06, '5', "5", '5', '%', 0x22},
    {0x07, '6', "6", '6', '^', 0x23},
    {0x08, '7', "7", '7', '&', 0x24},
    {0x09, '8', "8", '8', '*', 0x25},
    {0x0A, '9', "9", '9', '(', 0x26},
    {0x0B, '0', "0", '0', ')', 0x27},
    {0x0C, VK_OEM_MINUS, "-", '-', '_', 0x2D},
    {0x0D, VK_OEM_PLUS, "=", '=', '+', 0x2E},
    {0x0E, VK_BACK, "Backspace", '\b', '\b', 0x2A},
    {0x0F, VK_TAB, "Tab", '\t', '\t', 0x2B},
    {0x10, 'Q', "Q", 'q', 'Q', 0x14},
    {0x11, 'W', "W", 'w', 'W', 0x1A},
    {0x12, 'E', "E", 'e', 'E', 0x08},
    {0x13, 'R', "R", 'r', 'R', 0x15},
    {0x14, 'T', "T", 't', 'T', 0x17},
    {0x15, 'Y', "Y", 'y', 'Y', 0x1C},
    {0x16, 'U', "U", 'u', 'U', 0x18},
    {0x17, 'I', "I", 'i', 'I', 0x0C},
    {0x18, 'O', "O", 'o', 'O', 0x12},
    {0x19, 'P', "P", 'p', 'P', 0x13},
    {0x1A, VK_OEM_4, "[", '[', '{', 0x2F},
    {0x1B, VK_OEM_6, "]", ']', '}', 0x30},
    {0x1C, VK_RETURN, "Enter", '\r', '\r', 0x28},
    {0x1D, VK_LCONTROL, "Ctrl", 0, 0, 0xE0},
    {0x1E, 'A', "A", 'a', 'A', 0x04},
    {0x1F, 'S', "S", 's', 'S', 0x16},
    {0x20, 'D', "D", 'd', 'D', 0x07},
    {0x21, 'F', "F", 'f', 'F', 0x09},
    {0x22, 'G', "G", 'g', 'G', 0x0A},
    {0x23, 'H', "H", 'h', 'H', 0x0B},
    {0x24, 'J', "J", 'j', 'J', 0x0D},
    {0x25, 'K', "K", 'k', 'K', 0x0E},
    {0x26, 'L', "L", 'l', 'L', 0x0F},
    {0x27, VK_OEM_1, ";", ';', ':', 0x33},
    {0x28, VK_OEM_7, "'", '\'', '"', 0x34},
    {0x29, VK_OEM_3, "`", '`', '~', 0x35},
    {0x2A, VK_LSHIFT, "Shift", 0, 0, 0xE1},
    {0x2B, VK_OEM_5, "\\", '\\', '|', 0x31},
    {0x2C, 'Z', "Z", 'z', 'Z', 0x1D},
    {0x2D, 'X', "X", 'x', 'X', 0x1B},
    {0x2E, 'C', "C", 'c', 'C', 0x06},
    {0x2F, 'V', "V", 'v', 'V', 0x19},
    {0x30, 'B', "B", 'b', 'B', 0x05},
    {0x31, 'N', "N", 'n', 'N', 0x11},
    {0x32, 'M', "M", 'm', 'M', 0x10},
    {0x33, VK_OEM_COMMA, ",", ',', '<', 0x36},
    {0x34, VK_OEM_PERIOD, ".", '.', '>', 0x37},
    {0x35, VK_OEM_2, "/", '/', '?', 0x38},
    {0x36, VK_RSHIFT, "Right Shift", 0, 0, 0xE5},
    {0x37, VK_MULTIPLY, "Num *", '*', '*', 0x55},
    {0x38, VK_LMENU, "Alt", 0, 0, 0xE2},
    {0x39, VK_SPACE, "Space", ' ', ' ', 0x2C},
    {0x3A, VK_CAPITAL, "Caps Lock", 0, 0, 0x39},
    {0x3B, VK_F1, "F1", 0, 0, 0x3A},
    {0x3C, VK_F2, "F2", 0, 0, 0x3B},
    {0x3D, VK_F3, "F3", 0, 0, 0x3C},
    {0x3E, VK_F4, "F4", 0, 0, 0x3D},
    {0x3F, VK_F5, "F5", 0, 0, 0x3E},
    {0x40, VK_F6, "F6", 0, 0, 0x3F},
    {0x41, VK_F7, "F7", 0, 0, 0x40},
    {0x42, VK_F8, "F8", 0, 0, 0x41},
    {0x43, VK_F9, "F9", 0, 0, 0x42},
    {0x44, VK_F10, "F10", 0, 0, 0x43},
    {0x45, VK_NUMLOCK, "Num Lock", 0, 0, 0x53},
    {0x46, VK_SCROLL, "Scroll Lock", 0, 0, 0x47},
    {0x47, VK_NUMPAD7, "Num 7", '7', '7', 0x5F},
    {0x48, VK_NUMPAD8, "Num 8", '8', '8', 0x60},
    {0x49, VK_NUMPAD9, "Num 9", '9', '9', 0x61},
    {0x4A, VK_SUBTRACT, "Num -", '-', '-', 0x56},
    {0x4B, VK_NUMPAD4, "Num 4", '4', '4', 0x5C},
    {0x4C, VK_NUMPAD5, "Num 5", '5', '5', 0x5D},
    {0x4D, VK_NUMPAD6, "Num 6", '6', '6', 0x5E},
    {0x4E, VK_ADD, "Num +", '+', '+', 0x57},
    {0x4F, VK_NUMPAD1, "Num 1", '1', '1', 0x59},
    {0x50, VK_NUMPAD2, "Num 2", '2', '2', 0x5A},
    {0x51, VK_NUMPAD3, "Num 3", '3', '3', 0x5B},
    {0x52, VK_NUMPAD0, "Num 0", '0', '0', 0x62},
    {0x53, VK_DECIMAL, "Num Del", '.', '.', 0x63},
    {0x54, 0, "Sys Req", 0, 0, 0},
    {0x56, kVkOem102, "\\", '\\', '|', 0x64},
    {0x57, VK_F11, "F11", 0, 0, 0x44},
    {0x58, VK_F12, "F12", 0, 0, 0x45},
    {0x64, kVkF13, "F13", 0, 0, 0x68},
    {0x65, kVkF13 + 1, "F14", 0, 0, 0x69},
    {0x66, kVkF13 + 2, "F15", 0, 0, 0x6A},
    {0x9C, VK_RETURN, "Num Enter", '\r', '\r', 0x58},
    {0x9D, VK_RCONTROL, "Right Ctrl", 0, 0, 0xE4},
    {0xB5, VK_DIVIDE, "Num /", '/', '/', 0x54},
    {0xB7, VK_SNAPSHOT, "Prnt Scrn", 0, 0, 0x46},
    {0xB8, VK_RMENU, "Right Alt", 0, 0, 0xE6},
    {0xC5, VK_PAUSE, "Pause", 0, 0, 0x48},
    {0xC6, VK_CANCEL, "Break", 0x03, 0x03, 0},
    {0xC7, VK_HOME, "Home", 0, 0, 0x4A},
    {0xC8, VK_UP, "Up", 0, 0, 0x52},
    {0xC9, VK_PRIOR, "Page Up", 0, 0, 0x4B},
    {0xCB, VK_LEFT, "Left", 0, 0, 0x50},
    {0xCD, VK_RIGHT, "Right", 0, 0, 0x4F},
    {0xCF, VK_END, "End", 0, 0, 0x4D},
    {0xD0, VK_DOWN, "Down", 0, 0, 0x51},
    {0xD1, VK_NEXT, "Page Down", 0, 0, 0x4E},
    {0xD2, VK_INSERT, "Insert", 0, 0, 0x49},
    {0xD3, VK_DELETE, "Delete", 0, 0, 0x4C},
    {0xDB, VK_LWIN, "Left Windows", 0, 0, 0xE3},
    {0xDC, VK_RWIN, "Right Windows", 0, 0, 0xE7},
    {0xDD, VK_APPS, "Application", 0, 0, 0x65},
};
constexpr size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

constexpr uint8_t Generic(uint8_t vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
      return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
      return VK_MENU;
    default:
      return vk;
  }
}

constexpr bool WellFormed() {
  bool usages[256] = {};
  for (size_t i = 0; i < kKeyCount; ++i) {
    if (i > 0 && kKeys[i - 1].scanCode >= kKeys[i].scanCode) return false;
    if (kKeys[i].usbUsage && usages[kKeys[i].usbUsage]) return false;
    usages[kKeys[i].usbUsage] = true;
  }
  return true;
}
static_assert(WellFormed(), "keys in rising scan-code order, each USB usage once");

// Rows by scan code, virtual key (sided and generic) and USB usage: one more than the row's
// index, 0 for none.
struct Index {
  uint8_t byScanCode[256];
  uint8_t byVirtualKey[256];
  uint8_t byUsage[256];
};

constexpr Index MakeIndex() {
  Index index{};
  // The last row first, so that of two keys with one virtual key the earlier one stays.
  for (size_t i = kKeyCount; i-- > 0;) {
    const KeyInfo& key = kKeys[i];
    const auto row = static_cast<uint8_t>(i + 1);
    index.byScanCode[key.scanCode] = row;
    if (key.virtualKey) {
      index.byVirtualKey[key.virtualKey] = row;
      index.byVirtualKey[Generic(key.virtualKey)] = row;
    }
    if (key.usbUsage) index.byUsage[key.usbUsage] = row;
  }
  return index;
}
constexpr Index kIndex = MakeIndex();

const KeyInfo* Row(uint8_t row) { return row ? &kKeys[row - 1] : nullptr; }

}  // namespace

const KeyInfo* KeyFromScanCode(uint8_t scanCode) { return Row(kIndex.byScanCode[scanCode]); }

const KeyInfo* KeyFromVirtualKey(uint8_t virtualKey) {
  return virtualKey ? Row(kIndex.byVirtualKey[virtualKey]) : nullptr;
}

uint8_t GenericVirtualKey(uint8_t virtualKey) { return Generic(virtualKey); }

uint8_t VirtualKeyFromScanCode(uint8_t scanCode) {
  const KeyInfo* key = KeyFromScanCode(scanCode);
  return key ? Generic(key->virtualKey) : 0;
}

uint8_t ScanCodeFromVirtualKey(uint8_t virtualKey) {
  const KeyInfo* key = KeyFromVirtualKey(virtualKey);
  return key ? key->scanCode : 0;
}

const char* KeyNameFromScanCode(uint8_t scanCode, bool extended) {
  // Windows names the scan codes as the keyboard sends them, where the plain 0x45 is Pause and
  // E0 45 is Num Lock; DirectInput numbers Num Lock 0x45 and Pause 0xC5.
  constexpr uint8_t kNumLock = 0x45, kPause = 0xC5;
  if (scanCode == kNumLock) {
    scanCode = extended ? kNumLock : kPause;
  } else if (extended) {
    scanCode |= 0x80;
  }
  const KeyInfo* key = KeyFromScanCode(scanCode);
  return key ? key->name : nullptr;
}

uint8_t ScanCodeFromUsbUsage(int usage) {
  // The key beside Enter on ISO keyboards sends the scan code of the US backslash key.
  constexpr int kNonUsHash = 0x32, kBackslash = 0x31;
  if (usage == kNonUsHash) usage = kBackslash;
  if (usage <= 0 || usage > 0xFF) return 0;
  const KeyInfo* key = Row(kIndex.byUsage[usage]);
  return key ? key->scanCode : 0;
}

}  // namespace plat

#include "backend/web/web_keys.h"

#include <cstring>

#include "core/keymap.h"

namespace plat::web {

namespace {

struct NamedRun {
  const char* prefix;  // the names are prefix + the characters of `suffixes`, in usage order
  const char* suffixes;
  int firstUsage;
};

// Letters, digits and the keypad's digits come in runs of consecutive usages.
const NamedRun kRuns[] = {
    {"Key", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 0x04},
    {"Digit", "1234567890", 0x1E},
    {"Numpad", "1234567890", 0x59},
};

const struct {
  const char* code;
  uint8_t usage;
} kNamed[] = {
    {"Enter", 0x28},
    {"Escape", 0x29},
    {"Backspace", 0x2A},
    {"Tab", 0x2B},
    {"Space", 0x2C},
    {"Minus", 0x2D},
    {"Equal", 0x2E},
    {"BracketLeft", 0x2F},
    {"BracketRight", 0x30},
    {"Backslash", 0x31},
    {"IntlHash", 0x32},
    {"Semicolon", 0x33},
    {"Quote", 0x34},
    {"Backquote", 0x35},
    {"Comma", 0x36},
    {"Period", 0x37},
    {"Slash", 0x38},
    {"CapsLock", 0x39},
    {"F1", 0x3A},
    {"F2", 0x3B},
    {"F3", 0x3C},
    {"F4", 0x3D},
    {"F5", 0x3E},
    {"F6", 0x3F},
    {"F7", 0x40},
    {"F8", 0x41},
    {"F9", 0x42},
    {"F10", 0x43},
    {"F11", 0x44},
    {"F12", 0x45},
    {"PrintScreen", 0x46},
    {"ScrollLock", 0x47},
    {"Pause", 0x48},
    {"Insert", 0x49},
    {"Home", 0x4A},
    {"PageUp", 0x4B},
    {"Delete", 0x4C},
    {"End", 0x4D},
    {"PageDown", 0x4E},
    {"ArrowRight", 0x4F},
    {"ArrowLeft", 0x50},
    {"ArrowDown", 0x51},
    {"ArrowUp", 0x52},
    {"NumLock", 0x53},
    {"NumpadDivide", 0x54},
    {"NumpadMultiply", 0x55},
    {"NumpadSubtract", 0x56},
    {"NumpadAdd", 0x57},
    {"NumpadEnter", 0x58},
    {"NumpadDecimal", 0x63},
    {"IntlBackslash", 0x64},
    {"ContextMenu", 0x65},
    {"NumpadEqual", 0x67},
    {"ControlLeft", 0xE0},
    {"ShiftLeft", 0xE1},
    {"AltLeft", 0xE2},
    {"MetaLeft", 0xE3},
    {"ControlRight", 0xE4},
    {"ShiftRight", 0xE5},
    {"AltRight", 0xE6},
    {"MetaRight", 0xE7},
};

}  // namespace

int UsbUsageFromKeyCode(const char* code) {
  if (!code) return 0;
  for (const NamedRun& run : kRuns) {
    size_t length = std::strlen(run.prefix);
    if (std::strncmp(code, run.prefix, length) != 0 || !code[length] || code[length + 1]) continue;
    if (const char* at = std::strchr(run.suffixes, code[length])) {
      return run.firstUsage + static_cast<int>(at - run.suffixes);
    }
  }
  for (const auto& key : kNamed) {
    if (std::strcmp(code, key.code) == 0) return key.usage;
  }
  return 0;
}

uint8_t DikFromKeyCode(const char* code) { return ScanCodeFromUsbUsage(UsbUsageFromKeyCode(code)); }

}  // namespace plat::web

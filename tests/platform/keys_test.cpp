// Key names as GetKeyNameTextA gives them, MapVirtualKeyA's four translations, and the scan
// code <-> virtual key map both ways.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "core/keymap.h"

namespace {

std::string KeyName(LONG lParam, int size = 64) {
  char buffer[64];
  std::memset(buffer, 'x', sizeof buffer);
  int n = GetKeyNameTextA(lParam, buffer, size);
  EXPECT_EQ(n, static_cast<int>(std::strlen(buffer))) << std::hex << lParam;
  return buffer;
}

LONG Scan(int code, bool extended = false) { return (code << 16) | (extended ? 1 << 24 : 0); }

TEST(KeysTest, NamesAreWindowsEnglishNames) {
  // Scan codes above 0x80, DirectInput's numbering as the engine passes them, name the extended
  // keys; bit 25, "don't care", gives both sides one name.
  // clang-format off
  const std::pair<LONG, const char*> names[] = {
      {Scan(0x01), "Esc"}, {Scan(0x1C), "Enter"}, {Scan(0x1C, true), "Num Enter"},
      {Scan(0x39), "Space"}, {Scan(0x1E), "A"}, {Scan(0x02), "1"}, {Scan(0x0B), "0"},
      {Scan(0x3B), "F1"}, {Scan(0x58), "F12"}, {Scan(0x47), "Num 7"}, {Scan(0x47, true), "Home"},
      {Scan(0x1D), "Ctrl"}, {Scan(0x1D, true), "Right Ctrl"}, {Scan(0x36), "Right Shift"},
      {Scan(0x0E), "Backspace"}, {Scan(0x45), "Pause"}, {Scan(0x45, true), "Num Lock"},
      {Scan(0xC8), "Up"}, {Scan(0x9D), "Right Ctrl"}, {Scan(0xC5), "Pause"},
      {Scan(0x36) | 1 << 25, "Shift"}, {Scan(0x1D, true) | 1 << 25, "Ctrl"}};
  // clang-format on
  for (const auto& [lParam, name] : names) EXPECT_EQ(KeyName(lParam), name) << std::hex << lParam;
  // Every key of the US keyboard has a name.
  for (int sc = 1; sc <= 0x58; ++sc) {
    if (sc == 0x54 || sc == 0x55) continue;
    EXPECT_FALSE(KeyName(Scan(sc)).empty()) << std::hex << sc;
  }
}

TEST(KeysTest, NamesAreTruncatedToTheBuffer) {
  // A buffer of exactly the name's length holds all but its last character and the end.
  for (auto [size, name] :
       {std::pair<int, const char*>{1, ""}, {4, "Spa"}, {5, "Spac"}, {6, "Space"}})
    EXPECT_EQ(KeyName(Scan(0x39), size), name) << size;
  char untouched[4] = {'z', 'z', 'z', 0};
  EXPECT_EQ(GetKeyNameTextA(Scan(0x39), untouched, 0), 0);
  EXPECT_EQ(GetKeyNameTextA(Scan(0x39), untouched, -5), 0);
  EXPECT_STREQ(untouched, "zzz");
  EXPECT_EQ(GetKeyNameTextA(Scan(0x39), nullptr, 50), 0);
  // Keys without a name give an empty string.
  EXPECT_EQ(KeyName(Scan(0x00)), "");
  EXPECT_EQ(KeyName(Scan(0x7F)), "");
  EXPECT_EQ(KeyName(Scan(0x60, true)), "");
}

TEST(KeysTest, MapVirtualKeyTranslatesAllFourWays) {
  // clang-format off
  const struct {
    UINT code, type, result;
  } cases[] = {
      {'A', MAPVK_VK_TO_VSC, 0x1E}, {VK_ESCAPE, MAPVK_VK_TO_VSC, 0x01},
      {VK_UP, MAPVK_VK_TO_VSC, 0x48} /* no E0 prefix */, {VK_SHIFT, MAPVK_VK_TO_VSC, 0x2A},
      {VK_RSHIFT, MAPVK_VK_TO_VSC, 0x36}, {0x07, MAPVK_VK_TO_VSC, 0},
      {0x1E, MAPVK_VSC_TO_VK, 'A'}, {0x02, MAPVK_VSC_TO_VK, '1'},
      {0x36, MAPVK_VSC_TO_VK, VK_SHIFT}, {0x47, MAPVK_VSC_TO_VK, VK_HOME},
      {0xC8, MAPVK_VSC_TO_VK, VK_UP}, {0xE048, MAPVK_VSC_TO_VK, VK_UP},
      {0x12345, MAPVK_VSC_TO_VK, 0}, {0x36, MAPVK_VSC_TO_VK_EX, VK_RSHIFT},
      {0x1D, MAPVK_VSC_TO_VK_EX, VK_LCONTROL}, {0xE01D, MAPVK_VSC_TO_VK_EX, VK_RCONTROL},
      {0x1E, MAPVK_VSC_TO_VK_EX, 'A'}, {'A', MAPVK_VK_TO_CHAR, 'A'},
      {'7', MAPVK_VK_TO_CHAR, '7'}, {VK_OEM_2, MAPVK_VK_TO_CHAR, '/'},
      {VK_NUMPAD5, MAPVK_VK_TO_CHAR, '5'}, {VK_SPACE, MAPVK_VK_TO_CHAR, ' '},
      {VK_F1, MAPVK_VK_TO_CHAR, 0}, {'A', 9 /* not a translation */, 0}};
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(MapVirtualKeyA(c.code, c.type), c.result) << std::hex << c.code << " " << c.type;
}

TEST(KeysTest, ScanCodesAndVirtualKeysRoundTrip) {
  int mapped = 0;
  for (int sc = 1; sc < 256; ++sc) {
    uint8_t vk = plat::VirtualKeyFromScanCode(static_cast<uint8_t>(sc));
    if (!vk) continue;
    ++mapped;
    EXPECT_NE(plat::KeyNameFromScanCode(static_cast<uint8_t>(sc), false), nullptr) << sc;
    // Keys that share a virtual key with a plain key come back as the plain one.
    uint8_t back = plat::ScanCodeFromVirtualKey(vk);
    int expected = sc == 0x36 ? 0x2A : (sc == 0x9C || sc == 0x9D || sc == 0xB8) ? sc & 0x7F : sc;
    EXPECT_EQ(back, expected) << std::hex << sc;
    EXPECT_EQ(plat::VirtualKeyFromScanCode(back), vk) << std::hex << sc;
  }
  EXPECT_GT(mapped, 100);
  EXPECT_EQ(plat::ScanCodeFromVirtualKey(VK_RCONTROL), 0x9D);
  EXPECT_EQ(plat::ScanCodeFromVirtualKey(VK_RETURN), 0x1C);
  EXPECT_EQ(plat::ScanCodeFromVirtualKey(VK_LEFT), 0xCB);
  EXPECT_EQ(plat::VirtualKeyFromScanCode(0xCB), VK_LEFT);
  EXPECT_EQ(plat::VirtualKeyFromScanCode(0x2A), VK_SHIFT);
  EXPECT_EQ(plat::VirtualKeyFromScanCode(0x00), 0);
  EXPECT_EQ(plat::ScanCodeFromVirtualKey(0), 0);
}

}  // namespace

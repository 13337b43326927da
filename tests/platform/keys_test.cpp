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
  EXPECT_EQ(KeyName(Scan(0x01)), "Esc");
  EXPECT_EQ(KeyName(Scan(0x1C)), "Enter");
  EXPECT_EQ(KeyName(Scan(0x1C, true)), "Num Enter");
  EXPECT_EQ(KeyName(Scan(0x39)), "Space");
  EXPECT_EQ(KeyName(Scan(0x1E)), "A");
  EXPECT_EQ(KeyName(Scan(0x02)), "1");
  EXPECT_EQ(KeyName(Scan(0x0B)), "0");
  EXPECT_EQ(KeyName(Scan(0x3B)), "F1");
  EXPECT_EQ(KeyName(Scan(0x58)), "F12");
  EXPECT_EQ(KeyName(Scan(0x47)), "Num 7");
  EXPECT_EQ(KeyName(Scan(0x47, true)), "Home");
  EXPECT_EQ(KeyName(Scan(0x1D)), "Ctrl");
  EXPECT_EQ(KeyName(Scan(0x1D, true)), "Right Ctrl");
  EXPECT_EQ(KeyName(Scan(0x36)), "Right Shift");
  EXPECT_EQ(KeyName(Scan(0x0E)), "Backspace");
  EXPECT_EQ(KeyName(Scan(0x45)), "Pause");
  EXPECT_EQ(KeyName(Scan(0x45, true)), "Num Lock");
  // Scan codes in DirectInput's numbering, as the engine passes them, name the extended keys.
  EXPECT_EQ(KeyName(Scan(0xC8)), "Up");
  EXPECT_EQ(KeyName(Scan(0x9D)), "Right Ctrl");
  EXPECT_EQ(KeyName(Scan(0xC5)), "Pause");
  // The "don't care" bit gives both sides one name.
  EXPECT_EQ(KeyName(Scan(0x36) | (1 << 25)), "Shift");
  EXPECT_EQ(KeyName(Scan(0x1D, true) | (1 << 25)), "Ctrl");
  // Every key of the US keyboard has a name.
  for (int sc = 1; sc <= 0x58; ++sc) {
    if (sc == 0x54 || sc == 0x55) continue;
    EXPECT_FALSE(KeyName(Scan(sc)).empty()) << std::hex << sc;
  }
}

TEST(KeysTest, NamesAreTruncatedToTheBuffer) {
  EXPECT_EQ(KeyName(Scan(0x39), 4), "Spa");
  EXPECT_EQ(KeyName(Scan(0x39), 1), "");
  EXPECT_EQ(KeyName(Scan(0x39), 6), "Space");
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
  EXPECT_EQ(MapVirtualKeyA('A', MAPVK_VK_TO_VSC), 0x1Eu);
  EXPECT_EQ(MapVirtualKeyA(VK_ESCAPE, MAPVK_VK_TO_VSC), 0x01u);
  EXPECT_EQ(MapVirtualKeyA(VK_UP, MAPVK_VK_TO_VSC), 0x48u);  // no E0 prefix
  EXPECT_EQ(MapVirtualKeyA(VK_SHIFT, MAPVK_VK_TO_VSC), 0x2Au);
  EXPECT_EQ(MapVirtualKeyA(VK_RSHIFT, MAPVK_VK_TO_VSC), 0x36u);
  EXPECT_EQ(MapVirtualKeyA(0x07, MAPVK_VK_TO_VSC), 0u);

  EXPECT_EQ(MapVirtualKeyA(0x1E, MAPVK_VSC_TO_VK), static_cast<UINT>('A'));
  EXPECT_EQ(MapVirtualKeyA(0x02, MAPVK_VSC_TO_VK), static_cast<UINT>('1'));
  EXPECT_EQ(MapVirtualKeyA(0x36, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_SHIFT));
  EXPECT_EQ(MapVirtualKeyA(0x47, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_HOME));
  EXPECT_EQ(MapVirtualKeyA(0xC8, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_UP));
  EXPECT_EQ(MapVirtualKeyA(0xE048, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_UP));
  EXPECT_EQ(MapVirtualKeyA(0x12345, MAPVK_VSC_TO_VK), 0u);

  EXPECT_EQ(MapVirtualKeyA(0x36, MAPVK_VSC_TO_VK_EX), static_cast<UINT>(VK_RSHIFT));
  EXPECT_EQ(MapVirtualKeyA(0x1D, MAPVK_VSC_TO_VK_EX), static_cast<UINT>(VK_LCONTROL));
  EXPECT_EQ(MapVirtualKeyA(0xE01D, MAPVK_VSC_TO_VK_EX), static_cast<UINT>(VK_RCONTROL));
  EXPECT_EQ(MapVirtualKeyA(0x1E, MAPVK_VSC_TO_VK_EX), static_cast<UINT>('A'));

  EXPECT_EQ(MapVirtualKeyA('A', MAPVK_VK_TO_CHAR), static_cast<UINT>('A'));
  EXPECT_EQ(MapVirtualKeyA('7', MAPVK_VK_TO_CHAR), static_cast<UINT>('7'));
  EXPECT_EQ(MapVirtualKeyA(VK_OEM_2, MAPVK_VK_TO_CHAR), static_cast<UINT>('/'));
  EXPECT_EQ(MapVirtualKeyA(VK_NUMPAD5, MAPVK_VK_TO_CHAR), static_cast<UINT>('5'));
  EXPECT_EQ(MapVirtualKeyA(VK_SPACE, MAPVK_VK_TO_CHAR), static_cast<UINT>(' '));
  EXPECT_EQ(MapVirtualKeyA(VK_F1, MAPVK_VK_TO_CHAR), 0u);

  EXPECT_EQ(MapVirtualKeyA('A', 9), 0u);
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

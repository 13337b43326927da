// The browser's key names (KeyboardEvent.code) as DirectInput scan codes. The web backend's key
// map is plain C++ and is checked here on the desktop.
#include <dinput.h>
#include <gtest/gtest.h>

#include "backend/web/web_keys.h"

namespace {

TEST(WebKeysTest, CodesGiveTheKeysScanCodes) {
  const struct {
    const char* code;
    uint8_t dik;
  } kKeys[] = {
      {"KeyA", DIK_A},           {"KeyZ", DIK_Z},          {"Digit1", DIK_1},
      {"Digit0", DIK_0},         {"Numpad0", DIK_NUMPAD0}, {"Numpad9", DIK_NUMPAD9},
      {"Escape", DIK_ESCAPE},    {"Enter", DIK_RETURN},    {"NumpadEnter", DIK_NUMPADENTER},
      {"Space", DIK_SPACE},      {"F1", DIK_F1},           {"F12", DIK_F12},
      {"ArrowLeft", DIK_LEFT},   {"ArrowUp", DIK_UP},      {"ControlRight", DIK_RCONTROL},
      {"ShiftLeft", DIK_LSHIFT}, {"AltRight", DIK_RMENU},  {"NumpadDivide", DIK_DIVIDE},
      {"Backquote", DIK_GRAVE},  {"Slash", DIK_SLASH},     {"Delete", DIK_DELETE},
  };
  for (const auto& key : kKeys) EXPECT_EQ(plat::web::DikFromKeyCode(key.code), key.dik) << key.code;
  for (const char* none : {"", "Key", "KeyAB", "Digit", "Numpad", "Fn", "Unidentified"}) {
    EXPECT_EQ(plat::web::DikFromKeyCode(none), 0) << none;
  }
  EXPECT_EQ(plat::web::DikFromKeyCode(nullptr), 0);
}

}  // namespace

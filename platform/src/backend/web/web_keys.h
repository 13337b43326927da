// The browser's key names (KeyboardEvent.code, which names the key's place on the keyboard,
// whatever the layout) as USB usages, which the platform's key table turns into scan codes.
#ifndef QV_PLATFORM_BACKEND_WEB_WEB_KEYS_H
#define QV_PLATFORM_BACKEND_WEB_WEB_KEYS_H

#include <cstdint>

namespace plat::web {

// The USB usage of a KeyboardEvent.code ("KeyA", "ArrowLeft", "NumpadEnter"), or 0.
int UsbUsageFromKeyCode(const char* code);

// The DirectInput scan code of a KeyboardEvent.code, or 0.
uint8_t DikFromKeyCode(const char* code);

}  // namespace plat::web

#endif

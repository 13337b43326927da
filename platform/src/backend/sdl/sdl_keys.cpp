#include "backend/sdl/sdl_keys.h"

#include <SDL.h>

#include "core/keymap.h"

namespace plat::sdl {

// SDL numbers the keys by their USB usage, which the key table carries.
static_assert(SDL_SCANCODE_A == 0x04 && SDL_SCANCODE_KP_ENTER == 0x58 &&
                  SDL_SCANCODE_NONUSBACKSLASH == 0x64 && SDL_SCANCODE_RGUI == 0xE7,
              "SDL scancodes are USB usages");

uint8_t DikFromSdlScancode(int scancode) { return ScanCodeFromUsbUsage(scancode); }

}  // namespace plat::sdl

// SDL's keyboard scan codes (USB usages) as DirectInput scan codes of a US keyboard. Keys the
// key table does not have (media keys among them) give 0: the window system has no virtual
// keys for them here.
#ifndef QV_PLATFORM_BACKEND_SDL_SDL_KEYS_H
#define QV_PLATFORM_BACKEND_SDL_SDL_KEYS_H

#include <cstdint>

namespace plat::sdl {

// The DirectInput scan code (0x80 added for extended keys) of an SDL_Scancode, or 0 for keys a
// PC keyboard does not have.
uint8_t DikFromSdlScancode(int scancode);

}  // namespace plat::sdl

#endif

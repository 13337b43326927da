// Screenshots: the game's own frame, unscaled, as a PNG in the player's pictures folder.
#ifndef QV_PLATFORM_BACKEND_SDL_SCREENSHOT_H
#define QV_PLATFORM_BACKEND_SDL_SCREENSHOT_H

#include <cstdint>
#include <string>

#include "core/pixels.h"

namespace plat::sdl {

// The pictures folder xdg-user-dirs names (XDG_PICTURES_DIR in user-dirs.dirs of the
// configuration folder), else ~/Pictures. Empty when HOME is not set.
std::string PicturesFolder();

// Writes 0x00RRGGBB pixels as an 8-bit RGB PNG through libpng. False, with no file left
// behind, when it cannot.
bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height);

// Saves the frame as <pictures>/Quorvane/quorvane-YYYYMMDD-HHMMSS.png (a number added when the
// name is taken), making the folders as needed. The path written, or empty on failure (with the
// reason on stderr).
std::string SaveScreenshot(const PixelBuffer& frame);

}  // namespace plat::sdl

#endif

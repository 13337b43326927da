// Frames as 0x00RRGGBB pixels, for renderers without a texture format of their own.
#ifndef QV_PLATFORM_BACKEND_SDL_SDL_FRAME_H
#define QV_PLATFORM_BACKEND_SDL_SDL_FRAME_H

#include <cstdint>

#include "core/pixels.h"

namespace plat::sdl {

// Writes the frame's pixels as 0x00RRGGBB, row after row with no gaps. The game's 5-6-5 frames
// take a fast path of their own, with the same colours as ConvertToXrgb.
void FrameToXrgb(const PixelBuffer& frame, uint32_t* out);

}  // namespace plat::sdl

#endif

// Frames as the canvas takes them: 8-bit red, green, blue and alpha bytes per pixel.
#ifndef QV_PLATFORM_BACKEND_WEB_WEB_FRAME_H
#define QV_PLATFORM_BACKEND_WEB_WEB_FRAME_H

#include <cstdint>
#include <vector>

#include "core/pixels.h"

namespace plat::web {

// Converts the frame into `rgba` (resized to width * height * 4 bytes), opaque; 5-6-5 frames
// eight pixels at a time.
void FrameToRgba(const PixelBuffer& frame, std::vector<uint8_t>* rgba);

}  // namespace plat::web

#endif

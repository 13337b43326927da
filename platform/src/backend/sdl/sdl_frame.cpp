#include "backend/sdl/sdl_frame.h"

#include "backend/sdl/picture_scaler.h"

namespace plat::sdl {

void FrameToXrgb(const PixelBuffer& frame, uint32_t* out) {
  for (int y = 0; y < frame.height; ++y)
    RowToXrgb(frame, y, out + static_cast<ptrdiff_t>(y) * frame.width);
}

}  // namespace plat::sdl

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

// Rows [top, top + count) of a frame.
struct RowRun {
  int top;
  int count;
};

// Keeps the canvas's picture and converts only what a frame changes in it: a game redraws its
// whole picture every frame, but from one frame to the next most rows come out the same, and
// the page then hands the canvas only the rows that differ.
class FrameConverter {
 public:
  // Converts the rows of `frame` that differ from the last frame's and answers them (every row
  // after Reset, a change of size or format, or for a format other than 5-6-5).
  const std::vector<RowRun>& Convert(const PixelBuffer& frame);
  // The whole picture, width * height * 4 bytes.
  const uint8_t* Rgba() const { return rgba_.data(); }
  // The next frame is converted and answered whole (the canvas lost its picture).
  void Reset() { last_.clear(); }

 private:
  std::vector<uint8_t> rgba_;
  std::vector<uint8_t> last_;  // the last 5-6-5 frame's pixels, row after row
  int width_ = 0, height_ = 0;
  std::vector<RowRun> runs_;
};

}  // namespace plat::web

#endif

// The emulated display's 60 Hz refresh (core/frame_schedule.h) on the monotonic clock: waited
// flips sleep to absolute deadlines with nanosecond precision.
#ifndef QV_PLATFORM_BACKEND_SDL_SDL_DISPLAY_CLOCK_H
#define QV_PLATFORM_BACKEND_SDL_SDL_DISPLAY_CLOCK_H

#include "core/frame_schedule.h"

namespace plat::sdl {

class DisplayClock {
 public:
  // Sleeps until the next refresh.
  void WaitForRefresh();
  bool InBlank() const;

 private:
  FrameSchedule schedule_;
};

}  // namespace plat::sdl

#endif

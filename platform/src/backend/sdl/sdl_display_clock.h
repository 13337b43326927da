// The emulated display's 60 Hz refresh, kept on the monotonic clock: waited flips sleep to
// absolute deadlines one period apart, so the mean period stays 16.667 ms whatever each
// wake-up overshoots.
#ifndef QV_PLATFORM_BACKEND_SDL_SDL_DISPLAY_CLOCK_H
#define QV_PLATFORM_BACKEND_SDL_SDL_DISPLAY_CLOCK_H

#include <chrono>

namespace plat::sdl {

class DisplayClock {
 public:
  using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC
  static constexpr Clock::duration kPeriod = std::chrono::nanoseconds(16666667);
  // A flip later than this after its refresh starts the ticks again from now instead of
  // hurrying through the missed ones (a message box, a debugger, a stalled machine).
  static constexpr Clock::duration kLongStall = 4 * kPeriod;

  // The refresh a flip asked for at `now` waits for, given the refresh planned next (none when
  // `started` is false).
  static Clock::time_point Deadline(Clock::time_point now, Clock::time_point planned, bool started);

  // Sleeps until the next refresh.
  void WaitForRefresh();
  // True during the first sixteenth of each refresh, which counts as the vertical blank.
  bool InBlank() const;

 private:
  bool started_ = false;
  Clock::time_point next_;
  Clock::time_point last_;
};

}  // namespace plat::sdl

#endif

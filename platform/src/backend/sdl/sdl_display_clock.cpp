#include "backend/sdl/sdl_display_clock.h"

#include <errno.h>
#include <time.h>

#include <cmath>

namespace plat::sdl {

namespace {

double MonotonicMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The nanosecond at or after `ms`.
timespec MonotonicTimespec(double ms) {
  double seconds = std::floor(ms / 1e3);
  double ns = std::ceil((ms - seconds * 1e3) * 1e6);
  if (ns >= 1e9) {
    seconds += 1;
    ns -= 1e9;
  }
  return timespec{static_cast<time_t>(seconds), static_cast<long>(ns)};
}

}  // namespace

void DisplayClock::WaitForRefresh() {
  // An absolute deadline: a wake-up that comes late does not move the ones after it.
  timespec deadline = MonotonicTimespec(schedule_.NextRefresh(MonotonicMs()));
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

bool DisplayClock::InBlank() const { return schedule_.InBlank(MonotonicMs()); }

}  // namespace plat::sdl

#include "backend/sdl/sdl_display_clock.h"

#include <errno.h>
#include <time.h>

namespace plat::sdl {

namespace {

timespec MonotonicTimespec(DisplayClock::Clock::time_point t) {
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
  return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

}  // namespace

DisplayClock::Clock::time_point DisplayClock::Deadline(Clock::time_point now,
                                                       Clock::time_point planned, bool started) {
  if (!started || now - planned > kLongStall) return now + kPeriod;
  // Up to a few periods late the refresh keeps its place: the flips after a short stall run
  // without waiting until they are back on time.
  return planned;
}

void DisplayClock::WaitForRefresh() {
  next_ = Deadline(Clock::now(), next_, started_);
  started_ = true;
  // An absolute deadline: a wake-up that comes late does not move the ones after it. The
  // steady clock is CLOCK_MONOTONIC, so its time points are the sleep's own.
  timespec deadline = MonotonicTimespec(next_);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
  last_ = next_;
  next_ += kPeriod;
}

bool DisplayClock::InBlank() const {
  if (!started_) return false;
  auto phase = (Clock::now() - last_) % kPeriod;
  return phase < kPeriod / 16;
}

}  // namespace plat::sdl

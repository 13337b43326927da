// The emulated display's 60 Hz refresh, shared by every backend: a waited flip sleeps to the
// next refresh, at absolute deadlines one period apart, so the mean period stays 16.667 ms
// whatever each wake-up overshoots. The schedule only plans; each backend reads its own clock
// and sleeps its own way (the monotonic clock, the page's clock, the platform clock).
#ifndef QV_PLATFORM_CORE_FRAME_SCHEDULE_H
#define QV_PLATFORM_CORE_FRAME_SCHEDULE_H

#include <cstdint>

namespace plat {

class FrameSchedule {
 public:
  static constexpr double kPeriodMs = 1000.0 / 60;
  // A flip later than this after its refresh starts the ticks again from now instead of
  // hurrying through the missed ones (a message box, a debugger, a hidden tab). Shorter stalls,
  // such as a loaded machine's scheduler gives, are caught up so that the mean period, and the
  // game's pace, stays 60 Hz.
  static constexpr double kLongStallMs = 250;

  // The refresh a flip asked for at `nowMs` waits for, on the caller's clock in milliseconds:
  // the one planned, even when up to a long stall late (the flips after a short stall then run
  // without waiting until they are back on time); else, and for the first flip, one period from
  // now. The flip is taken to wake at it: the next is planned one period later.
  double NextRefresh(double nowMs);
  // True during the first sixteenth of each refresh, counted from the last one a flip waited
  // for; before any, from the clock's zero (a program that polls the blank without waiting for
  // it still sees one 60 times a second).
  bool InBlank(double nowMs) const;

  // NextRefresh and the sleep to it on the platform clock (core/clock.h), whole milliseconds
  // rounded up, so that a test's manual clock moves straight to each refresh.
  void WaitOnPlatformClock();
  bool InBlankOnPlatformClock();

 private:
  // The platform clock's milliseconds, carried past their wrap at 2^32.
  double PlatformNowMs();

  // Refresh n falls at start_ + n periods, each computed afresh rather than summed, so that on
  // a whole-millisecond start every 60th falls on a whole second.
  double At(int64_t n) const { return start_ + static_cast<double>(n) * 1000.0 / 60; }

  bool started_ = false;
  double start_ = 0;
  int64_t next_ = 0;  // the refresh planned next
  int64_t last_ = 0;  // the refresh the last waited flip woke at
  uint32_t platformLast_ = 0;
  double platformBase_ = 0;
  bool platformRead_ = false;
};

}  // namespace plat

#endif

#include "core/frame_schedule.h"

#include <cmath>

#include "core/clock.h"

namespace plat {

double FrameSchedule::NextRefresh(double nowMs) {
  if (!started_ || nowMs - At(next_) > kLongStallMs) {
    start_ = nowMs;
    next_ = 1;
  }
  started_ = true;
  last_ = next_++;
  return At(last_);
}

bool FrameSchedule::InBlank(double nowMs) const {
  // Before the refresh (a wake-up a little early) is the end of the one before it.
  const double phase = nowMs - (started_ ? At(last_) : 0);
  return phase >= 0 && std::fmod(phase, kPeriodMs) < kPeriodMs / 16;
}

double FrameSchedule::PlatformNowMs() {
  const uint32_t now = clock::NowMs();
  if (!platformRead_) {
    platformRead_ = true;
    platformBase_ = now;
  } else {
    platformBase_ += static_cast<uint32_t>(now - platformLast_);
  }
  platformLast_ = now;
  return platformBase_;
}

void FrameSchedule::WaitOnPlatformClock() {
  const double now = PlatformNowMs();
  const double wait = std::ceil(NextRefresh(now)) - now;
  if (wait > 0) clock::SleepMs(static_cast<uint32_t>(wait));
}

bool FrameSchedule::InBlankOnPlatformClock() { return InBlank(PlatformNowMs()); }

}  // namespace plat

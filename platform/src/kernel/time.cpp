// Sleep, the millisecond timers and the performance counter. All of them follow the clock
// source when one is attached (core/seams.h), so a test's manual clock drives the program's
// sense of time; otherwise the system's monotonic clock.
#include <windows.h>

#include <chrono>
#include <map>

#include "core/clock.h"
#include "core/last_error.h"
#include "core/reset.h"
#include "core/seams.h"
#include "core/system_sleep.h"
#include "core/trace.h"

namespace {

const std::chrono::steady_clock::time_point kStart = std::chrono::steady_clock::now();

uint32_t SystemNowMs() {
  auto elapsed = std::chrono::steady_clock::now() - kStart;
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

constexpr UINT kMinPeriod = 1;
constexpr UINT kMaxPeriod = 1000000;

// Periods asked for with timeBeginPeriod and not yet ended, with their counts.
std::map<UINT, int>& ActivePeriods() {
  static std::map<UINT, int> periods;
  return periods;
}

}  // namespace

// The platform's reset (core/reset.h).
void plat::kernel::ResetTimerPeriods() { ActivePeriods().clear(); }

namespace plat::clock {

uint32_t NowMs() {
  const seams::Clock* source = seams::clock;
  return source ? source->nowMs() : SystemNowMs();
}

void SleepMs(uint32_t ms) {
  if (const seams::Clock* source = seams::clock) {
    source->sleepMs(ms);
  } else {
    SystemSleep(ms);
  }
}

}  // namespace plat::clock

extern "C" {

void WINAPI Sleep(DWORD dwMilliseconds) {
  QV_ENTRY_OR_RETURN_VOID("Sleep", plat::trace::Dec(dwMilliseconds));
  plat::clock::SleepMs(dwMilliseconds);
}

DWORD WINAPI timeGetTime(void) {
  QV_ENTRY_OR_RETURN("timeGetTime");
  return plat::clock::NowMs();
}

DWORD WINAPI GetTickCount(void) {
  QV_ENTRY_OR_RETURN("GetTickCount");
  return plat::clock::NowMs();
}

MMRESULT WINAPI timeBeginPeriod(UINT uPeriod) {
  QV_ENTRY_OR_RETURN("timeBeginPeriod", plat::trace::Dec(uPeriod));
  if (uPeriod < kMinPeriod || uPeriod > kMaxPeriod) return TIMERR_NOCANDO;
  ++ActivePeriods()[uPeriod];
  return TIMERR_NOERROR;
}

MMRESULT WINAPI timeEndPeriod(UINT uPeriod) {
  QV_ENTRY_OR_RETURN("timeEndPeriod", plat::trace::Dec(uPeriod));
  auto& periods = ActivePeriods();
  auto it = periods.find(uPeriod);
  if (it == periods.end()) return TIMERR_NOCANDO;
  if (--it->second == 0) periods.erase(it);
  return TIMERR_NOERROR;
}

// The counter runs at 1 MHz. With the manual clock it follows the host's milliseconds.
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  QV_ENTRY_OR_RETURN("QueryPerformanceFrequency", plat::trace::Ptr(lpFrequency));
  if (!lpFrequency) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  lpFrequency->QuadPart = 1000000;
  return TRUE;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  QV_ENTRY_OR_RETURN("QueryPerformanceCounter", plat::trace::Ptr(lpPerformanceCount));
  if (!lpPerformanceCount) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (const plat::seams::Clock* clock = plat::seams::clock) {
    lpPerformanceCount->QuadPart = static_cast<LONGLONG>(clock->nowMs()) * 1000;
  } else {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    lpPerformanceCount->QuadPart =
        std::chrono::duration_cast<std::chrono::microseconds>(since).count();
  }
  return TRUE;
}

}  // extern "C"

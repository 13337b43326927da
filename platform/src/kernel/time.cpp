// Sleep, the millisecond timers and the performance counter. All of them follow the host's
// clock, so a test's manual clock drives the program's sense of time.
#include <windows.h>

#include <chrono>
#include <map>
#include <thread>

#include "core/host_state.h"

namespace {

constexpr UINT kMinPeriod = 1;
constexpr UINT kMaxPeriod = 1000000;

// Periods asked for with timeBeginPeriod and not yet ended, with their counts.
std::map<UINT, int>& ActivePeriods() {
  static std::map<UINT, int> periods;
  return periods;
}

}  // namespace

extern "C" {

void WINAPI Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds == 0 && !plat::host::ManualClock()) {
    std::this_thread::yield();
    return;
  }
  plat::host::SleepMs(dwMilliseconds);
}

DWORD WINAPI timeGetTime(void) { return plat::host::NowMs(); }

DWORD WINAPI GetTickCount(void) { return plat::host::NowMs(); }

MMRESULT WINAPI timeBeginPeriod(UINT uPeriod) {
  if (uPeriod < kMinPeriod || uPeriod > kMaxPeriod) return TIMERR_NOCANDO;
  ++ActivePeriods()[uPeriod];
  return TIMERR_NOERROR;
}

MMRESULT WINAPI timeEndPeriod(UINT uPeriod) {
  auto& periods = ActivePeriods();
  auto it = periods.find(uPeriod);
  if (it == periods.end()) return TIMERR_NOCANDO;
  if (--it->second == 0) periods.erase(it);
  return TIMERR_NOERROR;
}

// The counter runs at 1 MHz. With the manual clock it follows the host's milliseconds.
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  if (!lpFrequency) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  lpFrequency->QuadPart = 1000000;
  return TRUE;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  if (!lpPerformanceCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (plat::host::ManualClock()) {
    lpPerformanceCount->QuadPart = static_cast<LONGLONG>(plat::host::NowMs()) * 1000;
  } else {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    lpPerformanceCount->QuadPart =
        std::chrono::duration_cast<std::chrono::microseconds>(since).count();
  }
  return TRUE;
}

}  // extern "C"

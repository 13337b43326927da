// The platform's own sense of time, for its services and backends: the clock source when one is
// attached (core/seams.h), else the system's monotonic clock. The exported timeGetTime and Sleep
// answer from it too, but are the program's calls, with their entry lines.
#ifndef QV_PLATFORM_CORE_CLOCK_H
#define QV_PLATFORM_CORE_CLOCK_H

#include <cstdint>

namespace plat::clock {

// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t NowMs();
void SleepMs(uint32_t ms);

}  // namespace plat::clock

#endif

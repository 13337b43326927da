// The system's own sleep, for the platform's waits that do not follow the clock seam. In the
// browser it hands control back to the page (the program runs under Asyncify), so events and
// drawing go on while the program waits.
#ifndef QV_PLATFORM_CORE_SYSTEM_SLEEP_H
#define QV_PLATFORM_CORE_SYSTEM_SLEEP_H

#include <cstdint>

namespace plat {

// Sleeps at least `ms` milliseconds; 0 yields.
void SystemSleep(uint32_t ms);

}  // namespace plat

#endif

#include "core/system_sleep.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#else
#include <chrono>
#include <thread>
#endif

namespace plat {

void SystemSleep(uint32_t ms) {
#ifdef __EMSCRIPTEN__
  emscripten_sleep(ms);
#else
  if (ms == 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
#endif
}

}  // namespace plat

// A pause of the leak checker (LeakSanitizer, in sanitizer builds) for a scope: what a system
// library allocates meanwhile and keeps for the life of the process (D-Bus, the X server's and
// the GL driver's start-up, fontconfig's configuration) is not reported as a leak.
#ifndef QV_PLATFORM_CORE_LEAK_CHECK_H
#define QV_PLATFORM_CORE_LEAK_CHECK_H

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QV_LEAK_CHECK 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QV_LEAK_CHECK 1
#endif

#ifdef QV_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace plat {

class LeakCheckPause {
 public:
#ifdef QV_LEAK_CHECK
  LeakCheckPause() { __lsan_disable(); }
  ~LeakCheckPause() { __lsan_enable(); }
#else
  LeakCheckPause() {}
#endif
  LeakCheckPause(const LeakCheckPause&) = delete;
  LeakCheckPause& operator=(const LeakCheckPause&) = delete;
};

}  // namespace plat

#endif

// The narrow places where a test host attaches to the services. Each is empty in a player's
// program; a service checks it with one load and a branch. Nothing here refers to the host:
// data flows from the services out through these, never back in.
#ifndef QV_PLATFORM_CORE_SEAMS_H
#define QV_PLATFORM_CORE_SEAMS_H

#include <windows.h>

#include <cstdint>

namespace plat {
struct PixelBuffer;
namespace trace {
struct Call;
}
}  // namespace plat

namespace plat::seams {

// A clock in place of the system's: timeGetTime, GetTickCount, QueryPerformanceCounter and
// Sleep follow it, and so does every wait of the platform.
struct Clock {
  uint32_t (*nowMs)();
  void (*sleepMs)(uint32_t ms);
};
extern const Clock* clock;

// Sees every frame a backend presents, before it is shown (if it is shown at all).
using FrameSink = void (*)(const PixelBuffer& frame);
extern FrameSink frameSink;

// Sees every service call at its entry. Returns true to answer the call itself with `*answer`.
using CallHook = bool (*)(const trace::Call& call, HRESULT* answer);
extern CallHook callHook;

}  // namespace plat::seams

#endif

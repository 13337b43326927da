// Transitional: what DirectDraw and DirectInput still ask of a test host directly, until their
// entry lines go through the call hook. The host fills in the two functions when it attaches.
#ifndef QV_PLATFORM_CORE_HOST_STATE_H
#define QV_PLATFORM_CORE_HOST_STATE_H

#include <windows.h>

#include <string>

#include "core/hardware.h"

namespace plat::host {

extern bool faultsArmed;
extern bool callLogEnabled;
extern HRESULT (*takeArmedFault)(const char* name);
extern void (*logCall)(std::string line);
inline HRESULT TakeFault(const char* name) { return faultsArmed ? takeArmedFault(name) : S_OK; }
inline bool CallLogEnabled() { return callLogEnabled; }
inline void LogCall(std::string line) {
  if (callLogEnabled) logCall(std::move(line));
}

}  // namespace plat::host

#endif

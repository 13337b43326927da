// The headless backend as the other services see it.
#ifndef QV_PLATFORM_BACKEND_HEADLESS_H
#define QV_PLATFORM_BACKEND_HEADLESS_H

#include "core/backend.h"

namespace plat {

// True for the headless backend: no window-system event can ever arrive through it, so
// nothing that waits for one may block.
bool IsHeadlessBackend(const Backend& backend);

}  // namespace plat

#endif

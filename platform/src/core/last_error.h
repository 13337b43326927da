// The thread's last error as GetLastError reports it. The services set it here: their own
// errors are no call of the program's to SetLastError.
#ifndef QV_PLATFORM_CORE_LAST_ERROR_H
#define QV_PLATFORM_CORE_LAST_ERROR_H

#include <windows.h>

namespace plat {

void SetError(DWORD code);

}  // namespace plat

#endif

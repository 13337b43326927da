// Windows multimedia: the millisecond timer.
#ifndef QV_PLATFORM_MMSYSTEM_H
#define QV_PLATFORM_MMSYSTEM_H

#include "windef.h"

typedef UINT MMRESULT;
#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97

extern "C" {
// Milliseconds as an unsigned 32-bit count that wraps after about 49.7 days.
DWORD WINAPI timeGetTime(void);
MMRESULT WINAPI timeBeginPeriod(UINT uPeriod);
MMRESULT WINAPI timeEndPeriod(UINT uPeriod);
}

#endif

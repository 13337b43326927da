// What the platform's services ask of the test host: the clock, injected faults, withdrawn
// capabilities, the call log, debugger output, message-box answers and presented frames.
#ifndef QV_PLATFORM_CORE_HOST_STATE_H
#define QV_PLATFORM_CORE_HOST_STATE_H

#include <windows.h>

#include <string>

#include "core/pixels.h"
#include "host.h"

namespace plat::host {

bool HeadlessRequested();
bool PaceFlips();

// Clock: milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t NowMs();
void SleepMs(uint32_t ms);
bool ManualClock();
void AdvanceManualClock(uint32_t ms);

// Checked on every call of every service: plain flags, so that the common case (no fault armed,
// no log) costs a load and a branch.
extern bool faultsArmed;
extern bool callLogEnabled;

HRESULT TakeArmedFault(const char* name);

// The result a call must fail with, or S_OK (0) when no fault is armed for it. Each armed
// fault is used up by the calls it answers.
inline HRESULT TakeFault(const char* name) { return faultsArmed ? TakeArmedFault(name) : S_OK; }
bool Withdrawn(qvhost::Capability capability);

inline bool CallLogEnabled() { return callLogEnabled; }
void LogCall(std::string line);
void DebugLine(const char* text);

// Records the box and returns the answer to give.
int AnswerMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// Called by a backend for each presented frame.
void RecordFrame(const PixelBuffer& frame);

}  // namespace plat::host

#endif

// SIGINT and SIGTERM close the program as its window's close button does, in whatever state
// it is: a program that cannot close by itself (a lost display, a blocked message box, a
// hang) still ends soon after, with exit code 0. For the desktop backends, SDL and headless
// (a browser page sends no signals).
#ifndef QV_PLATFORM_CORE_SIGNALS_H
#define QV_PLATFORM_CORE_SIGNALS_H

namespace plat {

// How long an asked-for close may take before the process ends without it.
constexpr unsigned kCloseGraceSeconds = 2;

// Catches SIGINT and SIGTERM where they still have their default action (a shell that runs a
// program in the background has the program ignore SIGINT; that stays). A caught signal asks
// for the close; a second one, or the end of the grace time, ends the process with exit code 0.
void CatchCloseSignals();

// True once after each caught signal: the backend's event pump then asks the program to close.
bool TakeCloseSignal();

}  // namespace plat

#endif

// The hand-over from a C++ process entry to the program's WinMain, as the Windows loader does it:
// the arguments after the program's name joined by spaces into the command line.
#ifndef QV_PLATFORM_MAIN_WINMAIN_ENTRY_H
#define QV_PLATFORM_MAIN_WINMAIN_ENTRY_H

namespace qvmain {

// Calls the program's WinMain with the module handle, the joined command line of argv[first..]
// and SW_SHOWDEFAULT; returns what WinMain returns.
int RunWinMain(int argc, char** argv, int first = 1);

}  // namespace qvmain

#endif

// The process entry on systems other than Windows (library Quorvane::main): hands over to the
// program's WinMain, as the Windows loader does.
#include "winmain_entry.h"

int main(int argc, char** argv) { return qvmain::RunWinMain(argc, argv); }

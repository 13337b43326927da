#include "winmain_entry.h"

#include <windows.h>

#include <string>

namespace qvmain {

int RunWinMain(int argc, char** argv, int first) {
  std::string commandLine;
  for (int i = first; i < argc; ++i) {
    if (i > first) commandLine += ' ';
    commandLine += argv[i];
  }
  return WinMain(GetModuleHandleA(NULL), NULL, &commandLine[0], SW_SHOWDEFAULT);
}

}  // namespace qvmain

// The process entry on systems other than Windows: hand over to the program's WinMain,
// as the Windows loader does.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return WinMain(GetModuleHandleA(NULL), NULL, &commandLine[0], SW_SHOWDEFAULT);
}

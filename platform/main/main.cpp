// The process entry on systems other than Windows: the player's options (which may end the
// process at once: --help, --version, a bad option), then the program's WinMain, as the
// Windows loader calls it.
#include <startup_options.h>
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  const int ended = plat::ApplyStartupOptions(argc, argv);
  if (ended >= 0) return ended;
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return WinMain(GetModuleHandleA(NULL), NULL, &commandLine[0], SW_SHOWDEFAULT);
}

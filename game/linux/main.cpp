// The game's process entry on Linux: the player's options and settings file (which may end the
// process at once: --help, --version, a bad option), then WinMain as on Windows.
#include <startup_options.h>

#include "winmain_entry.h"

int main(int argc, char** argv) {
  const int ended = plat::ApplyStartupOptions(argc, argv);
  if (ended >= 0) return ended;
  return qvmain::RunWinMain(argc, argv);
}

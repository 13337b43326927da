// The game's process entry on Linux: its own options, then WinMain as on Windows.
#include "options.h"
#include "winmain_entry.h"

int main(int argc, char** argv) {
  switch (ParseOptions(argc, argv)) {
    case GameAction::PrintVersion:
      PrintVersion(stdout);
      return 0;
    case GameAction::PrintHelp:
      PrintHelp(stdout);
      return 0;
    case GameAction::Play:
      break;
  }
  return qvmain::RunWinMain(argc, argv);
}

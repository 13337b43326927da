// The game's command-line options on Linux. Arguments it does not know go on to WinMain, which
// reads none, as before options existed.
#ifndef QV_GAME_LINUX_OPTIONS_H
#define QV_GAME_LINUX_OPTIONS_H

#include <cstdio>

enum class GameAction {
  Play,          // start the game
  PrintVersion,  // --version
  PrintHelp,     // --help, -h
};

GameAction ParseOptions(int argc, char** argv);
// The text of --version and --help, written to `out`.
void PrintVersion(std::FILE* out);
void PrintHelp(std::FILE* out);

#endif

#include "options.h"

#include <cstring>

#include "qvversion.h"

GameAction ParseOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) return GameAction::PrintVersion;
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      return GameAction::PrintHelp;
    }
  }
  return GameAction::Play;
}

void PrintVersion(std::FILE* out) { std::fprintf(out, "quorvane %s\n", QV_VERSION_STRING); }

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "Usage: quorvane [--version] [--help]\n"
               "A brick-and-paddle arcade game. It reads its files from the current folder.\n"
               "QV_BACKEND=headless runs it without a display.\n");
}

// Runs every file's scenarios (or those named on the command line) and prints the count.
#include <cstdio>
#include <cstring>

#include "conform.h"

namespace conform {
int Summary();
}
void RunUser();
void RunGdi();
void RunDirectDraw();
void RunDirectInput();
void RunFloatingPoint();

int main(int argc, char** argv) {
  const conform::Suite suites[] = {
      {"user", RunUser},          {"gdi", RunGdi},           {"ddraw", RunDirectDraw},
      {"dinput", RunDirectInput}, {"fpu", RunFloatingPoint},
  };
  for (const conform::Suite& suite : suites) {
    bool wanted = argc < 2;
    for (int i = 1; i < argc; ++i) wanted |= std::strcmp(argv[i], suite.name) == 0;
    if (!wanted) continue;
    std::printf("%s\n", suite.name);
    std::fflush(stdout);
    suite.run();
  }
  return conform::Summary();
}

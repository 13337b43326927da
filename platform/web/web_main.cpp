// The page's entry: WinMain as on the desktop, from the folder that holds the game's files.
// Under Asyncify a value main returns after the program first slept reaches nobody, so the exit
// code goes to the page through exit().
#include <unistd.h>
#include <windows.h>

#include <cstdlib>

int main() {
  if (chdir("/game") != 0) return 2;
  char commandLine[] = "";
  std::exit(WinMain(GetModuleHandleA(NULL), NULL, commandLine, SW_SHOWDEFAULT));
}

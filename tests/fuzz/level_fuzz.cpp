// The level reader: any file read into the wall, which is then scanned as the game's loop does.
// Without a screen the pictures do not load, which the wall does not need.
#include "brickwall.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Start();
  static BrickWall* wall = new BrickWall();
  wall->Load(fuzz::WriteFile(data, size));
  wall->IsCleared();
  return 0;
}

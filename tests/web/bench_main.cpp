// The timed page's entry (tests/web/bench.js): the game as the page runs it, with waited flips
// unpaced, and each frame stamped through the frame sink as DirectDraw hands it to the backend.
// Once the page has its figures, frames come at about 60 a second again, so that the page
// stays responsive.
#include <emscripten.h>
#include <unistd.h>
#include <windows.h>

#include <cstdlib>

#include "core/backend.h"
#include "core/seams.h"

// Returns 1 once the timing is over. clang-format would take the JavaScript for C++.
// clang-format off
EM_JS(int, qv_bench_frame, (), {
  return Module['qvBench'] ? Module['qvBench'].frameHandedOver() : 1;
});
// clang-format on

namespace {

void StampFrame(const plat::PixelBuffer&) {
  if (qv_bench_frame()) emscripten_sleep(16);
}

}  // namespace

int main() {
  if (chdir("/game") != 0) return 2;
  plat::seams::frameSink = StampFrame;
  plat::SetBackend(plat::CreateWebBackend(false));
  char commandLine[] = "";
  std::exit(WinMain(GetModuleHandleA(NULL), NULL, commandLine, SW_SHOWDEFAULT));
}

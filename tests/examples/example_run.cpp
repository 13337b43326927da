#include "example_run.h"

#include <windows.h>
#include <dinput.h>

#include <cstdlib>

ExampleRun RunExample(const std::string& name, int frames, int pictureFrame,
                      std::function<void(int frame)> input) {
  ExampleRun run;
  qvhost::Reset();
  qvhost::UseHeadless();
  qvhost::UseManualClock();
  qvhost::OnFrame([&](int frame) {
    if (input) input(frame);
    if (frame == pictureFrame) run.picture = qvhost::LastFrame();
    if (frame == frames) qvhost::Key(DIK_ESCAPE, true);
    // An example that missed its Escape is closed rather than left running.
    if (frame == frames + 30) qvhost::CloseWindow();
  });
  run.exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT);
  qvhost::OnFrame(nullptr);
  run.hashes = qvhost::FrameHashes();
  if (const char* folder = std::getenv("QV_EXAMPLE_IMAGES")) {
    qvhost::SaveFrame(run.picture, std::string(folder) + "/example-" + name + ".png");
  }
  return run;
}

// The native twin of the timed page (bench.js, bench_main.cpp): the same game on the same level,
// flips unpaced on the headless display, each frame stamped as it is handed over and then
// turned into the canvas's RGBA rows by the page's own converter (the rows that changed).
// Prints the figures as JSON.
// Usage: web_frames_native GAME_FOLDER LEVEL_FILE [FRAMES]   (FRAMES 600 by default)
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "backend/web/web_frame.h"
#include "core/backend.h"
#include "core/seams.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWarmUp = 30;
int wanted = 600;
int seen = 0;
double drawMs = 0, presentMs = 0;
Clock::time_point shownAt;
plat::web::FrameConverter converter;
fs::path folder;

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

void StampFrame(const plat::PixelBuffer& frame) {
  const Clock::time_point handedAt = Clock::now();
  const bool timing = ++seen > kWarmUp;
  if (timing) drawMs += Ms(shownAt, handedAt);
  converter.Convert(frame);
  shownAt = Clock::now();
  if (timing) presentMs += Ms(handedAt, shownAt);
  if (seen == kWarmUp + wanted) {
    std::printf("{\"frames\": %d, \"drawMsPerFrame\": %.4f, \"presentMsPerFrame\": %.4f}\n", wanted,
                drawMs / wanted, presentMs / wanted);
    std::fflush(stdout);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    _exit(0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s GAME_FOLDER LEVEL_FILE [FRAMES]\n", argv[0]);
    return 2;
  }
  if (argc > 3) wanted = std::atoi(argv[3]);
  // The game's files with the level in place of its own, in a folder of their own.
  folder = fs::temp_directory_path() / ("quorvane-frames-" + std::to_string(getpid()));
  fs::create_directories(folder);
  for (const auto& entry : fs::directory_iterator(argv[1]))
    fs::copy_file(entry.path(), folder / entry.path().filename(),
                  fs::copy_options::overwrite_existing);
  fs::copy_file(argv[2], folder / "level1.txt", fs::copy_options::overwrite_existing);
  fs::current_path(folder);
  plat::seams::frameSink = StampFrame;
  plat::SetBackend(plat::CreateHeadlessBackend(false));
  shownAt = Clock::now();
  char commandLine[] = "";
  const int code = WinMain(GetModuleHandleA(NULL), NULL, commandLine, SW_SHOWDEFAULT);
  std::fprintf(stderr, "the game ended (code %d) before %d frames\n", code, kWarmUp + wanted);
  return 1;
}

// The game's costs on the headless display, each against a reference measured in the same run:
//
//   BM_StartUp        start-up to the first presented frame (no one-second pause), with the
//                     share of it spent decoding the bitmaps (LoadImageA of the same files);
//   BM_GameFrame      one full frame of a wall of 192 bricks (fill, background, bricks, ball,
//                     paddle, flip) against the floor, memset and memcpy of the bytes that frame
//                     moves, and against the same frame composed with SDL2's RLE colour-keyed
//                     blits, in turning order: x_floor and x_sdl by the wall clock, x_floor_cpu
//                     and x_sdl_cpu by the thread's processor time;
//   BM_MemcpyFloor, BM_SdlFrame: the two references on their own.
//
// Run with --benchmark_repetitions=N --benchmark_report_aggregates_only=true and read the
// medians; the ratio counters are per repetition. Targets: start-up under 50 ms, frame at most
// twice the floor, and faster than SDL.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app.h"
#include "ball.h"
#include "brickwall.h"
#include "host.h"
#include "paddle.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// The thread's own processor time.
double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

const char* const kPictures[] = {"background2.bmp", "brick.bmp", "paddle.bmp", "ball.bmp"};

std::string AssetsFolder() {
  if (const char* assets = std::getenv("QV_ASSETS")) return assets;
  for (const char* guess : {"assets", "../assets", "../../assets", "../../../assets"}) {
    if (fs::exists(fs::path(guess) / "brick.bmp")) return fs::absolute(guess).string();
  }
  return "assets";
}

// A working folder with the game's pictures and a level; the process works in it from now on.
void EnterFolder(bool fullWall) {
  static std::string folder;
  if (folder.empty()) {
    std::string pattern = (fs::temp_directory_path() / "quorvane-bench-XXXXXX").string();
    if (mkdtemp(&pattern[0]) == nullptr) std::abort();
    folder = pattern;
    const std::string assets = AssetsFolder();
    for (const char* name : kPictures)
      fs::copy_file(fs::path(assets) / name, fs::path(folder) / name);
    fs::copy_file(fs::path(assets) / "level1.txt", fs::path(folder) / "shipped.txt");
  }
  fs::current_path(folder);
  if (fullWall) {
    std::ofstream level("level1.txt", std::ios::trunc);
    for (int row = 0; row < 12; ++row) level << "1111111111111111\n";
  } else {
    fs::copy_file("shipped.txt", "level1.txt", fs::copy_options::overwrite_existing);
  }
}

void UseHost() {
  qvhost::Reset();
  qvhost::UseHeadless(false);
  qvhost::UseManualClock();
  qvhost::CaptureFrames(false);
  qvhost::ObserveCalls(false);  // measure what a player's program runs
}

HWND GameWindow() {
  // The host's reset forgets the windows of an earlier run: a window left from one is made anew.
  if (window == nullptr || !IsWindow(window)) {
    instance = GetModuleHandleA(nullptr);
    InitWindow(SW_SHOW);
  }
  return window;
}

int CountBricks() {
  int bricks = 0;
  for (int row = 0; row < wall->rows; ++row)
    for (int column = 0; column < wall->columns; ++column)
      bricks += wall->cells[row][column] != nullptr;
  return bricks;
}

// ---- Start-up -------------------------------------------------------------------------------

void BM_StartUp(benchmark::State& state) {
  EnterFolder(false);
  UseHost();
  GameWindow();
  double decode = 0, total = 0;
  int bricks = 0;
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    InitGame();
    RunFrame();
    Clock::time_point end = Clock::now();
    state.SetIterationTime(Seconds(start, end));
    total += Seconds(start, end);
    bricks = CountBricks();
    ReleaseGame();

    // The same decoding on its own: every brick and capsule loads its own copy of brick.bmp.
    Clock::time_point decodeStart = Clock::now();
    for (const char* name : kPictures) {
      int copies = std::strcmp(name, "brick.bmp") == 0 ? bricks : 1;
      for (int i = 0; i < copies; ++i) {
        HANDLE image =
            LoadImageA(nullptr, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
        if (image != nullptr) DeleteObject(static_cast<HGDIOBJ>(image));
      }
    }
    decode += Seconds(decodeStart, Clock::now());
  }
  state.counters["bricks"] = bricks;
  state.counters["decode_share"] = total > 0 ? decode / total : 0;
}
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// ---- The memcpy floor -----------------------------------------------------------------------

struct Floor {
  std::vector<uint16_t> back = std::vector<uint16_t>(800 * 600);
  std::vector<uint16_t> background = std::vector<uint16_t>(800 * 600, 0x1234);
  std::vector<uint16_t> sheet = std::vector<uint16_t>(120 * 90, 0x4321);

  // What a frame moves: the whole back buffer cleared and covered with the background, then
  // every sprite row by row.
  void Frame(int bricks) {
    std::memset(back.data(), 0, back.size() * 2);
    std::memcpy(back.data(), background.data(), back.size() * 2);
    for (int i = 0; i < bricks; ++i) Sprite((i % 16) * 50, (i / 16) * 25, 50, 30);
    Sprite(400, 300, 15, 15);
    Sprite(360, 530, 80, 15);
    benchmark::DoNotOptimize(back.data());
    benchmark::ClobberMemory();
  }
  void Sprite(int x, int y, int w, int h) {
    for (int row = 0; row < h; ++row)
      std::memcpy(&back[static_cast<size_t>(y + row) * 800 + x],
                  &sheet[static_cast<size_t>(row) * 120], w * 2);
  }
};

// ---- SDL2 with RLE colour keys ---------------------------------------------------------------

class SdlFrame {
 public:
  SdlFrame() {
    back_ = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    background_ = Load("background2.bmp", false);
    brick_ = Load("brick.bmp", true);
    ball_ = Load("ball.bmp", true);
    paddle_ = Load("paddle.bmp", true);
  }
  ~SdlFrame() {
    for (SDL_Surface* s : {back_, background_, brick_, ball_, paddle_})
      if (s != nullptr) SDL_FreeSurface(s);
  }
  bool Ready() const { return back_ && background_ && brick_ && ball_ && paddle_; }

  void Frame(int bricks) {
    SDL_FillRect(back_, nullptr, 0);
    SDL_BlitSurface(background_, nullptr, back_, nullptr);
    SDL_Rect brick = {0, 0, 50, 30};
    for (int i = 0; i < bricks; ++i) {
      SDL_Rect to = {(i % 16) * 50, (i / 16) * 25, 50, 30};
      SDL_BlitSurface(brick_, &brick, back_, &to);
    }
    SDL_Rect ball = {0, 0, 15, 15}, ballTo = {400, 300, 15, 15};
    SDL_BlitSurface(ball_, &ball, back_, &ballTo);
    SDL_Rect paddle = {0, 0, 80, 15}, paddleTo = {360, 530, 80, 15};
    SDL_BlitSurface(paddle_, &paddle, back_, &paddleTo);
    benchmark::DoNotOptimize(back_->pixels);
    benchmark::ClobberMemory();
  }

 private:
  static SDL_Surface* Load(const char* name, bool keyed) {
    SDL_Surface* loaded = SDL_LoadBMP(name);
    if (loaded == nullptr) return nullptr;
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB565, 0);
    SDL_FreeSurface(loaded);
    if (converted != nullptr && keyed) {
      SDL_LockSurface(converted);
      Uint32 key = *static_cast<const Uint16*>(converted->pixels);
      SDL_UnlockSurface(converted);
      SDL_SetColorKey(converted, SDL_TRUE | SDL_RLEACCEL, key);
    }
    return converted;
  }

  SDL_Surface* back_ = nullptr;
  SDL_Surface* background_ = nullptr;
  SDL_Surface* brick_ = nullptr;
  SDL_Surface* ball_ = nullptr;
  SDL_Surface* paddle_ = nullptr;
};

// ---- One frame -------------------------------------------------------------------------------

// The game on a full wall, with the ball held still so that no brick is knocked out.
bool StartFullWall() {
  EnterFolder(true);
  UseHost();
  GameWindow();
  if (!InitGame()) return false;
  ball->speed = 0;
  ball->x = 400;
  ball->y = 300;
  return CountBricks() == 192;
}

void BM_GameFrame(benchmark::State& state) {
  if (!StartFullWall()) {
    state.SkipWithError("the game did not start");
    ReleaseGame();
    return;
  }
  Floor floor;
  SdlFrame sdl;
  // The three frames run in an order that turns from one iteration to the next, so that none
  // always finds the caches as another left them. Wall-clock and thread processor times are
  // both kept: on a loaded machine the processor time leaves out the time other programs had.
  const std::function<void()> frames[] = {[] { RunFrame(); }, [&] { floor.Frame(192); },
                                          [&] {
                                            if (sdl.Ready()) sdl.Frame(192);
                                          }};
  double wall[3] = {}, cpu[3] = {};
  int turn = 0;
  for (auto _ : state) {
    double ours = 0;
    for (int k = 0; k < 3; ++k) {
      const int which = (turn + k) % 3;
      const Clock::time_point start = Clock::now();
      const double startCpu = ThreadSeconds();
      frames[which]();
      const double seconds = Seconds(start, Clock::now());
      wall[which] += seconds;
      cpu[which] += ThreadSeconds() - startCpu;
      if (which == 0) ours = seconds;
    }
    state.SetIterationTime(ours);
    turn = (turn + 1) % 3;
  }
  state.counters["standing"] = CountBricks();
  state.counters["x_floor"] = wall[1] > 0 ? wall[0] / wall[1] : 0;
  state.counters["x_sdl"] = wall[2] > 0 ? wall[0] / wall[2] : 0;
  state.counters["x_floor_cpu"] = cpu[1] > 0 ? cpu[0] / cpu[1] : 0;
  state.counters["x_sdl_cpu"] = cpu[2] > 0 ? cpu[0] / cpu[2] : 0;
  ReleaseGame();
}
BENCHMARK(BM_GameFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_MemcpyFloor(benchmark::State& state) {
  Floor floor;
  for (auto _ : state) floor.Frame(192);
}
BENCHMARK(BM_MemcpyFloor)->Unit(benchmark::kMicrosecond);

void BM_SdlFrame(benchmark::State& state) {
  EnterFolder(true);
  SdlFrame sdl;
  if (!sdl.Ready()) {
    state.SkipWithError("SDL could not load the pictures");
    return;
  }
  for (auto _ : state) sdl.Frame(192);
}
BENCHMARK(BM_SdlFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

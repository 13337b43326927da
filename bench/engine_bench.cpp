// The engine's own costs on the headless display, each against a reference measured in the same
// run:
//
//   BM_ShellFrame      one frame of the bare program: Surface::Fill of the 800 x 600 x 16 back
//                      buffer and Screen::Flip (waited, no pacing), as the game's shell does it;
//   BM_SurfaceFill     Surface::Fill of 800 x 600 x 16, reported as a ratio to BM_Memset;
//   BM_Memset          memset of the same 960000 bytes;
//   BM_SurfaceLock     Surface::Lock and Unlock of a 50 x 30 sprite, the frame every software
//                      blitter puts around its pixels twice;
//   BM_BlendOneRow     Surface::BlitAlphaMap of one row of 32 pixels: mostly what a blend costs
//                      beside its pixels (clipping, both locks, setting up the rows, choosing
//                      the loop).
//
// Run with --benchmark_repetitions=5 --benchmark_report_aggregates_only=true and read the
// medians. Target: the fill at most 1.3 x memset.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "bench_window.h"
#include "host.h"
#include "qvscreen.h"
#include "qvsurface.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr size_t kBytes = static_cast<size_t>(kWidth) * kHeight * 2;

// A full-screen 800 x 600 x 16 display for one benchmark; each benchmark deletes its own, so
// that the benchmarks of the game after these start from a display nobody holds.
Screen* BenchScreen() {
  qvhost::UseHeadless(false);
  qvhost::CaptureFrames(false);
  qvhost::ObserveCalls(false);  // measure what a player's program runs
  Screen* screen = new Screen();
  if (!screen->CreateFullScreen(BenchWindow(), kWidth, kHeight, 16, 0)) {
    delete screen;
    return nullptr;
  }
  return screen;
}

// The memset time per iteration of the most recent BM_Memset run, for the ratio counter.
double memsetSeconds = 0;

void BM_Memset(benchmark::State& state) {
  std::vector<uint8_t> pixels(kBytes);
  auto start = std::chrono::steady_clock::now();
  int64_t n = 0;
  for (auto _ : state) {
    std::memset(pixels.data(), static_cast<int>(n & 0xFF), kBytes);
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
    ++n;
  }
  memsetSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / n;
  state.SetBytesProcessed(n * static_cast<int64_t>(kBytes));
}
BENCHMARK(BM_Memset);

void BM_SurfaceFill(benchmark::State& state) {
  Screen* screen = BenchScreen();
  if (screen == nullptr) {
    state.SkipWithError("no display");
    return;
  }
  Surface* back = screen->GetBack();
  auto start = std::chrono::steady_clock::now();
  int64_t n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(back->Fill(static_cast<DWORD>(n & 0xFFFF)));
    ++n;
  }
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / n;
  if (memsetSeconds > 0) state.counters["x_memset"] = seconds / memsetSeconds;
  state.SetBytesProcessed(n * static_cast<int64_t>(kBytes));
  delete screen;
}
BENCHMARK(BM_SurfaceFill);

void BM_ShellFrame(benchmark::State& state) {
  Screen* screen = BenchScreen();
  if (screen == nullptr) {
    state.SkipWithError("no display");
    return;
  }
  for (auto _ : state) {
    screen->GetBack()->Fill(0);
    benchmark::DoNotOptimize(screen->Flip(1, 1, 0));
  }
  delete screen;
}
BENCHMARK(BM_ShellFrame);

// A 50 x 30 sprite in system memory and a blend destination, on a display of their own.
struct SpriteAndBack {
  SpriteAndBack() : screen(BenchScreen()) {
    if (!screen) return;
    sprite = std::make_unique<Surface>(screen, 50, 30, SystemMemory);
    sprite->alphaMap = new BYTE[50 * 30]();
  }
  ~SpriteAndBack() {
    sprite.reset();
    delete screen;
  }
  Screen* screen;
  std::unique_ptr<Surface> sprite;
};

void BM_SurfaceLock(benchmark::State& state) {
  SpriteAndBack s;
  if (!s.screen) return state.SkipWithError("no display");
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.sprite->Lock());
    benchmark::DoNotOptimize(s.sprite->Unlock());
  }
}
BENCHMARK(BM_SurfaceLock);

void BM_BlendOneRow(benchmark::State& state) {
  SpriteAndBack s;
  if (!s.screen) return state.SkipWithError("no display");
  Surface* back = s.screen->GetBack();
  const RECT one = {0, 0, 32, 1};
  for (auto _ : state) benchmark::DoNotOptimize(s.sprite->BlitAlphaMap(back, 10, 10, one));
}
BENCHMARK(BM_BlendOneRow);

}  // namespace

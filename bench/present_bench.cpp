// The SDL backend's present pass without a graphics card: an 800 x 600 RGB565 frame converted
// and scaled in one pass into a window's 0x00RRGGBB pixels, beside the floor (a memcpy of the
// picture's bytes, window row to window row) and the path it replaced (the frame converted to
// 0x00RRGGBB, then scaled by SDL's software renderer with linear filtering). Each iteration runs
// all three in rotating order; the benchmark's time is the one pass's thread time. Counters:
// x_memcpy is its time over the memcpy's, x_sdl over the old path's, us_* the times.
//
// Run with --benchmark_filter=Present --benchmark_repetitions=5
// --benchmark_report_aggregates_only=true and read the medians.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstring>
#include <random>
#include <vector>

#include "backend/sdl/picture_scaler.h"
#include "backend/sdl/sdl_frame.h"

namespace {

constexpr int kW = 800, kH = 600;

double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void Present(benchmark::State& state) {
  const int outW = static_cast<int>(state.range(0)), outH = static_cast<int>(state.range(1));
  const auto filter = static_cast<plat::Filter>(state.range(2));
  std::vector<uint16_t> pixels(kW * kH);
  std::mt19937 random(3);
  for (uint16_t& p : pixels) p = static_cast<uint16_t>(random());
  plat::PixelBuffer frame;
  frame.bits = reinterpret_cast<uint8_t*>(pixels.data());
  frame.width = kW;
  frame.height = kH;
  frame.pitch = kW * 2;
  frame.format = plat::PixelFormat::Rgb565();
  const plat::sdl::Area area = plat::sdl::PictureArea(kW, kH, outW, outH, plat::Scaling::Fit);

  std::vector<uint32_t> window(static_cast<size_t>(outW) * outH), copy(window.size());
  plat::sdl::PictureScaler scaler;

  // The old path: SDL's software renderer drawing into a surface of the window's size.
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, outW, outH, 32, SDL_PIXELFORMAT_RGB888);
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "1");
  SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(target);
  SDL_Texture* texture =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kW, kH);
  const SDL_Rect picture = {area.x, area.y, area.w, area.h};
  std::vector<uint32_t> converted(kW * kH);

  double one = 0, floor = 0, old = 0;
  int turn = 0;
  for (auto _ : state) {
    double ours = 0;
    for (int k = 0; k < 3; ++k) {
      const double start = ThreadSeconds();
      switch ((turn + k) % 3) {
        case 0:
          scaler.Draw(frame, filter, window.data(), outW, area);
          break;
        case 1:
          for (int y = 0; y < area.h; ++y) {
            const size_t at = static_cast<size_t>(area.y + y) * outW + area.x;
            std::memcpy(&copy[at], &window[at], static_cast<size_t>(area.w) * 4);
          }
          break;
        default:
          plat::sdl::FrameToXrgb(frame, converted.data());
          SDL_UpdateTexture(texture, nullptr, converted.data(), kW * 4);
          SDL_RenderCopy(renderer, texture, nullptr, &picture);
          break;
      }
      benchmark::ClobberMemory();
      const double t = ThreadSeconds() - start;
      (turn + k) % 3 == 0 ? (one += t, ours = t) : (turn + k) % 3 == 1 ? floor += t : old += t;
    }
    state.SetIterationTime(ours);
    ++turn;
  }
  state.counters["x_memcpy"] = one / floor;
  state.counters["x_sdl"] = one / old;
  const double n = static_cast<double>(state.iterations());
  state.counters["us_pass"] = one / n * 1e6;
  state.counters["us_memcpy"] = floor / n * 1e6;
  state.counters["us_sdl"] = old / n * 1e6;
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_FreeSurface(target);
}

// Outputs of 1280 x 720 and 1920 x 1080; filters nearest (0), linear (1), sharp (2).
BENCHMARK(Present)
    ->ArgsProduct({{1280}, {720}, {0, 1, 2}})
    ->ArgsProduct({{1920}, {1080}, {0, 1, 2}})
    ->UseManualTime()
    ->Iterations(300);

}  // namespace

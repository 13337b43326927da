// The engine's software blitters side by side with other libraries on 800 x 600 RGB565: in
// every iteration each contender runs once, in an order that rotates from one iteration to the
// next, and the benchmark's time is Quorvane's. Counters: x_<contender> is Quorvane's time over
// that contender's (below 1 means Quorvane is faster), us_<contender> its time per iteration.
// Times are the thread's processor time. Contenders: SDL2 (surfaces and its software renderer),
// pixman, SDL2_gfx, cached FreeType glyphs, and the floor: memcpy or memset of the same bytes, or
// the same loop written plainly.
//
// Each benchmark runs a fixed number of iterations, so that the slowest contenders bound the
// time it takes. Run with --benchmark_filter=Blit --benchmark_repetitions=5
// --benchmark_report_aggregates_only=true and read the medians.
#include <SDL.h>
#include <SDL2_gfxPrimitives.h>
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <pixman.h>
#include <windows.h>

#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bitmapfont.h"
#include "bench_window.h"
#include "host.h"
#include "qvscreen.h"
#include "qvsurface.h"

namespace {

constexpr int kW = 800, kH = 600;
constexpr size_t kBytes = static_cast<size_t>(kW) * kH * 2;

struct Contender {
  std::string name;
  std::function<void()> run;
  double seconds = 0;
};

// Runs the contenders once per iteration in rotating order; contenders[0] is Quorvane.
// The thread's own processor time: on a shared machine the wall clock also counts the time
// other programs had the processor.
double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// With BLIT_BENCH_SOLO set, Quorvane and the last contender (the floor) run alone.
void Race(benchmark::State& state, std::vector<Contender> contenders) {
  if (std::getenv("BLIT_BENCH_SOLO") && contenders.size() > 2)
    contenders.erase(contenders.begin() + 1, contenders.end() - 1);
  const size_t n = contenders.size();
  size_t turn = 0;
  int64_t iterations = 0;
  for (auto _ : state) {
    double ours = 0;
    for (size_t k = 0; k < n; ++k) {
      Contender& c = contenders[(turn + k) % n];
      const double start = ThreadSeconds();
      c.run();
      benchmark::ClobberMemory();
      const double t = ThreadSeconds() - start;
      c.seconds += t;
      if (&c == &contenders[0]) ours = t;
    }
    state.SetIterationTime(ours);
    ++turn;
    ++iterations;
  }
  if (iterations == 0) return;
  for (size_t k = 1; k < n; ++k) {
    if (contenders[k].seconds > 0)
      state.counters["x_" + contenders[k].name] = contenders[0].seconds / contenders[k].seconds;
  }
  for (const Contender& c : contenders)
    state.counters["us_" + c.name] = c.seconds / static_cast<double>(iterations) * 1e6;
}

// ---- Quorvane's side: a headless display and system-memory surfaces -------------------------

struct Display {
  Display() {
    qvhost::UseHeadless(false);
    qvhost::CaptureFrames(false);
    qvhost::ObserveCalls(false);  // measure what a player's program runs
    screen = std::make_unique<Screen>();
    if (!screen->CreateFullScreen(BenchWindow(), kW, kH, 16, 0)) screen.reset();
  }
  std::unique_ptr<Screen> screen;
};

// Random 5-6-5 pixels; every fifth run of pixels is the key 0.
void Randomize(uint16_t* pixels, size_t count, bool withKeys, uint32_t pattern) {
  std::mt19937 random(pattern);
  for (size_t i = 0; i < count; ++i) pixels[i] = static_cast<uint16_t>(random() | 1);
  if (!withKeys) return;
  for (size_t i = 0; i < count; i += 1 + random() % 40)
    for (size_t run = random() % 12; run > 0 && i < count; --run, ++i) pixels[i] = 0;
}

std::unique_ptr<Surface> MakeSurface(Screen* screen, int w, int h, bool withKeys,
                                     uint32_t pattern) {
  auto s = std::make_unique<Surface>(screen, w, h, SystemMemory);
  if (s->Lock() == DD_OK) {
    for (int y = 0; y < h; ++y) {
      Randomize(
          reinterpret_cast<uint16_t*>(static_cast<BYTE*>(s->desc.lpSurface) + y * s->desc.lPitch),
          static_cast<size_t>(w), withKeys, pattern + y);
    }
    s->Unlock();
  }
  s->alphaMap = new BYTE[static_cast<size_t>(w) * h];
  std::mt19937 random(pattern);
  for (int i = 0; i < w * h; ++i) s->alphaMap[i] = static_cast<BYTE>(random());
  if (withKeys) s->SetColorKey(0);
  return s;
}

// The same pictures for the other libraries: SDL surfaces, and pixman images over them.
struct Peer {
  Peer(int w, int h, bool withKeys, uint32_t pattern) {
    surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB565);
    for (int y = 0; y < h; ++y)
      Randomize(
          reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch),
          static_cast<size_t>(w), withKeys, pattern + y);
    image = pixman_image_create_bits(PIXMAN_r5g6b5, w, h, static_cast<uint32_t*>(surface->pixels),
                                     surface->pitch);
    // ARGB with the alpha of the map, and the key pixels transparent, for the blends of pixman
    // and SDL that take their weights from the pixels.
    argb = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    std::mt19937 random(pattern);
    for (int y = 0; y < h; ++y) {
      const uint16_t* from = reinterpret_cast<const uint16_t*>(
          static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch);
      uint32_t* to =
          reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(argb->pixels) + y * argb->pitch);
      for (int x = 0; x < w; ++x) {
        const uint32_t p = from[x];
        const uint32_t rgb = ((p >> 11) << 19) | (((p >> 5) & 63) << 10) | ((p & 31) << 3);
        const uint32_t a = withKeys && p == 0 ? 0 : (random() & 0xFF);
        // pixman wants premultiplied colour.
        const uint32_t r = ((rgb >> 16) & 0xFF) * a / 255, g = ((rgb >> 8) & 0xFF) * a / 255,
                       b = (rgb & 0xFF) * a / 255;
        to[x] = (a << 24) | (r << 16) | (g << 8) | b;
      }
    }
    argbImage = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h,
                                         static_cast<uint32_t*>(argb->pixels), argb->pitch);
    if (withKeys) SDL_SetColorKey(surface, SDL_TRUE, 0);
  }
  ~Peer() {
    pixman_image_unref(image);
    pixman_image_unref(argbImage);
    SDL_FreeSurface(surface);
    SDL_FreeSurface(argb);
  }
  SDL_Surface* surface = nullptr;
  SDL_Surface* argb = nullptr;
  pixman_image_t* image = nullptr;
  pixman_image_t* argbImage = nullptr;
};

pixman_image_t* Solid(uint16_t alpha) {
  pixman_color_t color = {0, 0, 0, alpha};
  return pixman_image_create_solid_fill(&color);
}

std::vector<uint8_t> floorFrom(kBytes), floorTo(kBytes);

Contender Memcpy(size_t bytes = kBytes) {
  return {"memcpy", [bytes] { std::memcpy(floorTo.data(), floorFrom.data(), bytes); }};
}

// SDL2's blend of a whole surface with a constant alpha.
Contender SdlAlpha(Peer& from, Peer& to, Uint8 alpha) {
  return {"sdl2", [&from, &to, alpha] {
            SDL_SetSurfaceBlendMode(from.surface, SDL_BLENDMODE_BLEND);
            SDL_SetSurfaceAlphaMod(from.surface, alpha);
            SDL_BlitSurface(from.surface, nullptr, to.surface, nullptr);
          }};
}

// pixman's composite of a whole image through a solid mask of the given alpha.
Contender PixmanMasked(Peer& from, Peer& to, pixman_op_t op, uint16_t alpha) {
  return {"pixman", [&from, &to, op, alpha] {
            pixman_image_t* mask = Solid(alpha);
            pixman_image_composite32(op, from.image, mask, to.image, 0, 0, 0, 0, 0, 0, kW, kH);
            pixman_image_unref(mask);
          }};
}

// A source picture of w x h blended onto an 800 x 600 destination, the same pixels on each
// side: Quorvane's surfaces and the peers' images.
struct Pictures {
  Pictures(int w, int h, bool withKeys, uint32_t pattern)
      : from(w, h, withKeys, pattern), to(kW, kH, false, 2) {
    if (!display.screen) return;
    source = MakeSurface(display.screen.get(), w, h, withKeys, pattern);
    dest = MakeSurface(display.screen.get(), kW, kH, false, 2);
  }
  Display display;
  std::unique_ptr<Surface> source, dest;
  Peer from, to;
};

// ---- Full-surface blends --------------------------------------------------------------------

enum Op { kHalf, kConstant, kFade, kShade, kHalfShade, kAlphaMap };

void FullSurface(benchmark::State& state, Op op) {
  Pictures pictures(kW, kH, false, 1);
  if (!pictures.source) return state.SkipWithError("no display");
  Peer& from = pictures.from;
  Peer& to = pictures.to;
  const RECT all = {0, 0, kW, kH};
  std::vector<Contender> c;
  Surface* s = pictures.source.get();
  Surface* d = pictures.dest.get();
  switch (op) {
    case kHalf:
      c.push_back({"quorvane", [=] { s->BlitHalfBlend(d, 0, 0, all); }});
      c.push_back(SdlAlpha(from, to, 128));
      c.push_back(PixmanMasked(from, to, PIXMAN_OP_OVER, 0x8000));
      break;
    case kConstant:
      c.push_back({"quorvane", [=] { s->BlitAlpha(d, 0, 0, all, 77); }});
      c.push_back(SdlAlpha(from, to, 179));
      c.push_back(PixmanMasked(from, to, PIXMAN_OP_OVER, 179 * 257));
      break;
    case kFade:
      c.push_back({"quorvane", [=] { s->BlitFade(d, 0, 0, all, 160); }});
      c.push_back({"sdl2", [&] {
                     SDL_SetSurfaceBlendMode(from.surface, SDL_BLENDMODE_NONE);
                     SDL_SetSurfaceColorMod(from.surface, 160, 160, 160);
                     SDL_BlitSurface(from.surface, nullptr, to.surface, nullptr);
                     SDL_SetSurfaceColorMod(from.surface, 255, 255, 255);
                   }});
      c.push_back(PixmanMasked(from, to, PIXMAN_OP_SRC, 160 * 257));
      break;
    case kShade:
    case kHalfShade: {
      const DWORD factor = op == kShade ? 160 : 128;
      if (op == kShade)
        c.push_back({"quorvane", [=] { s->BlitShade(d, 0, 0, all, factor); }});
      else
        c.push_back({"quorvane", [=] { s->BlitHalfShade(d, 0, 0, all); }});
      c.push_back({"pixman", [&, factor] {
                     pixman_image_t* shade = Solid(static_cast<uint16_t>(factor * 256 - 1));
                     pixman_image_composite32(PIXMAN_OP_IN_REVERSE, shade, nullptr, to.image, 0, 0,
                                              0, 0, 0, 0, kW, kH);
                     pixman_image_unref(shade);
                   }});
      if (op == kHalfShade) {
        c.push_back({"loop", [&] {
                       uint16_t* p = reinterpret_cast<uint16_t*>(to.surface->pixels);
                       for (size_t i = 0; i < kBytes / 2; ++i) p[i] = (p[i] >> 1) & 0x7BEF;
                     }});
      }
      break;
    }
    case kAlphaMap:
      c.push_back({"quorvane", [=] { s->BlitAlphaMap(d, 0, 0, all); }});
      c.push_back({"sdl2", [&] {
                     SDL_SetSurfaceBlendMode(from.argb, SDL_BLENDMODE_BLEND);
                     SDL_BlitSurface(from.argb, nullptr, to.surface, nullptr);
                   }});
      c.push_back({"pixman", [&] {
                     pixman_image_composite32(PIXMAN_OP_OVER, from.argbImage, nullptr, to.image, 0,
                                              0, 0, 0, 0, 0, kW, kH);
                   }});
      break;
  }
  c.push_back(Memcpy());
  Race(state, std::move(c));
}

void BM_BlitHalfBlend(benchmark::State& state) { FullSurface(state, kHalf); }
void BM_BlitConstantAlpha(benchmark::State& state) { FullSurface(state, kConstant); }
void BM_BlitFade(benchmark::State& state) { FullSurface(state, kFade); }
void BM_BlitShade(benchmark::State& state) { FullSurface(state, kShade); }
void BM_BlitHalfShade(benchmark::State& state) { FullSurface(state, kHalfShade); }
void BM_BlitAlphaMap(benchmark::State& state) { FullSurface(state, kAlphaMap); }
BENCHMARK(BM_BlitHalfBlend)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(BM_BlitConstantAlpha)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(BM_BlitFade)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(BM_BlitShade)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(BM_BlitHalfShade)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(BM_BlitAlphaMap)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(100);

// ---- Keyed sprites: the game's wall of 192 bricks of 50 x 30 -----------------------------------

constexpr int kBrickW = 50, kBrickH = 30, kBricks = 192;

template <class F>
void EachBrick(F f) {
  for (int i = 0; i < kBricks; ++i) f((i % 16) * 50, (i / 16) * 25);
}

void KeyedBricks(benchmark::State& state, Op op) {
  Pictures pictures(kBrickW, kBrickH, true, 3);
  if (!pictures.source) return state.SkipWithError("no display");
  Peer& from = pictures.from;
  Peer& to = pictures.to;
  const RECT all = {0, 0, kBrickW, kBrickH};
  Surface* s = pictures.source.get();
  Surface* d = pictures.dest.get();
  std::vector<Contender> c;
  c.push_back({"quorvane", [=] {
                 EachBrick([&](int x, int y) {
                   switch (op) {
                     case kHalf:
                       s->BlitHalfBlendKeyed(d, x, y, all);
                       break;
                     case kConstant:
                       s->BlitAlphaKeyed(d, x, y, all, 77);
                       break;
                     case kShade:
                       s->BlitShadeKeyed(d, x, y, all, 160);
                       break;
                     default:
                       s->BlitAlphaMap(d, x, y, all);
                       break;
                   }
                 });
               }});
  if (op != kShade) {
    c.push_back({"sdl2", [&] {
                   SDL_Surface* sprite = op == kAlphaMap ? from.argb : from.surface;
                   SDL_SetSurfaceBlendMode(sprite, SDL_BLENDMODE_BLEND);
                   if (op != kAlphaMap) SDL_SetSurfaceAlphaMod(sprite, op == kHalf ? 128 : 179);
                   EachBrick([&](int x, int y) {
                     SDL_Rect at = {x, y, kBrickW, kBrickH};
                     SDL_BlitSurface(sprite, nullptr, to.surface, &at);
                   });
                 }});
  }
  c.push_back({"pixman", [&] {
                 // pixman has no colour key: the ARGB brick, transparent where the key is.
                 pixman_image_t* mask = op == kAlphaMap ? nullptr
                                                        : Solid(op == kHalf    ? 0x8000
                                                                : op == kShade ? 0x5FFF
                                                                               : 0xB3B3);
                 EachBrick([&](int x, int y) {
                   pixman_image_composite32(op == kShade ? PIXMAN_OP_OUT_REVERSE : PIXMAN_OP_OVER,
                                            from.argbImage, mask, to.image, 0, 0, 0, 0, x, y,
                                            kBrickW, kBrickH);
                 });
                 if (mask) pixman_image_unref(mask);
               }});
  c.push_back({"memcpy", [] {
                 EachBrick([](int x, int y) {
                   for (int row = 0; row < kBrickH; ++row)
                     std::memcpy(&floorTo[(static_cast<size_t>(y + row) * kW + x) * 2],
                                 &floorFrom[static_cast<size_t>(row) * kBrickW * 2], kBrickW * 2);
                 });
               }});
  Race(state, std::move(c));
}

void BM_BlitBricksHalfKeyed(benchmark::State& state) { KeyedBricks(state, kHalf); }
void BM_BlitBricksConstantKeyed(benchmark::State& state) { KeyedBricks(state, kConstant); }
void BM_BlitBricksShadeKeyed(benchmark::State& state) { KeyedBricks(state, kShade); }
void BM_BlitBricksAlphaMap(benchmark::State& state) { KeyedBricks(state, kAlphaMap); }
BENCHMARK(BM_BlitBricksHalfKeyed)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_BlitBricksConstantKeyed)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);
BENCHMARK(BM_BlitBricksShadeKeyed)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_BlitBricksAlphaMap)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

// ---- A keyed copy of a picture whose key pixels lie scattered at random ----------------------

// An n x n picture in which each pixel is the key 0 with a chance of one in five, copied with
// its colour key to the top-left corner of 800 x 600; against SDL2's run-length-encoded keyed
// blit and memcpy of the picture's rows. Sizes 128, 256 and 512 show how the cost per pixel
// grows with the picture.
void BM_BlitKeyedRandom(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Display display;
  if (!display.screen) return state.SkipWithError("no display");
  auto source = std::make_unique<Surface>(display.screen.get(), n, n, SystemMemory);
  auto dest = MakeSurface(display.screen.get(), kW, kH, false, 2);
  SDL_Surface* sdlSource = SDL_CreateRGBSurfaceWithFormat(0, n, n, 16, SDL_PIXELFORMAT_RGB565);
  Peer to(kW, kH, false, 2);
  std::mt19937 random(9);
  if (source->Lock() != DD_OK) return state.SkipWithError("no lock");
  for (int y = 0; y < n; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(static_cast<BYTE*>(source->desc.lpSurface) +
                                            y * source->desc.lPitch);
    auto* sdlRow = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(sdlSource->pixels) +
                                               y * sdlSource->pitch);
    for (int x = 0; x < n; ++x)
      row[x] = sdlRow[x] = random() % 5 == 0 ? 0 : static_cast<uint16_t>(random() | 1);
  }
  source->Unlock();
  source->SetColorKey(0);
  SDL_SetColorKey(sdlSource, SDL_TRUE, 0);
  SDL_SetSurfaceRLE(sdlSource, 1);
  Surface* s = source.get();
  Surface* d = dest.get();
  const RECT all = {0, 0, n, n};
  Race(state, {{"quorvane", [=] { s->BlitKeyedClipped(d, 0, 0, all); }},
               {"sdl2_rle",
                [&] {
                  SDL_Rect at = {0, 0, n, n};
                  SDL_BlitSurface(sdlSource, nullptr, to.surface, &at);
                }},
               {"memcpy", [n] {
                  for (int row = 0; row < n; ++row)
                    std::memcpy(&floorTo[static_cast<size_t>(row) * kW * 2],
                                &floorFrom[static_cast<size_t>(row) * n * 2], n * 2);
                }}});
  state.counters["ns_per_pixel"] = state.counters["us_quorvane"] * 1000.0 / (double(n) * n);
  SDL_FreeSurface(sdlSource);
}
BENCHMARK(BM_BlitKeyedRandom)
    ->Arg(128)
    ->Arg(256)
    ->Arg(512)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(300);

// The game's wall: 192 keyed copies of a 50 x 30 brick whose key pixels are its cut corners and
// a gap along its right and bottom edges (long opaque runs), against the same copies by SDL2's
// run-length-encoded blit and memcpy of the bricks' rows.
void BM_BlitKeyedWall(benchmark::State& state) {
  Display display;
  if (!display.screen) return state.SkipWithError("no display");
  auto brick = std::make_unique<Surface>(display.screen.get(), kBrickW, kBrickH, SystemMemory);
  auto dest = MakeSurface(display.screen.get(), kW, kH, false, 2);
  SDL_Surface* sdlBrick =
      SDL_CreateRGBSurfaceWithFormat(0, kBrickW, kBrickH, 16, SDL_PIXELFORMAT_RGB565);
  Peer to(kW, kH, false, 2);
  if (brick->Lock() != DD_OK) return state.SkipWithError("no lock");
  for (int y = 0; y < kBrickH; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(static_cast<BYTE*>(brick->desc.lpSurface) +
                                            y * brick->desc.lPitch);
    auto* sdlRow =
        reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(sdlBrick->pixels) + y * sdlBrick->pitch);
    for (int x = 0; x < kBrickW; ++x) {
      const bool corner = std::min(x, kBrickW - 3 - x) + std::min(y, kBrickH - 6 - y) < 3;
      const bool gap = x >= kBrickW - 2 || y >= kBrickH - 5;
      row[x] = sdlRow[x] = corner || gap ? 0 : static_cast<uint16_t>(0x8000 | (x * 7 + y * 3));
    }
  }
  brick->Unlock();
  brick->SetColorKey(0);
  SDL_SetColorKey(sdlBrick, SDL_TRUE, 0);
  SDL_SetSurfaceRLE(sdlBrick, 1);
  Surface* s = brick.get();
  Surface* d = dest.get();
  const RECT all = {0, 0, kBrickW, kBrickH};
  Race(state,
       {{"quorvane", [=] { EachBrick([&](int x, int y) { s->BlitKeyedClipped(d, x, y, all); }); }},
        {"sdl2_rle",
         [&] {
           EachBrick([&](int x, int y) {
             SDL_Rect at = {x, y, kBrickW, kBrickH};
             SDL_BlitSurface(sdlBrick, nullptr, to.surface, &at);
           });
         }},
        {"memcpy", [] {
           EachBrick([](int x, int y) {
             for (int row = 0; row < kBrickH; ++row)
               std::memcpy(&floorTo[(static_cast<size_t>(y + row) * kW + x) * 2],
                           &floorFrom[static_cast<size_t>(row) * kBrickW * 2], kBrickW * 2);
           });
         }}});
  SDL_FreeSurface(sdlBrick);
}
BENCHMARK(BM_BlitKeyedWall)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

// ---- Text: a line of 54 characters ------------------------------------------------------------

const char kLine[] = "The quick brown fox jumps over the lazy dog, 0123456789";

// FreeType glyphs rendered once and kept; drawn by writing the colour where the coverage is at
// least half, as a keyed copy would.
class CachedGlyphs {
 public:
  CachedGlyphs() {
    if (FT_Init_FreeType(&library_) != 0) return;
    if (FT_New_Face(library_, "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf", 0,
                    &face_) != 0)
      return;
    FT_Set_Pixel_Sizes(face_, 0, 14);
    for (int c = 32; c < 128; ++c) {
      if (FT_Load_Char(face_, c, FT_LOAD_RENDER) != 0) continue;
      const FT_GlyphSlot g = face_->glyph;
      Glyph& out = glyphs_[c];
      out.width = static_cast<int>(g->bitmap.width);
      out.rows = static_cast<int>(g->bitmap.rows);
      out.left = g->bitmap_left;
      out.top = 11 - g->bitmap_top;
      out.advance = static_cast<int>(g->advance.x >> 6);
      for (int y = 0; y < out.rows; ++y)
        for (int x = 0; x < out.width; ++x)
          out.coverage.push_back(g->bitmap.buffer[y * g->bitmap.pitch + x]);
    }
    ready_ = true;
  }
  ~CachedGlyphs() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  bool Ready() const { return ready_; }

  void Draw(int x, int y, const char* text, uint16_t* pixels, int pitch) const {
    for (const char* p = text; *p; ++p) {
      const Glyph& g = glyphs_[static_cast<unsigned char>(*p) & 127];
      for (int row = 0; row < g.rows; ++row) {
        uint16_t* d = pixels + (y + g.top + row) * pitch + x + g.left;
        const uint8_t* c = &g.coverage[static_cast<size_t>(row) * g.width];
        for (int col = 0; col < g.width; ++col)
          if (c[col] >= 128) d[col] = 0xFFE0;
      }
      x += g.advance;
    }
  }

 private:
  struct Glyph {
    int width = 0, rows = 0, left = 0, top = 0, advance = 0;
    std::vector<uint8_t> coverage;
  };
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  Glyph glyphs_[128];
  bool ready_ = false;
};

void BM_BlitFontLine(benchmark::State& state) {
  Display display;
  if (!display.screen) return state.SkipWithError("no display");
  BitmapFont font(display.screen.get(), "Arial", 14, 0x0000FFFF, 0, 0, 400, 2);
  auto dest = MakeSurface(display.screen.get(), kW, kH, false, 2);
  CachedGlyphs freetype;
  if (!freetype.Ready()) return state.SkipWithError("no FreeType font");
  std::vector<uint16_t> pixels(static_cast<size_t>(kW) * kH);
  Surface* d = dest.get();
  Race(state, {{"quorvane", [&] { font.DrawKeyed(10, 300, kLine, d, -1); }},
               {"freetype", [&] { freetype.Draw(10, 300, kLine, pixels.data(), kW); }}});
}
BENCHMARK(BM_BlitFontLine)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(5000);

// ---- Pixels and lines -------------------------------------------------------------------------

struct Points {
  explicit Points(int count) {
    std::mt19937 random(5);
    for (int i = 0; i < count; ++i) {
      xs.push_back(static_cast<int>(random() % kW));
      ys.push_back(static_cast<int>(random() % kH));
    }
  }
  std::vector<int> xs, ys;
};

// A locked Quorvane surface, an SDL software renderer over a surface of the same size and
// plain memory, for the pixel and line benchmarks.
struct Canvases {
  Canvases(Uint8 red, Uint8 green, Uint8 blue) : to(kW, kH, false, 2) {
    if (!display.screen) return;
    dest = MakeSurface(display.screen.get(), kW, kH, false, 2);
    dest->Lock();
    renderer = SDL_CreateSoftwareRenderer(to.surface);
    SDL_SetRenderDrawColor(renderer, red, green, blue, 255);
  }
  ~Canvases() {
    if (dest) dest->Unlock();
    if (renderer) SDL_DestroyRenderer(renderer);
  }
  Display display;
  std::unique_ptr<Surface> dest;
  Peer to;
  SDL_Renderer* renderer = nullptr;
  std::vector<uint16_t> pixels = std::vector<uint16_t>(static_cast<size_t>(kW) * kH);
};

void BM_BlitPutPixel(benchmark::State& state) {
  Canvases canvases(255, 0, 0);
  if (!canvases.dest) return state.SkipWithError("no display");
  SDL_Renderer* renderer = canvases.renderer;
  std::vector<uint16_t>& pixels = canvases.pixels;
  const Points points(10000);
  std::vector<SDL_Point> sdlPoints;
  for (size_t i = 0; i < points.xs.size(); ++i) sdlPoints.push_back({points.xs[i], points.ys[i]});
  Surface* d = canvases.dest.get();
  Race(state, {{"quorvane",
                [&] {
                  for (size_t i = 0; i < points.xs.size(); ++i)
                    d->PutPixel(points.xs[i], points.ys[i], 0xF800);
                }},
               {"sdl2",
                [&] {
                  SDL_RenderDrawPoints(renderer, sdlPoints.data(),
                                       static_cast<int>(sdlPoints.size()));
                  SDL_RenderFlush(renderer);  // drawn now, not queued
                }},
               {"stores", [&] {
                  for (size_t i = 0; i < points.xs.size(); ++i)
                    pixels[static_cast<size_t>(points.ys[i]) * kW + points.xs[i]] = 0xF800;
                  benchmark::DoNotOptimize(pixels.data());
                }}});
}
BENCHMARK(BM_BlitPutPixel)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

// Integer Bresenham into plain memory: the floor of a line.
void Bresenham(uint16_t* p, int x0, int y0, int x1, int y1) {
  const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    p[static_cast<size_t>(y0) * kW + x0] = 0x07E0;
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) err += dy, x0 += sx;
    if (e2 <= dx) err += dx, y0 += sy;
  }
}

void BM_BlitLines(benchmark::State& state) {
  Canvases canvases(0, 255, 0);
  if (!canvases.dest) return state.SkipWithError("no display");
  SDL_Renderer* renderer = canvases.renderer;
  std::vector<uint16_t>& pixels = canvases.pixels;
  const Points ends(2000);
  Surface* d = canvases.dest.get();
  const size_t lines = ends.xs.size() / 2;
  const std::vector<int>& xs = ends.xs;
  const std::vector<int>& ys = ends.ys;
  Race(state, {{"quorvane",
                [&] {
                  for (size_t i = 0; i < lines; ++i)
                    d->DrawLine(xs[2 * i], ys[2 * i], xs[2 * i + 1], ys[2 * i + 1], 0x07E0);
                }},
               {"sdl2",
                [&] {
                  for (size_t i = 0; i < lines; ++i)
                    SDL_RenderDrawLine(renderer, xs[2 * i], ys[2 * i], xs[2 * i + 1],
                                       ys[2 * i + 1]);
                  SDL_RenderFlush(renderer);
                }},
               {"sdl2_gfx",
                [&] {
                  for (size_t i = 0; i < lines; ++i)
                    lineColor(renderer, static_cast<Sint16>(xs[2 * i]),
                              static_cast<Sint16>(ys[2 * i]), static_cast<Sint16>(xs[2 * i + 1]),
                              static_cast<Sint16>(ys[2 * i + 1]), 0xFF00FF00);
                  SDL_RenderFlush(renderer);
                }},
               {"bresenham", [&] {
                  for (size_t i = 0; i < lines; ++i)
                    Bresenham(pixels.data(), xs[2 * i], ys[2 * i], xs[2 * i + 1], ys[2 * i + 1]);
                  benchmark::DoNotOptimize(pixels.data());
                }}});
}
BENCHMARK(BM_BlitLines)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(100);

// ---- A keyed sprite stretched twice, and the fill ----------------------------------------------

void BM_BlitStretchKeyed(benchmark::State& state) {
  Pictures pictures(200, 150, true, 3);
  if (!pictures.source) return state.SkipWithError("no display");
  Peer& from = pictures.from;
  Peer& to = pictures.to;
  pixman_transform_t half;
  pixman_transform_init_scale(&half, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
  pixman_image_set_transform(from.argbImage, &half);
  pixman_image_set_filter(from.argbImage, PIXMAN_FILTER_NEAREST, nullptr, 0);
  Surface* s = pictures.source.get();
  Surface* d = pictures.dest.get();
  Race(state, {{"quorvane",
                [&] {
                  s->BlitResizeKeyed(d, 300, 225, RECT{0, 0, 200, 150}, 400, 300);
                }},
               {"sdl2",
                [&] {
                  SDL_Rect at = {200, 150, 400, 300};
                  SDL_BlitScaled(from.surface, nullptr, to.surface, &at);
                }},
               {"pixman", [&] {
                  pixman_image_composite32(PIXMAN_OP_OVER, from.argbImage, nullptr, to.image, 0, 0,
                                           0, 0, 200, 150, 400, 300);
                }}});
}
BENCHMARK(BM_BlitStretchKeyed)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

void BM_BlitSurfaceFill(benchmark::State& state) {
  Display display;
  if (!display.screen) return state.SkipWithError("no display");
  Surface* back = display.screen->GetBack();
  DWORD color = 0;
  Race(state,
       {{"quorvane", [&] { back->Fill(color++ & 0xFFFF); }},
        {"memset", [&] { std::memset(floorTo.data(), static_cast<int>(color & 0xFF), kBytes); }}});
}
BENCHMARK(BM_BlitSurfaceFill)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace

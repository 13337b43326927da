// DirectDraw blit speed against references measured in the same run: a full-screen BltFast
// copy against memcpy of the same bytes, a colour fill against memset, and a keyed wall of
// 192 brick sprites against SDL2's run-length-encoded colour-keyed blit; and the cost of one
// COM call that does next to nothing, which is the cost of a call's entry with no log attached.
//
//   quorvane_bench --benchmark_filter=DDraw --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true
#include <windows.h>
#include <ddraw.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "host.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSpriteW = 50;
constexpr int kSpriteH = 30;
constexpr uint16_t kKey = 0xF81F;

// The brick picture: a bevelled body with cut-off corners and a transparent gap at the right
// and bottom edges, keyed out like the game's sprites.
uint16_t BrickPixel(int x, int y) {
  const bool corner = (x + y < 3) || (kSpriteW - 1 - x + y < 3) || (x + kSpriteH - 1 - y < 3) ||
                      (kSpriteW - 1 - x + kSpriteH - 1 - y < 3);
  if (corner || x >= kSpriteW - 2 || y >= kSpriteH - 5) return kKey;
  if (x < 2 || y < 2) return 0xFFE0;
  return static_cast<uint16_t>(0x8000 | ((x * 7 + y * 3) & 0x7FF));
}

struct DDraw {
  IDirectDraw4* dd = nullptr;
  DDraw() {
    qvhost::UseHeadless();
    qvhost::ObserveCalls(false);  // measure what a player's program runs
    IDirectDraw* first = nullptr;
    DirectDrawCreate(nullptr, &first, nullptr);
    first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd));
    first->Release();
    dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
  }
  ~DDraw() { dd->Release(); }

  IDirectDrawSurface4* Make(int w, int h) {
    DDSURFACEDESC2 d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.dwWidth = w;
    d.dwHeight = h;
    d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    d.ddpfPixelFormat.dwFlags = DDPF_RGB;
    d.ddpfPixelFormat.dwRGBBitCount = 16;
    d.ddpfPixelFormat.dwRBitMask = 0xF800;
    d.ddpfPixelFormat.dwGBitMask = 0x07E0;
    d.ddpfPixelFormat.dwBBitMask = 0x001F;
    IDirectDrawSurface4* s = nullptr;
    dd->CreateSurface(&d, &s, nullptr);
    return s;
  }
};

DDraw& Shared() {
  static DDraw d;
  return d;
}

void BM_DDraw_MemcpyReference(benchmark::State& state) {
  std::vector<uint8_t> a(kWidth * kHeight * 2, 1), b(kWidth * kHeight * 2, 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(a.size()));
}
BENCHMARK(BM_DDraw_MemcpyReference);

void BM_DDraw_BltFastFullCopy(benchmark::State& state) {
  IDirectDrawSurface4* dst = Shared().Make(kWidth, kHeight);
  IDirectDrawSurface4* src = Shared().Make(kWidth, kHeight);
  for (auto _ : state) {
    if (dst->BltFast(0, 0, src, nullptr, DDBLTFAST_WAIT) != DD_OK) state.SkipWithError("BltFast");
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 2);
  src->Release();
  dst->Release();
}
BENCHMARK(BM_DDraw_BltFastFullCopy);

void BM_DDraw_MemsetReference(benchmark::State& state) {
  std::vector<uint8_t> a(kWidth * kHeight * 2, 1);
  for (auto _ : state) {
    std::memset(a.data(), 0x5A, a.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(a.size()));
}
BENCHMARK(BM_DDraw_MemsetReference);

void BM_DDraw_ColorFill(benchmark::State& state) {
  IDirectDrawSurface4* dst = Shared().Make(kWidth, kHeight);
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 0x1234;  // two different bytes: no plain memset
  for (auto _ : state) {
    if (dst->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx) != DD_OK) {
      state.SkipWithError("Blt");
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 2);
  dst->Release();
}
BENCHMARK(BM_DDraw_ColorFill);

void BM_DDraw_KeyedWallOntoBack(benchmark::State& state) {
  IDirectDrawSurface4* back = Shared().Make(kWidth, kHeight);
  IDirectDrawSurface4* brick = Shared().Make(kSpriteW, kSpriteH);
  DDSURFACEDESC2 d;
  std::memset(&d, 0, sizeof d);
  d.dwSize = sizeof d;
  brick->Lock(nullptr, &d, DDLOCK_WAIT, nullptr);
  for (int y = 0; y < kSpriteH; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch);
    for (int x = 0; x < kSpriteW; ++x) row[x] = BrickPixel(x, y);
  }
  brick->Unlock(nullptr);
  DDCOLORKEY key = {kKey, kKey};
  brick->SetColorKey(DDCKEY_SRCBLT, &key);
  RECT all = {0, 0, kSpriteW, kSpriteH};
  for (auto _ : state) {
    for (int r = 0; r < 12; ++r) {
      for (int c = 0; c < 16; ++c) {
        if (back->BltFast(50 * c, 25 * r, brick, &all, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT) !=
            DD_OK) {
          state.SkipWithError("BltFast");
        }
      }
    }
    benchmark::ClobberMemory();
  }
  brick->Release();
  back->Release();
}
BENCHMARK(BM_DDraw_KeyedWallOntoBack);

void BM_DDraw_KeyedWallSdlRle(benchmark::State& state) {
  SDL_Surface* back =
      SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 16, SDL_PIXELFORMAT_RGB565);
  SDL_Surface* brick =
      SDL_CreateRGBSurfaceWithFormat(0, kSpriteW, kSpriteH, 16, SDL_PIXELFORMAT_RGB565);
  SDL_LockSurface(brick);
  for (int y = 0; y < kSpriteH; ++y) {
    auto* row =
        reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(brick->pixels) + y * brick->pitch);
    for (int x = 0; x < kSpriteW; ++x) row[x] = BrickPixel(x, y);
  }
  SDL_UnlockSurface(brick);
  SDL_SetColorKey(brick, SDL_TRUE, kKey);
  SDL_SetSurfaceRLE(brick, 1);
  for (auto _ : state) {
    for (int r = 0; r < 12; ++r) {
      for (int c = 0; c < 16; ++c) {
        SDL_Rect to = {50 * c, 25 * r, kSpriteW, kSpriteH};
        SDL_BlitSurface(brick, nullptr, back, &to);
      }
    }
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(brick);
  SDL_FreeSurface(back);
}
BENCHMARK(BM_DDraw_KeyedWallSdlRle);

void BM_DDraw_IsLostCall(benchmark::State& state) {
  IDirectDrawSurface4* s = Shared().Make(8, 8);
  for (auto _ : state) {
    HRESULT result = s->IsLost();
    benchmark::DoNotOptimize(result);
  }
  s->Release();
}
BENCHMARK(BM_DDraw_IsLostCall);

void BM_DDraw_GetBltStatusCall(benchmark::State& state) {
  IDirectDrawSurface4* s = Shared().Make(8, 8);
  for (auto _ : state) {
    HRESULT result = s->GetBltStatus(DDGBS_CANBLT);
    benchmark::DoNotOptimize(result);
  }
  s->Release();
}
BENCHMARK(BM_DDraw_GetBltStatusCall);

}  // namespace

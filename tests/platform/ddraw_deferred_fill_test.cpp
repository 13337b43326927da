// A colour fill waits for what comes next and is dropped under an opaque copy that covers it.
// Random sequences of fills, copies (opaque, keyed, partial, scaled, within one surface),
// locks, device contexts and flips give the same pixels, the same reads along the way and the
// same presented frames as the same sequence with every fill carried out at once.
#include <random>

#include "ddraw_test_util.h"

namespace {

class DeferredFill : public ddtest::DDrawTest16 {
 protected:
  // Runs `steps` operations of script number `script` on fresh surfaces; with `immediate` every
  // fill is made visible at once by a lock. Answers every read along the way and at the end.
  std::vector<uint32_t> Run(uint32_t script, int steps, bool immediate) {
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) (*it)->Release();
    owned.clear();
    IDirectDrawSurface4* back = nullptr;
    IDirectDrawSurface4* front = Chain(1, &back, DDSCAPS_SYSTEMMEMORY);
    IDirectDrawSurface4* a = Make(64, 48);
    IDirectDrawSurface4* b = Make(64, 48);
    IDirectDrawSurface4* sprite = Make(64, 48);
    std::vector<uint32_t> reads;
    if (!front || !a || !b || !sprite) return reads;
    std::mt19937 random(script);
    std::vector<uint32_t> pixels(64 * 48);
    for (uint32_t& p : pixels) p = random() % 3 == 0 ? 0xF81F : random() & 0xFFFF;
    Write(sprite, pixels);
    DDCOLORKEY key = {0xF81F, 0xF81F};
    sprite->SetColorKey(DDCKEY_SRCBLT, &key);
    for (uint32_t& p : pixels) p = random() & 0xFFFF;

    IDirectDrawSurface4* const targets[] = {back, a, b};
    auto pick = [&] { return targets[random() % 3]; };
    // Edges on a coarse grid, so that rectangles often share an edge or just miss covering.
    auto rect = [&] {
      const LONG x = 16 * (random() % 4), y = 12 * (random() % 4);
      return RECT{x, y, x + 16 * (1 + static_cast<LONG>(random() % (4 - x / 16))),
                  y + 12 * (1 + static_cast<LONG>(random() % (4 - y / 12)))};
    };
    IDirectDrawSurface4* filled = a;
    for (int step = 0; step < steps; ++step) {
      // Often the surface just filled, so that what follows a fill is tried on it.
      IDirectDrawSurface4* to = random() % 2 ? filled : pick();
      IDirectDrawSurface4* from = pick();
      RECT r = rect();
      // A place on the grid where a copy of r fits.
      const LONG x = 16 * (random() % (5 - (r.right - r.left) / 16));
      const LONG y = 12 * (random() % (5 - (r.bottom - r.top) / 12));
      switch (random() % 9) {
        case 0:
        case 1: {
          const bool whole = random() % 2;
          FillAll(to, random() & 0xFFFF, whole ? nullptr : &r);
          filled = to;
          if (immediate) Read(to);
          break;
        }
        case 2:  // opaque, a part or the whole surface, maybe from itself
          if (random() % 3 == 0)
            to->BltFast(0, 0, from, nullptr, DDBLTFAST_WAIT);
          else
            to->BltFast(x, y, from, &r, DDBLTFAST_WAIT);
          break;
        case 3: {  // scaled or not, to the whole surface, to r or to a place on the grid
          RECT at = {x, y, x + r.right - r.left, y + r.bottom - r.top};
          RECT* const places[] = {nullptr, &at, &r};
          to->Blt(places[random() % 3], from, random() % 2 ? &r : nullptr, DDBLT_WAIT, nullptr);
          break;
        }
        case 4:  // keyed, all of the sprite or a part
          if (random() % 2)
            to->BltFast(0, 0, sprite, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
          else
            to->BltFast(x, y, sprite, &r, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
          break;
        case 5:
          Write(to, pixels);
          break;
        case 6: {
          HDC dc = nullptr;
          if (to->GetDC(&dc) == DD_OK) {
            reads.push_back(GetPixel(dc, r.left, r.top));
            SetPixel(dc, r.right - 1, r.bottom - 1, RGB(255, 255, 0));
            to->ReleaseDC(dc);
          }
          break;
        }
        case 7: {
          std::vector<uint32_t> seen = Read(to);
          reads.insert(reads.end(), seen.begin(), seen.end());
          break;
        }
        default:
          front->Flip(nullptr, DDFLIP_WAIT);
          reads.push_back(qvhost::FrameHashes().empty()
                              ? 0
                              : static_cast<uint32_t>(qvhost::FrameHashes().back()));
          break;
      }
    }
    for (IDirectDrawSurface4* s : {front, back, a, b}) {
      std::vector<uint32_t> seen = Read(s);
      reads.insert(reads.end(), seen.begin(), seen.end());
    }
    return reads;
  }
};

TEST_F(DeferredFill, EveryOrderingGivesThePixelsOfTheImmediateFill) {
  qvhost::CaptureFrames(true);
  for (uint32_t script = 0; script < 300; ++script) {
    const std::vector<uint32_t> deferred = Run(script, 8, false);
    const std::vector<uint32_t> immediate = Run(script, 8, true);
    ASSERT_FALSE(deferred.empty());
    ASSERT_EQ(deferred, immediate) << "script " << script;
  }
}

}  // namespace

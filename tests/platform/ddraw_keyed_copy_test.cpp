// Keyed copies against a pixel-by-pixel model, on sprites whose key pixels lie scattered at
// random (copied by a compare-mask select) or in long runs (copied run by run once the runs are
// known), each copied several times so that both the first copy and the later ones are seen.
#include <random>

#include "ddraw_test_util.h"

namespace {

using ddtest::DDrawTest;

class KeyedCopy : public DDrawTest {
 protected:
  void SetUp() override {
    DDrawTest::SetUp();
    FullScreen(16, 320, 200);
  }
};

TEST_F(KeyedCopy, EveryPatternOfKeyPixelsGivesTheModelsPixels) {
  std::mt19937 random(4);
  IDirectDrawSurface4* dest = Make(160, 90);
  for (int n = 0; n < 60; ++n) {
    const int w = 1 + random() % 150, h = 1 + random() % 40;
    IDirectDrawSurface4* sprite = Make(w, h);
    // Scattered: each pixel the key by chance; runs: the key in stretches of up to 40.
    const bool scattered = n % 2 == 0;
    const uint32_t key = random() & 0x7FFF, high = n % 5 == 4 ? key + random() % 40 : key;
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < pixels.size();) {
      const bool keyed = random() % 5 == 0;
      for (size_t run = scattered ? 1 : 1 + random() % 40; run > 0 && i < pixels.size(); --run)
        pixels[i++] = keyed ? key + random() % (high - key + 1) : random() & 0xFFFF;
    }
    Write(sprite, pixels);
    DDCOLORKEY ck = {key, high};
    ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT | (high != key ? DDCKEY_COLORSPACE : 0), &ck),
              DD_OK);
    for (int copy = 0; copy < 3; ++copy) {
      std::vector<uint32_t> before(160 * 90);
      for (uint32_t& p : before) p = random() & 0xFFFF;
      Write(dest, before);
      // A part of the sprite, somewhere it fits.
      const LONG left = random() % w, top = random() % h;
      const RECT part = {left, top, left + 1 + LONG(random() % (w - left)),
                         top + 1 + LONG(random() % (h - top))};
      const int x = random() % (161 - (part.right - part.left));
      const int y = random() % (91 - (part.bottom - part.top));
      ASSERT_EQ(dest->BltFast(x, y, sprite, const_cast<RECT*>(&part),
                              DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT),
                DD_OK);
      std::vector<uint32_t> expected = before;
      for (LONG sy = part.top; sy < part.bottom; ++sy) {
        for (LONG sx = part.left; sx < part.right; ++sx) {
          const uint32_t p = pixels[sy * w + sx];
          if (p < key || p > high) expected[(y + sy - part.top) * 160 + x + sx - part.left] = p;
        }
      }
      ASSERT_EQ(Read(dest), expected) << "sprite " << n << ", copy " << copy;
    }
  }
}

}  // namespace

// Keyed copies against a pixel-by-pixel model, on sprites whose key pixels lie scattered at
// random (copied by a compare-mask select) or in long runs (copied run by run once the runs are
// known), each copied several times so that both the first copy and the later ones are seen;
// and every instruction set's build of the select against the same model.
#include <random>

#include "ddraw/keyed_select.h"
#include "ddraw_test_util.h"

namespace {

using KeyedCopy = ddtest::DDrawTest16;

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

// Rows of every width up to several vectors, pitches wider than the rows, keys that are common
// or absent; 2- and 4-byte pixels. The bytes around each row must stay as they were.
TEST(KeyedSelect, EveryBuildGivesTheModelsPixels) {
  std::mt19937 random(7);
  for (const plat::ddraw::KeyedSelectBuild& build : plat::ddraw::KeyedSelectBuilds()) {
    for (int bytes : {2, 4}) {
      for (int n = 0; n < 200; ++n) {
        const int w = 1 + n % 140, h = 1 + random() % 4, pad = random() % 3;
        const int pitch = (w + pad) * bytes;
        const uint32_t mask = bytes == 2 ? 0xFFFF : 0xFFFFFFFF;
        const uint32_t key = random() & mask;
        const int keyChance = 1 + random() % 4;
        std::vector<uint8_t> src(pitch * h), dst(pitch * h + 64), expected;
        for (uint8_t& b : dst) b = static_cast<uint8_t>(random());
        for (int i = 0; i < w * h; ++i) {
          const uint32_t p = random() % keyChance == 0 ? key : random() & mask;
          std::memcpy(&src[(i / w) * pitch + (i % w) * bytes], &p, bytes);
        }
        expected = dst;
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) {
            uint32_t p = 0;
            std::memcpy(&p, &src[y * pitch + x * bytes], bytes);
            if (p != key) std::memcpy(&expected[y * pitch + x * bytes], &p, bytes);
          }
        plat::ddraw::KeyedRows rows;
        rows.dst = dst.data();
        rows.dstPitch = pitch;
        rows.src = src.data();
        rows.srcPitch = pitch;
        rows.width = w;
        rows.height = h;
        rows.key = key;
        (bytes == 2 ? build.rows16 : build.rows32)(rows);
        ASSERT_EQ(dst, expected) << build.name << ", " << bytes << " bytes, " << w << " x " << h;
      }
    }
  }
}

}  // namespace

// Sprites with the same pixels share one copy of them once used twice as a source: every copy
// must still give each surface's own pixels, after any of them is written to (by Lock, a blit
// or a DC) or released.
#include <algorithm>
#include <random>

#include "ddraw_test_util.h"

namespace {

using SharedPixels = ddtest::DDrawTest16;

TEST_F(SharedPixels, EverySpriteKeepsItsOwnPixelsThroughChanges) {
  std::mt19937 random(11);
  constexpr int kW = 37, kH = 9;
  std::vector<uint32_t> picture(kW * kH);
  for (uint32_t& p : picture) p = random() % 4 == 0 ? 0 : random() & 0xFFFF;
  IDirectDrawSurface4* dest = Make(kW, kH);
  IDirectDrawSurface4* sprites[4];
  std::vector<uint32_t> model[4];
  DDCOLORKEY key = {0, 0};
  for (int i = 0; i < 4; ++i) {
    sprites[i] = Make(kW, kH);
    Write(sprites[i], picture);
    ASSERT_EQ(sprites[i]->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    model[i] = picture;
  }
  // Draws each sprite, keyed and not, through BltFast and Blt, onto a random destination.
  auto drawAll = [&](int step) {
    for (int i = 0; i < 4; ++i) {
      if (!sprites[i]) continue;
      for (int way = 0; way < 4; ++way) {
        std::vector<uint32_t> before(kW * kH);
        for (uint32_t& p : before) p = random() & 0xFFFF;
        Write(dest, before);
        const bool keyed = way % 2 == 0;
        if (way < 2) {
          ASSERT_EQ(dest->BltFast(0, 0, sprites[i], nullptr, keyed ? DDBLTFAST_SRCCOLORKEY : 0),
                    DD_OK);
        } else {
          ASSERT_EQ(dest->Blt(nullptr, sprites[i], nullptr, keyed ? DDBLT_KEYSRC : 0, nullptr),
                    DD_OK);
        }
        std::vector<uint32_t> expected = before;
        for (size_t p = 0; p < expected.size(); ++p)
          if (!keyed || model[i][p] != 0) expected[p] = model[i][p];
        ASSERT_EQ(Read(dest), expected) << "step " << step << ", sprite " << i << ", way " << way;
      }
    }
  };
  drawAll(0);
  drawAll(1);
  // Written through a lock.
  model[1][5] = 0x1234;
  Write(sprites[1], model[1]);
  drawAll(2);
  // Written by a blit onto it, and by a DC.
  std::vector<uint32_t> other(kW * kH, 0x4321);
  Write(dest, other);
  ASSERT_EQ(sprites[2]->BltFast(0, 0, dest, nullptr, 0), DD_OK);
  model[2] = other;
  HDC dc = nullptr;
  ASSERT_EQ(sprites[3]->GetDC(&dc), DD_OK);
  SetPixel(dc, 3, 2, RGB(255, 255, 255));
  ASSERT_EQ(sprites[3]->ReleaseDC(dc), DD_OK);
  model[3] = Read(sprites[3]);
  ASSERT_NE(model[3], picture);
  drawAll(3);
  // The first sprite, whose pixels were shared first, goes.
  owned.erase(std::find(owned.begin(), owned.end(), sprites[0]));
  sprites[0]->Release();
  sprites[0] = nullptr;
  drawAll(4);
  // Back to the first picture: shared again with what is left of it.
  Write(sprites[1], picture);
  model[1] = picture;
  drawAll(5);
  drawAll(6);
}

}  // namespace

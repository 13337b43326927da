// The shared nearest-neighbour stretch against a pixel-by-pixel twin: odd sizes, both mirror
// orders, colour keys, clips, and source rectangles that reach outside the source.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/stretch.h"

namespace {

using plat::ColorKey;
using plat::MirrorOrder;
using plat::PixelBuffer;
using plat::StretchRects;

// One source index along an axis, as the twin computes it; -1 outside the source.
int64_t SourceAt(int64_t d, int64_t dstStart, int64_t dstLength, int64_t srcStart,
                 int64_t srcLength, bool mirror, MirrorOrder order, int64_t limit) {
  int64_t i = d - dstStart;
  if (mirror && order == MirrorOrder::ReflectDestination) i = dstLength - 1 - i;
  int64_t j = i * srcLength / dstLength;
  if (mirror && order == MirrorOrder::ReflectSource) j = srcLength - 1 - j;
  const int64_t s = srcStart + j;
  return s >= 0 && s < limit ? s : -1;
}

TEST(Stretch, MatchesThePixelByPixelTwin) {
  std::mt19937 rng(2024);
  auto below = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 3000; ++round) {
    const int bpp = 1 + below(4);
    const plat::PixelFormat format = plat::PixelFormat::ForDepth(bpp == 2 ? 16 : bpp * 8);
    auto image = [&](int w, int h, std::vector<uint8_t>* mem) {
      mem->resize(static_cast<size_t>(w * bpp + 3) * h);
      for (uint8_t& b : *mem) b = below(3) ? static_cast<uint8_t>(below(3)) : 0xFF;
      return PixelBuffer{mem->data(), w, h, w * bpp + 3, format, nullptr};
    };
    std::vector<uint8_t> srcMem, want, got;
    const PixelBuffer src = image(1 + below(9), 1 + below(7), &srcMem);
    const PixelBuffer dst = image(1 + below(13), 1 + below(11), &want);
    got = want;
    PixelBuffer out = dst;
    out.bits = got.data();

    StretchRects r;
    r.dstLeft = below(20) - 6, r.dstTop = below(16) - 5;
    r.dstWidth = 1 + below(15), r.dstHeight = 1 + below(12);
    r.srcLeft = below(12) - 2, r.srcTop = below(10) - 2;
    r.srcWidth = 1 + below(11), r.srcHeight = 1 + below(9);
    r.mirrorLeftRight = below(2), r.mirrorUpDown = below(2);
    r.mirrorOrder = below(2) ? MirrorOrder::ReflectSource : MirrorOrder::ReflectDestination;
    const RECT clip = {below(dst.width), below(dst.height), below(dst.width + 1),
                       below(dst.height + 1)};
    ColorKey srcKey{below(2) == 0, 0, static_cast<uint32_t>(below(2))};
    ColorKey dstKey{below(4) == 0, 0x0202u, 0xFFFFFFFFu};

    for (int y = clip.top; y < clip.bottom; ++y) {
      for (int x = clip.left; x < clip.right; ++x) {
        if (x < r.dstLeft || x >= r.dstLeft + r.dstWidth) continue;
        if (y < r.dstTop || y >= r.dstTop + r.dstHeight) continue;
        const int64_t sx = SourceAt(x, r.dstLeft, r.dstWidth, r.srcLeft, r.srcWidth,
                                    r.mirrorLeftRight, r.mirrorOrder, src.width);
        const int64_t sy = SourceAt(y, r.dstTop, r.dstHeight, r.srcTop, r.srcHeight, r.mirrorUpDown,
                                    r.mirrorOrder, src.height);
        if (sx < 0 || sy < 0) continue;
        const uint32_t v = src.GetRaw(static_cast<int>(sx), static_cast<int>(sy));
        if (srcKey.Matches(v) || (dstKey.enabled && !dstKey.Matches(dst.GetRaw(x, y)))) continue;
        dst.PutRaw(x, y, v);
      }
    }
    plat::StretchCopy(out, src, plat::PlanStretch(r, clip, src.width, src.height), srcKey, dstKey);
    ASSERT_EQ(got, want) << "round " << round;
  }
}

}  // namespace

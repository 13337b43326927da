// Software blending blitters: every rule in every format against a per-channel model, known
// 5-6-5 values, clipping at the edges, formats that can't blend, the alpha map fallback.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "blend_fixture.h"

namespace {

// The ten blitters, each with the model rule it follows: 0 alpha map, 1 halves, 2 constant
// weight, 3 shade, 4 half shade, 5 fade.
struct Blitter {
  HRESULT (Surface::*plain)(Surface*, int, int, RECT);
  HRESULT (Surface::*weighted)(Surface*, int, int, RECT, DWORD);
  bool keyed;
  int rule;
};
const Blitter kBlitters[] = {
    {&Surface::BlitAlphaMap, nullptr, true, 0},       {&Surface::BlitHalfBlend, nullptr, false, 1},
    {&Surface::BlitHalfBlendKeyed, nullptr, true, 1}, {nullptr, &Surface::BlitAlpha, false, 2},
    {nullptr, &Surface::BlitAlphaKeyed, true, 2},     {nullptr, &Surface::BlitShade, false, 3},
    {nullptr, &Surface::BlitShadeKeyed, true, 3},     {&Surface::BlitHalfShade, nullptr, false, 4},
    {&Surface::BlitHalfShadeKeyed, nullptr, true, 4}, {nullptr, &Surface::BlitFade, false, 5}};

HRESULT Apply(const Blitter& b, Surface& s, Surface* d, int x, int y, RECT r, DWORD p) {
  return b.plain ? (s.*b.plain)(d, x, y, r) : (s.*b.weighted)(d, x, y, r, p);
}

int64_t Floor256(int64_t v) { return v >= 0 ? v / 256 : -((-v + 255) / 256); }

// The destination pixel after a rule, channel by channel; the fourth byte of 32 bits stays.
DWORD Model(int rule, int depth, DWORD d, DWORD s, int64_t a, int64_t p) {
  const int shift[3] = {depth == 15 ? 10 : depth == 16 ? 11 : 16, depth <= 16 ? 5 : 8, 0};
  const int64_t top = depth <= 16 ? 31 : 255;
  const int64_t max[3] = {top, depth == 16 ? 63 : top, top};
  const int64_t w = std::min<int64_t>(p & 0xFFFF, 256);
  DWORD out = depth == 32 ? d & 0xFF000000 : 0;
  for (int c = 0; c < 3; ++c) {
    const int64_t dc = (d >> shift[c]) & max[c], sc = (s >> shift[c]) & max[c];
    const int64_t v[6] = {dc + Floor256((sc - dc) * a),
                          dc / 2 + sc / 2,
                          sc + Floor256((dc - sc) * w),
                          Floor256(dc * w),
                          dc / 2,
                          std::min(Floor256(sc * (p & 0xFFFF)), max[c])};
    out |= static_cast<DWORD>(v[rule]) << shift[c];
  }
  return out;
}

using BlendTest = BlitTest;

// An odd-width rectangle (a single leading pixel, then pairs) inside a larger destination,
// with a keyed pair, a keyed single and on 32 bits a key match whose fourth byte differs.
TEST_F(BlendTest, EveryRuleInEveryFormatMatchesTheChannelModel) {
  std::mt19937 random(7);
  for (int depth : {15, 16, 24, 32}) {
    const DWORD valueMask = depth == 32 ? 0xFFFFFFFF : (1u << (depth == 16 ? 16 : depth)) - 1;
    const DWORD keyMask = depth <= 16 ? 0xFFFF : 0xFFFFFF;
    for (const Blitter& op : kBlitters) {
      for (DWORD param : {0u, 77u, 128u, 256u, 300u, 65535u, 65536u + 40u}) {
        if (op.plain && param) continue;
        SCOPED_TRACE(testing::Message() << depth << " bits, rule " << op.rule << ", " << param);
        auto src = Make(9, 4, depth);
        auto dst = Make(12, 6, depth);
        src->alphaMap = new BYTE[9 * 4];
        for (int i = 0; i < 36; ++i) src->alphaMap[i] = i == 1 ? 0 : i == 2 ? 255 : random();
        src->colorKey = random() & keyMask & valueMask;
        std::vector<DWORD> s(9 * 4), d(12 * 6);
        for (DWORD& v : s) v = random() & valueMask;
        for (DWORD& v : d) v = random() & valueMask;
        s[9 + 2] = s[9 + 3] = src->colorKey;
        s[18 + 5] = src->colorKey | (depth == 32 ? 0x5A000000u : 0u);
        Write(*src, s);
        Write(*dst, d);
        EXPECT_EQ(Apply(op, *src, dst.get(), 3, 1, RECT{1, 0, 8, 4}, param), 0);
        const std::vector<DWORD> after = Read(*dst);
        for (int y = 0; y < 6; ++y) {
          for (int x = 0; x < 12; ++x) {
            DWORD expected = d[y * 12 + x];
            const int si = (y - 1) * 9 + x - 2;
            if (x >= 3 && x < 10 && y >= 1 && y < 5 &&
                !(op.keyed && (s[si] & keyMask) == src->colorKey))
              expected = Model(op.rule, depth, expected, s[si], src->alphaMap[si], param);
            ASSERT_EQ(after[y * 12 + x], expected) << "at " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST_F(BlendTest, KnownValuesAndKeysIn565) {
  auto src = Make(3, 1, 16);
  auto dst = Make(3, 1, 16);
  enum { kHalf = 1, kHalfKeyed = 2, kAlpha = 3, kShade = 5, kFade = 9 };  // in kBlitters
  auto blend = [&](DWORD s, DWORD d, int op, DWORD p) {
    Fill(*src, s);
    Fill(*dst, d);
    EXPECT_EQ(Apply(kBlitters[op], *src, dst.get(), 0, 0, RECT{0, 0, 3, 1}, p), 0);
    return Get(*dst, 1, 0);
  };
  EXPECT_EQ(blend(0xFFFF, 0x0000, kHalf, 0), 0x7BEFu);
  EXPECT_EQ(blend(0xF800, 0x07E0, kHalf, 0), 0x7BE0u);
  EXPECT_EQ(blend(0xF800, 0, kAlpha, 128), 15u << 11);  // 31 + floor(-3968 / 256)
  EXPECT_EQ(blend(0xF800, 0x1234, kAlpha, 300), 0x1234u);
  EXPECT_EQ(blend(0xF800, 0x1234, kAlpha, 65536), 0xF800u);
  EXPECT_EQ(blend(0, 0xFFFF, kShade, 128), 0x7BEFu);
  EXPECT_EQ(blend(0, 0xFFFF, kShade, 0), 0u);
  // A brightening factor stops each channel at its top rather than spilling over.
  EXPECT_EQ(blend((20u << 11) | (10u << 5) | 3u, 0, kFade, 512), (31u << 11) | (20u << 5) | 6u);
  // Without a key (0xFFFFFFFF) nothing is skipped, white pairs included.
  EXPECT_EQ(blend(0xFFFF, 0, kHalfKeyed, 0), 0x7BEFu);
}

TEST_F(BlendTest, ClippingAtEveryEdgeAndFormatsThatCannotBlend) {
  auto src = Make(10, 10, 16, 0xFF);
  auto dst = Make(20, 20, 16);
  const RECT all = {0, 0, 10, 10};
  const int cases[][3] = {{-4, 0, 60},  {15, 0, 50}, {0, -7, 30}, {0, 17, 30}, {-3, -3, 49},
                          {13, 13, 49}, {-10, 0, 0}, {20, 0, 0},  {0, -10, 0}, {0, 20, 0}};
  for (const auto& c : cases) {
    Fill(*dst, 0);
    EXPECT_EQ(src->BlitFade(dst.get(), c[0], c[1], all, 256), c[2] ? 0 : E_FAIL);
    EXPECT_EQ(CountNot(*dst, 0), c[2]) << c[0] << "," << c[1];
  }
  Fill(*dst, 0);
  EXPECT_EQ(src->BlitFade(dst.get(), 4, 0, RECT{2, 0, 3, 10}, 256), 0);  // one column
  EXPECT_EQ(CountNot(*dst, 0), 10);
  EXPECT_EQ(src->BlitHalfBlend(nullptr, 0, 0, all), E_FAIL);
  // A clip rectangle beyond the memory is held to it; a surface onto itself is locked once.
  auto small = Make(2, 2, 16);
  small->clipRect = RECT{0, 0, 100, 100};
  EXPECT_EQ(src->BlitFade(small.get(), 0, 0, all, 256), 0);
  EXPECT_EQ(CountNot(*small, 0xFFFF), 0);
  EXPECT_EQ(src->BlitHalfShade(src.get(), 0, 0, all), 0);
  EXPECT_EQ(CountNot(*src, 0x7BEF), 0);
  // Palette indices stay; a source of another depth would be read at the wrong stride.
  auto dst8 = Make(4, 4, 8, 0x22);
  EXPECT_EQ(Make(4, 4, 8, 0x11)->BlitHalfBlend(dst8.get(), 0, 0, RECT{0, 0, 4, 4}), 0);
  EXPECT_EQ(CountNot(*dst8, 0x22), 0);
  auto dst32 = Make(4, 4, 32, 0xAB);
  EXPECT_EQ(src->BlitHalfBlend(dst32.get(), 0, 0, all), DDERR_INVALIDPIXELFORMAT);
  EXPECT_EQ(CountNot(*dst32, 0xABABABAB), 0);
}

TEST_F(BlendTest, AlphaMapWithoutAMapDrawsKeyedAndFails) {
  auto src = Make(4, 4, 16, 0x12);
  auto dst = Make(8, 8, 16);
  Set(*src, 0, 0, 0xF81F);
  ASSERT_EQ(src->SetColorKey(0xF81F), DD_OK);
  EXPECT_EQ(src->BlitAlphaMap(dst.get(), 2, 2, RECT{0, 0, 4, 4}), E_FAIL);
  EXPECT_EQ(Get(*dst, 2, 2), 0u);
  EXPECT_EQ(CountNot(*dst, 0), 15);
  // Only width x height weights exist, whatever the memory holds.
  src->alphaMap = new BYTE[4]{255, 255, 255, 255};
  src->width = src->height = 2;
  Fill(*dst, 0);
  EXPECT_EQ(src->BlitAlphaMap(dst.get(), 0, 0, RECT{0, 0, 4, 4}), 0);
  EXPECT_EQ(CountNot(*dst, 0), 3);  // the key pixel is still left out
}

}  // namespace

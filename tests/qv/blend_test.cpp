// Software blending blitters: the rules against a per-channel model in every format, the
// colour key, clipping at the edges, palette and mismatched formats, the alpha map.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "blend_fixture.h"

namespace {

enum class Op {
  AlphaMap,
  HalfBlend,
  HalfBlendKeyed,
  Alpha,
  AlphaKeyed,
  Shade,
  ShadeKeyed,
  HalfShade,
  HalfShadeKeyed,
  Fade
};

const Op kOps[] = {Op::AlphaMap,       Op::HalfBlend, Op::HalfBlendKeyed, Op::Alpha,
                   Op::AlphaKeyed,     Op::Shade,     Op::ShadeKeyed,     Op::HalfShade,
                   Op::HalfShadeKeyed, Op::Fade};

bool Keyed(Op op) {
  return op == Op::AlphaMap || op == Op::HalfBlendKeyed || op == Op::AlphaKeyed ||
         op == Op::ShadeKeyed || op == Op::HalfShadeKeyed;
}

HRESULT Apply(Op op, Surface& src, Surface* dst, int x, int y, RECT r, DWORD p) {
  switch (op) {
    case Op::AlphaMap:
      return src.BlitAlphaMap(dst, x, y, r);
    case Op::HalfBlend:
      return src.BlitHalfBlend(dst, x, y, r);
    case Op::HalfBlendKeyed:
      return src.BlitHalfBlendKeyed(dst, x, y, r);
    case Op::Alpha:
      return src.BlitAlpha(dst, x, y, r, p);
    case Op::AlphaKeyed:
      return src.BlitAlphaKeyed(dst, x, y, r, p);
    case Op::Shade:
      return src.BlitShade(dst, x, y, r, p);
    case Op::ShadeKeyed:
      return src.BlitShadeKeyed(dst, x, y, r, p);
    case Op::HalfShade:
      return src.BlitHalfShade(dst, x, y, r);
    case Op::HalfShadeKeyed:
      return src.BlitHalfShadeKeyed(dst, x, y, r);
    case Op::Fade:
      return src.BlitFade(dst, x, y, r, p);
  }
  return S_OK;
}

struct Layout {
  int shift[3];
  int64_t max[3];
  DWORD keyMask;  // the bits the colour key is compared with
};

Layout LayoutOf(int depth) {
  if (depth == 15) return {{10, 5, 0}, {31, 31, 31}, 0xFFFF};
  if (depth == 16) return {{11, 5, 0}, {31, 63, 31}, 0xFFFF};
  return {{16, 8, 0}, {255, 255, 255}, 0xFFFFFF};
}

int64_t Floor256(int64_t v) { return v >= 0 ? v / 256 : -((-v + 255) / 256); }

// The destination pixel after one rule, channel by channel.
DWORD Model(Op op, const Layout& l, DWORD d, DWORD s, int64_t a, int64_t p) {
  DWORD out = d & ~(l.keyMask == 0xFFFF ? 0xFFFFu : 0xFFFFFFu);  // the fourth byte stays
  for (int c = 0; c < 3; ++c) {
    const int64_t dc = (d >> l.shift[c]) & l.max[c];
    const int64_t sc = (s >> l.shift[c]) & l.max[c];
    int64_t v = 0;
    switch (op) {
      case Op::AlphaMap:
        v = dc + Floor256((sc - dc) * a);
        break;
      case Op::HalfBlend:
      case Op::HalfBlendKeyed:
        v = dc / 2 + sc / 2;
        break;
      case Op::Alpha:
      case Op::AlphaKeyed:
        v = sc + Floor256((dc - sc) * std::min<int64_t>(p & 0xFFFF, 256));
        break;
      case Op::Shade:
      case Op::ShadeKeyed:
        v = Floor256(dc * std::min<int64_t>(p & 0xFFFF, 256));
        break;
      case Op::HalfShade:
      case Op::HalfShadeKeyed:
        v = dc / 2;
        break;
      case Op::Fade:
        v = std::min<int64_t>(Floor256(sc * (p & 0xFFFF)), l.max[c]);
        break;
    }
    out |= static_cast<DWORD>(v) << l.shift[c];
  }
  return out;
}

class BlendTest : public BlitTest {};

// Every rule in every format, on an odd-width rectangle placed inside a larger destination
// (single leading pixel plus pairs, neighbours untouched), with keyed pairs and single keyed
// pixels, 32-bit fourth bytes that must survive, and weights inside and beyond the limits.
TEST_F(BlendTest, EveryRuleInEveryFormatMatchesTheChannelModel) {
  std::mt19937 random(7);
  for (int depth : {15, 16, 24, 32}) {
    const Layout layout = LayoutOf(depth);
    const DWORD valueMask = depth == 15 ? 0x7FFF : depth == 16 ? 0xFFFF : 0xFFFFFFFF;
    for (Op op : kOps) {
      for (DWORD param : {0u, 1u, 77u, 128u, 255u, 256u, 300u, 65535u, 65536u + 40u}) {
        if (!(op == Op::Alpha || op == Op::AlphaKeyed || op == Op::Shade || op == Op::ShadeKeyed ||
              op == Op::Fade) &&
            param != 0u)
          continue;
        SCOPED_TRACE(testing::Message()
                     << "depth " << depth << " op " << static_cast<int>(op) << " param " << param);
        auto src = Make(9, 4, depth);
        auto dst = Make(12, 6, depth);
        std::vector<BYTE> alpha(9 * 4);
        for (BYTE& a : alpha) a = static_cast<BYTE>(random());
        alpha[1] = 0;
        alpha[2] = 255;
        src->alphaMap = new BYTE[alpha.size()];
        std::copy(alpha.begin(), alpha.end(), src->alphaMap);
        const DWORD key = random() & valueMask & layout.keyMask;
        src->colorKey = key;
        for (int y = 0; y < 4; ++y)
          for (int x = 0; x < 9; ++x) Set(*src, x, y, random() & valueMask);
        // A keyed pair, a keyed single, and on 32 bits a key match whose fourth byte differs.
        Set(*src, 2, 1, key);
        Set(*src, 3, 1, key);
        Set(*src, 5, 2, key | (depth == 32 ? 0x5A000000u : 0u));
        for (int y = 0; y < 6; ++y)
          for (int x = 0; x < 12; ++x) Set(*dst, x, y, random() & valueMask);
        const std::vector<DWORD> srcBefore = Read(*src);
        const std::vector<DWORD> before = Read(*dst);

        // Source columns 1..7 (7 wide), rows 0..3, to (3, 1).
        EXPECT_EQ(Apply(op, *src, dst.get(), 3, 1, RECT{1, 0, 8, 4}, param), 0);
        const std::vector<DWORD> after = Read(*dst);
        for (int y = 0; y < 6; ++y) {
          for (int x = 0; x < 12; ++x) {
            const DWORD d = before[y * 12 + x];
            DWORD expected = d;
            const int sx = x - 3 + 1, sy = y - 1;
            if (x >= 3 && x < 10 && y >= 1 && y < 5) {
              const DWORD s = srcBefore[sy * 9 + sx];
              if (!(Keyed(op) && (s & layout.keyMask) == key))
                expected = Model(op, layout, d, s, alpha[sy * 9 + sx], param);
            }
            ASSERT_EQ(after[y * 12 + x], expected) << "at " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST_F(BlendTest, KnownValuesIn565) {
  auto src = Make(3, 1, 16);
  auto dst = Make(3, 1, 16);
  const RECT all = {0, 0, 3, 1};
  auto blend = [&](DWORD s, DWORD d, const std::function<HRESULT()>& op) {
    Fill(*src, s);
    Fill(*dst, d);
    EXPECT_EQ(op(), 0);
    return Get(*dst, 1, 0);
  };
  auto half = [&] { return src->BlitHalfBlend(dst.get(), 0, 0, all); };
  EXPECT_EQ(blend(0xFFFF, 0x0000, half), 0x7BEFu);
  EXPECT_EQ(blend(0xF800, 0x07E0, half), 0x7BE0u);
  // Weight 128: red 31 over 0 gives 31 - 16 = 15.
  EXPECT_EQ(blend(0xF800, 0, [&] { return src->BlitAlpha(dst.get(), 0, 0, all, 128); }), 15u << 11);
  for (DWORD keep : {256u, 300u, 65535u})
    EXPECT_EQ(blend(0xF800, 0x1234, [&] { return src->BlitAlpha(dst.get(), 0, 0, all, keep); }),
              0x1234u);
  EXPECT_EQ(blend(0xF800, 0x1234, [&] { return src->BlitAlpha(dst.get(), 0, 0, all, 65536); }),
            0xF800u);
  EXPECT_EQ(blend(0, 0xFFFF, [&] { return src->BlitShade(dst.get(), 0, 0, all, 128); }),
            (15u << 11) | (31u << 5) | 15u);
  EXPECT_EQ(blend(0, 0xFFFF, [&] { return src->BlitShade(dst.get(), 0, 0, all, 0); }), 0u);
  // A factor beyond 256 brightens, each channel stopping at its top.
  EXPECT_EQ(blend((20u << 11) | (10u << 5) | 3u, 0,
                  [&] { return src->BlitFade(dst.get(), 0, 0, all, 512); }),
            (31u << 11) | (20u << 5) | 6u);
}

TEST_F(BlendTest, KeyedFormsWithoutAKeySkipNothing) {
  for (int depth : {16, 32}) {
    auto src = Make(4, 2, depth);
    auto dst = Make(4, 2, depth);
    const DWORD white = depth == 16 ? 0xFFFF : 0xFFFFFF;
    Fill(*src, white);
    ASSERT_EQ(src->colorKey, 0xFFFFFFFFu);
    EXPECT_EQ(src->BlitHalfBlendKeyed(dst.get(), 0, 0, RECT{0, 0, 4, 2}), 0);
    EXPECT_EQ(CountNot(*dst, depth == 16 ? 0x7BEFu : 0x7F7F7Fu), 0) << depth;
  }
}

TEST_F(BlendTest, ClippingAtEveryEdge) {
  auto src = Make(10, 10, 16);
  auto dst = Make(20, 20, 16);
  Fill(*src, 0xFFFF);
  const RECT all = {0, 0, 10, 10};
  struct Case {
    int x, y, changed;
  } cases[] = {{-4, 0, 60},  {15, 0, 50}, {0, -7, 30}, {0, 17, 30}, {-3, -3, 49},
               {13, 13, 49}, {-10, 0, 0}, {20, 0, 0},  {0, -10, 0}, {0, 20, 0}};
  for (const Case& c : cases) {
    Fill(*dst, 0);
    const HRESULT expected = c.changed ? 0 : E_FAIL;
    EXPECT_EQ(src->BlitHalfShade(dst.get(), c.x, c.y, all), expected) << c.x << "," << c.y;
    EXPECT_EQ(src->BlitFade(dst.get(), c.x, c.y, all, 256), expected);
    EXPECT_EQ(CountNot(*dst, 0), c.changed) << c.x << "," << c.y;
  }
  // A smaller clip rectangle on the destination, and a source cut by its own clip rectangle:
  // the position does not move for the source's cut.
  Fill(*dst, 0);
  dst->SetClipRect(RECT{5, 5, 8, 8});
  EXPECT_EQ(src->BlitFade(dst.get(), 0, 0, all, 256), 0);
  EXPECT_EQ(CountNot(*dst, 0), 9);
  EXPECT_EQ(Get(*dst, 5, 5), 0xFFFFu);
  dst->SetClipRect(RECT{0, 0, 20, 20});
  Fill(*dst, 0);
  src->SetClipRect(RECT{3, 0, 10, 10});
  Set(*src, 3, 0, 0x1234);
  EXPECT_EQ(src->BlitFade(dst.get(), 0, 0, all, 256), 0);
  EXPECT_EQ(Get(*dst, 0, 0), 0x1234u);
  EXPECT_EQ(CountNot(*dst, 0), 70);
  // A rectangle one pixel wide changes one column.
  Fill(*dst, 0);
  src->SetClipRect(all);
  EXPECT_EQ(src->BlitFade(dst.get(), 4, 0, RECT{2, 0, 3, 10}, 256), 0);
  EXPECT_EQ(CountNot(*dst, 0), 10);
  EXPECT_EQ(Get(*dst, 4, 9), 0xFFFFu);
  // No destination, or a rectangle wholly outside the source.
  EXPECT_EQ(src->BlitHalfBlend(nullptr, 0, 0, all), E_FAIL);
  EXPECT_EQ(src->BlitHalfBlend(dst.get(), 0, 0, RECT{10, 0, 20, 10}), E_FAIL);
}

TEST_F(BlendTest, FormatsThatCannotBlendAreLeftAlone) {
  // Palette indices: locked, unchanged, 0.
  auto src8 = Make(4, 4, 8);
  auto dst8 = Make(4, 4, 8);
  Fill(*src8, 0x11);
  Fill(*dst8, 0x22);
  EXPECT_EQ(src8->BlitHalfBlend(dst8.get(), 0, 0, RECT{0, 0, 4, 4}), 0);
  EXPECT_EQ(CountNot(*dst8, 0x22), 0);
  // A 16-bit source over a 32-bit destination would be read at the wrong stride.
  auto src16 = Make(4, 4, 16);
  auto dst32 = Make(4, 4, 32);
  Fill(*dst32, 0x00ABCDEF);
  EXPECT_EQ(src16->BlitHalfBlend(dst32.get(), 0, 0, RECT{0, 0, 4, 4}), DDERR_INVALIDPIXELFORMAT);
  EXPECT_EQ(CountNot(*dst32, 0x00ABCDEF), 0);
  // A clip rectangle larger than the surface is held to its memory.
  auto big = Make(4, 4, 16);
  auto small = Make(2, 2, 16);
  Fill(*big, 0xFFFF);
  small->clipRect = RECT{0, 0, 100, 100};
  EXPECT_EQ(big->BlitFade(small.get(), 0, 0, RECT{0, 0, 4, 4}, 256), 0);
  EXPECT_EQ(CountNot(*small, 0xFFFF), 0);
  // Both surfaces locked: the blit reports the lock's refusal and draws nothing.
  ASSERT_EQ(small->Lock(), DD_OK);
  EXPECT_TRUE(FAILED(big->BlitFade(small.get(), 0, 0, RECT{0, 0, 4, 4}, 0)));
  small->Unlock();
  EXPECT_EQ(CountNot(*small, 0xFFFF), 0);
  // A surface blended onto itself is locked once.
  EXPECT_EQ(big->BlitHalfShade(big.get(), 0, 0, RECT{0, 0, 4, 4}), 0);
  EXPECT_EQ(CountNot(*big, 0x7BEF), 0);
}

TEST_F(BlendTest, AlphaMapWithoutAMapDrawsKeyedAndFails) {
  auto src = Make(4, 4, 16);
  auto dst = Make(8, 8, 16);
  Fill(*src, 0x1234);
  Set(*src, 0, 0, 0xF81F);
  ASSERT_EQ(src->SetColorKey(0xF81F), DD_OK);
  EXPECT_EQ(src->BlitAlphaMap(dst.get(), 2, 2, RECT{0, 0, 4, 4}), E_FAIL);
  EXPECT_EQ(Get(*dst, 2, 2), 0u);  // the key was left out
  EXPECT_EQ(Get(*dst, 3, 2), 0x1234u);
  EXPECT_EQ(CountNot(*dst, 0), 15);
  // A map smaller than the surface's memory says: only width x height weights are read.
  auto wide = Make(4, 4, 16);
  wide->alphaMap = new BYTE[2 * 2];
  std::fill(wide->alphaMap, wide->alphaMap + 4, BYTE{255});
  wide->width = 2;
  wide->height = 2;
  Fill(*wide, 0xFFFF);
  Fill(*dst, 0);
  EXPECT_EQ(wide->BlitAlphaMap(dst.get(), 0, 0, RECT{0, 0, 4, 4}), 0);
  EXPECT_EQ(CountNot(*dst, 0), 4);
}

}  // namespace

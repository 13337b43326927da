// The fast blending row loops against the pixel-by-pixel reference, on every instruction set
// this machine runs: random rows of odd widths at every byte alignment, keyed runs that start
// and end on odd pixels, and guard bytes around the rectangle that must stay untouched.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "blit/blend_job.h"
#include "random_blend_case.h"

namespace {

using qvblit::BlendRule;
using qvblit::Isa;

class BlendRows : public ::testing::TestWithParam<Isa> {};

TEST_P(BlendRows, MatchTheReference) {
  if (!qvblit::IsaAvailable(GetParam())) GTEST_SKIP() << "not on this processor";
  std::mt19937 random(11);
  const BlendRule rules[] = {BlendRule::AlphaMap, BlendRule::HalfBlend, BlendRule::Alpha,
                             BlendRule::Shade,    BlendRule::HalfShade, BlendRule::Fade};
  for (DWORD format : {15u, 16u, 24u, 32u}) {
    for (BlendRule rule : rules) {
      for (bool keyed : {false, true}) {
        for (uint32_t weight : {0u, 1u, 77u, 128u, 255u, 256u, 300u, 65535u}) {
          if (weight > 256 && rule != BlendRule::Fade) continue;
          qvtest::RandomBlendCase c =
              qvtest::MakeRandomBlendCase(random, format, rule, keyed, weight);
          qvblit::Blend(c.job, GetParam());
          ASSERT_EQ(c.dest, c.expected)
              << "format " << format << ", rule " << static_cast<int>(rule)
              << (keyed ? ", keyed" : "") << ", weight " << weight << ", width " << c.width
              << ", offset " << c.offset;
        }
      }
    }
  }
}

// The weighted rules on every constant weight, and the alpha map over as many sets of random
// alpha, with random 16-bit pixels: every pair of channel values meets every weight, so a loop
// that looks the changes up in per-weight tables or multiplies bytes is not wrong for any of
// them. The rectangles take turns: one long row, and blocks of short rows whose source and
// alpha rows follow each other without gaps (which a loop may read as one run) under
// destination rows with gaps that must stay untouched.
TEST_P(BlendRows, WeighEveryChannelPairLikeTheReference) {
  if (!qvblit::IsaAvailable(GetParam())) GTEST_SKIP() << "not on this processor";
  std::mt19937 random(5);
  constexpr int kPixels = 4099;
  std::vector<uint16_t> source(kPixels), dest(2 * kPixels), expected;
  std::vector<BYTE> alpha(kPixels);
  int turn = 0;
  for (DWORD format : {15u, 16u}) {
    for (uint32_t weight = 0; weight <= 256; ++weight) {
      for (BlendRule rule : {BlendRule::Alpha, BlendRule::AlphaMap}) {
        const int widths[] = {kPixels, 50, 33, 63};
        const int width = widths[turn++ % 4];
        for (uint16_t& p : source) p = random() % 9 == 0 ? 0x1234 : static_cast<uint16_t>(random());
        for (uint16_t& p : dest) p = static_cast<uint16_t>(random());
        for (BYTE& a : alpha) a = static_cast<BYTE>(random());
        qvblit::BlendJob job;
        job.rule = rule;
        job.keyed = weight % 2 == 0;
        job.weight = weight;
        job.key = 0x1234;
        job.format = format;
        job.source = reinterpret_cast<const BYTE*>(source.data());
        job.sourcePitch = 2 * width;
        job.alpha = alpha.data();
        job.alphaPitch = width;
        job.destPitch = 2 * (width + 3);
        job.width = width;
        job.height = kPixels / width;
        expected = dest;
        job.dest = reinterpret_cast<BYTE*>(expected.data());
        qvblit::reference::Blend(job);
        job.dest = reinterpret_cast<BYTE*>(dest.data());
        qvblit::Blend(job, GetParam());
        ASSERT_EQ(dest, expected) << "format " << format << ", weight " << weight << ", width "
                                  << width;
      }
    }
  }
}

std::string IsaName(const ::testing::TestParamInfo<Isa>& info) {
  const char* const names[] = {"Portable", "Sse2", "Avx2", "Avx512"};
  return names[static_cast<int>(info.param)];
}

// QV_SIMD names a set; an unknown or unavailable one gives the widest with a complaint.
TEST(ChooseIsa, FollowsTheSettingWithinWhatTheMachineRuns) {
  const char* complaint = nullptr;
  const Isa widest = qvblit::ChooseIsa(nullptr, &complaint);
  EXPECT_EQ(complaint, nullptr);
  EXPECT_TRUE(qvblit::IsaAvailable(widest));
  EXPECT_EQ(qvblit::ChooseIsa("portable", &complaint), Isa::Portable);
  EXPECT_EQ(complaint, nullptr);
  EXPECT_EQ(qvblit::ChooseIsa("avx3", &complaint), widest);
  EXPECT_NE(complaint, nullptr);
  const char* const names[] = {"portable", "sse2", "avx2", "avx512"};
  for (Isa isa : {Isa::Sse2, Isa::Avx2, Isa::Avx512}) {
    const Isa chosen = qvblit::ChooseIsa(names[static_cast<int>(isa)], &complaint);
    EXPECT_EQ(chosen, qvblit::IsaAvailable(isa) ? isa : widest);
    EXPECT_EQ(complaint == nullptr, qvblit::IsaAvailable(isa));
  }
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, BlendRows,
                         ::testing::Values(Isa::Portable, Isa::Sse2, Isa::Avx2, Isa::Avx512),
                         IsaName);

}  // namespace

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

namespace {

using qvblit::BlendJob;
using qvblit::BlendRule;
using qvblit::Isa;

class BlendRows : public ::testing::TestWithParam<Isa> {};

TEST_P(BlendRows, MatchTheReference) {
  if (!qvblit::IsaAvailable(GetParam())) GTEST_SKIP() << "not on this processor";
  std::mt19937 random(11);
  const BlendRule rules[] = {BlendRule::AlphaMap, BlendRule::HalfBlend, BlendRule::Alpha,
                             BlendRule::Shade,    BlendRule::HalfShade, BlendRule::Fade};
  for (DWORD format : {15u, 16u, 24u, 32u}) {
    const int bytes = format <= 16 ? 2 : format == 24 ? 3 : 4;
    const uint32_t keyMask = bytes == 2 ? 0xFFFF : 0xFFFFFF;
    for (BlendRule rule : rules) {
      for (bool keyed : {false, true}) {
        for (uint32_t weight : {0u, 1u, 77u, 128u, 255u, 256u, 300u, 65535u}) {
          if (weight > 256 && rule != BlendRule::Fade) continue;
          const int width = 1 + static_cast<int>(random() % 80), height = 3;
          const int offset = static_cast<int>(random() % 4);  // bytes, so every alignment
          const int64_t pitch = (width + 3) * bytes;
          std::vector<BYTE> source(pitch * height + 8), dest(pitch * height + 8),
              alpha(static_cast<size_t>(width + 5) * height);
          for (BYTE& b : source) b = static_cast<BYTE>(random());
          for (BYTE& b : dest) b = static_cast<BYTE>(random());
          for (BYTE& b : alpha)
            b = static_cast<BYTE>(random() % 3 == 0 ? 255 * (random() & 1) : random());
          // Keyed runs of random length from random (often odd) pixels; a key that matches
          // nothing now and then.
          const uint32_t key = random() % 5 == 0 ? 0xFFFFFFFF : random() & keyMask;
          for (int y = 0; y < height; ++y) {
            for (int x = static_cast<int>(random() % 3); x < width; x += 1 + random() % 4) {
              for (int run = static_cast<int>(random() % 5); run > 0 && x < width; --run, ++x)
                std::memcpy(&source[offset + y * pitch + (x + 1) * bytes], &key, bytes);
            }
          }
          BlendJob job;
          job.rule = rule;
          job.keyed = keyed;
          job.weight = weight;
          job.key = key;
          job.format = format;
          job.width = width;
          job.height = height;
          job.source = source.data() + offset + bytes;
          job.sourcePitch = pitch;
          job.alpha = rule == BlendRule::AlphaMap ? alpha.data() + 2 : nullptr;
          job.alphaPitch = width + 5;
          std::vector<BYTE> expected = dest;
          job.dest = expected.data() + offset + bytes;
          job.destPitch = pitch;
          qvblit::reference::Blend(job);
          job.dest = dest.data() + offset + bytes;
          qvblit::Blend(job, GetParam());
          ASSERT_EQ(dest, expected) << "format " << format << ", rule " << static_cast<int>(rule)
                                    << (keyed ? ", keyed" : "") << ", weight " << weight
                                    << ", width " << width << ", offset " << offset;
        }
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

// The page's SIMD loops against their pixel-by-pixel twins, in WebAssembly (run by node from
// scripts/web-test.sh): the blending row loops on random rows of odd widths at every byte
// alignment with keyed runs, and the frame conversion on every 5-6-5 value. The desktop's
// tests check the same loops built for x86 (tests/qv/blend_rows_test.cpp,
// tests/platform/web_frame_test.cpp).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "backend/web/web_frame.h"
#include "blit/blend_job.h"
#include "random_blend_case.h"

namespace {

using qvblit::BlendRule;

int BlendsMismatched() {
  std::mt19937 random(11);
  int mismatched = 0;
  for (int round = 0; round < 40; ++round) {
    for (DWORD format : {15u, 16u, 32u}) {
      for (int r = 0; r <= static_cast<int>(BlendRule::Fade); ++r) {
        for (bool keyed : {false, true}) {
          for (uint32_t weight : {0u, 77u, 128u, 255u, 256u, 300u}) {
            const auto rule = static_cast<BlendRule>(r);
            if (weight > 256 && rule != BlendRule::Fade) continue;
            qvtest::RandomBlendCase c =
                qvtest::MakeRandomBlendCase(random, format, rule, keyed, weight);
            qvblit::Blend(c.job, qvblit::BestIsa());
            if (c.dest != c.expected && mismatched++ < 5) {
              std::printf("blend: format %u, rule %d%s, weight %u, width %d differ\n",
                          static_cast<unsigned>(format), r, keyed ? ", keyed" : "",
                          static_cast<unsigned>(weight), c.width);
            }
          }
        }
      }
    }
  }
  return mismatched;
}

int FramePixelsMismatched() {
  constexpr int kWidth = 263, kHeight = 250;
  std::vector<uint16_t> pixels(kWidth * kHeight);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint16_t>(i * 40503u);
  plat::PixelBuffer frame;
  frame.bits = reinterpret_cast<uint8_t*>(pixels.data());
  frame.width = kWidth;
  frame.height = kHeight;
  frame.pitch = kWidth * 2;
  frame.format = plat::PixelFormat::Rgb565();
  std::vector<uint8_t> rgba;
  plat::web::FrameToRgba(frame, &rgba);
  std::vector<uint32_t> xrgb(pixels.size());
  plat::ConvertToXrgb(frame, xrgb.data());
  int mismatched = 0;
  for (size_t i = 0; i < xrgb.size(); ++i) {
    const uint8_t want[4] = {static_cast<uint8_t>(xrgb[i] >> 16),
                             static_cast<uint8_t>(xrgb[i] >> 8), static_cast<uint8_t>(xrgb[i]),
                             0xFF};
    mismatched += std::memcmp(&rgba[4 * i], want, 4) != 0;
  }
  return mismatched;
}

}  // namespace

int main() {
  const bool vectors = qvblit::BestIsa() != qvblit::Isa::Portable;
  const int blends = BlendsMismatched(), frames = FramePixelsMismatched();
  std::printf("%s  the blending row loops run with SIMD\n", vectors ? "ok   " : "FAIL ");
  std::printf("%s  the SIMD blends give the reference's pixels (%d jobs differ)\n",
              blends == 0 ? "ok   " : "FAIL ", blends);
  std::printf("%s  the SIMD frame conversion gives the general conversion's bytes (%d differ)\n",
              frames == 0 ? "ok   " : "FAIL ", frames);
  return vectors && blends == 0 && frames == 0 ? 0 : 1;
}

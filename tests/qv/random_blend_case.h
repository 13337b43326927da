// A random case for the blending row loops' twin tests, on the desktop
// (tests/qv/blend_rows_test.cpp) and in WebAssembly (tests/web/simd_check.cpp): a rectangle of
// odd width at any byte alignment inside guard bytes, keyed runs of random length from random
// (often odd) pixels, a key that matches nothing now and then, and the reference's answer.
#ifndef QV_TESTS_QV_RANDOM_BLEND_CASE_H
#define QV_TESTS_QV_RANDOM_BLEND_CASE_H

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "blit/blend_job.h"

namespace qvtest {

struct RandomBlendCase {
  std::vector<BYTE> source, dest, alpha;
  std::vector<BYTE> expected;  // `dest` as the reference leaves it
  qvblit::BlendJob job;        // reads `source` and `alpha`, writes `dest`
  int width = 0;
  int offset = 0;  // bytes before the rectangle's first row, so every alignment
};

inline RandomBlendCase MakeRandomBlendCase(std::mt19937& random, DWORD format,
                                           qvblit::BlendRule rule, bool keyed, uint32_t weight) {
  RandomBlendCase c;
  const int bytes = format <= 16 ? 2 : format == 24 ? 3 : 4;
  const uint32_t keyMask = bytes == 2 ? 0xFFFF : 0xFFFFFF;
  const int height = 3;
  c.width = 1 + static_cast<int>(random() % 80);
  c.offset = static_cast<int>(random() % 4);
  const int64_t pitch = (c.width + 3) * bytes;
  c.source.resize(pitch * height + 8);
  c.dest.resize(pitch * height + 8);
  c.alpha.resize(static_cast<size_t>(c.width + 5) * height);
  for (BYTE& b : c.source) b = static_cast<BYTE>(random());
  for (BYTE& b : c.dest) b = static_cast<BYTE>(random());
  for (BYTE& b : c.alpha)
    b = static_cast<BYTE>(random() % 3 == 0 ? 255 * (random() & 1) : random());
  const uint32_t key = random() % 5 == 0 ? 0xFFFFFFFF : random() & keyMask;
  for (int y = 0; y < height; ++y) {
    for (int x = static_cast<int>(random() % 3); x < c.width; x += 1 + random() % 4) {
      for (int run = static_cast<int>(random() % 5); run > 0 && x < c.width; --run, ++x)
        std::memcpy(&c.source[c.offset + y * pitch + (x + 1) * bytes], &key, bytes);
    }
  }
  qvblit::BlendJob& job = c.job;
  job.rule = rule;
  job.keyed = keyed;
  job.weight = weight;
  job.key = key;
  job.format = format;
  job.width = c.width;
  job.height = height;
  job.source = c.source.data() + c.offset + bytes;
  job.sourcePitch = pitch;
  job.alpha = rule == qvblit::BlendRule::AlphaMap ? c.alpha.data() + 2 : nullptr;
  job.alphaPitch = c.width + 5;
  job.destPitch = pitch;
  c.expected = c.dest;
  job.dest = c.expected.data() + c.offset + bytes;
  qvblit::reference::Blend(job);
  job.dest = c.dest.data() + c.offset + bytes;
  return c;
}

}  // namespace qvtest

#endif

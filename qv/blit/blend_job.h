// One call of a blending blitter after clipping: the rule, its parameter and the rows of locked
// memory it combines. The blitters in blend.cpp fill it in; the row loops run it. Each loop
// exists in up to four builds (portable C++, SSE2, AVX2, AVX-512) that give the same pixels as the
// pixel-by-pixel reference kept for the tests.
#ifndef QV_BLIT_BLEND_JOB_H
#define QV_BLIT_BLEND_JOB_H

#include <windows.h>

#include <cstdint>

// The wider x86 sets (AVX2, AVX-512) are built for 64-bit Unix builds, whose stacks keep vector
// spills aligned, and by GCC, whose target pragmas build them (clang builds, such as the
// fuzzers', use SSE2).
#if defined(__x86_64__) && !defined(_WIN32) && !defined(__clang__)
#define QV_BLEND_WIDE 1
#endif

namespace qvblit {

enum class BlendRule {
  AlphaMap,   // d + (s - d) * a / 256, a from the source's alpha map
  HalfBlend,  // d / 2 + s / 2
  Alpha,      // s + (d - s) * w / 256
  Shade,      // d * w / 256
  HalfShade,  // d / 2
  Fade,       // s * w / 256, each channel saturated
};

struct BlendJob {
  BlendRule rule = BlendRule::HalfBlend;
  bool keyed = false;
  uint32_t weight = 0;  // already limited where the rule limits it
  uint32_t key = 0;     // source pixels equal to it are skipped when `keyed`
  DWORD format = 0;     // 15, 16, 24 or 32
  BYTE* dest = nullptr;
  int64_t destPitch = 0;
  const BYTE* source = nullptr;
  int64_t sourcePitch = 0;
  const BYTE* alpha = nullptr;  // AlphaMap only: one weight per source pixel
  int64_t alphaPitch = 0;
  int64_t width = 0;
  int64_t height = 0;
};

// The instruction sets a row loop can be built for, narrowest first.
enum class Isa { Portable, Sse2, Avx2, Avx512 };

// Whether this build and this processor can run loops built for `isa`.
bool IsaAvailable(Isa isa);
// The widest available one, or the one the environment variable QV_SIMD names (portable, sse2,
// avx2 or avx512) for tests, bug reports and measurements; what the blitters use.
Isa BestIsa();
// The set a QV_SIMD value asks for when it names one this machine runs; otherwise the widest
// available one and, for a value that is there, a one-line `complaint` to show.
Isa ChooseIsa(const char* setting, const char** complaint);

// Blend rows of at least kStreamingRowBytes stream through memory: the loops ask for the lines
// kPrefetchAhead bytes ahead of the source and the destination early. When other work has
// emptied the caches, the processor's own prefetching falls behind such a loop (a fade of
// 800 x 600 took 1.3 times a memcpy of its bytes, 1.05 with this). Short rows, such as
// sprites', don't need it.
constexpr int64_t kStreamingRowBytes = 1024, kPrefetchAhead = 2048;

// Runs the job with the loops built for `isa` (which must be available), or a narrower set
// for rows shorter than its vectors. The source and the destination must not overlap.
void Blend(const BlendJob& job, Isa isa);

namespace reference {
// Pixel by pixel, rule by rule: the behaviour the fast loops reproduce. It also serves a
// surface blended onto itself, whose rows may overlap.
void Blend(const BlendJob& job);
}  // namespace reference

// The builds of the row loops. The vector ones answer false for jobs they don't cover.
void BlendPortable(const BlendJob& job);
namespace sse2 {
bool Blend(const BlendJob& job);
}
namespace avx2 {
bool Blend(const BlendJob& job);
}
namespace avx512 {
bool Blend(const BlendJob& job);
}
// 16-bit constant-weight and alpha-map blends on AVX-512 VBMI, where the processor has it.
namespace vbmi {
bool Available();
bool Blend(const BlendJob& job);
}  // namespace vbmi

}  // namespace qvblit

#endif

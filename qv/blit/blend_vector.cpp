// The vector builds of the blending row loops (blend_vector.inc): SSE2, the floor of every
// x86-64 processor, and AVX2 and AVX-512 (BW) where the processor has them, chosen at run
// time; WebAssembly SIMD (-msimd128) takes SSE2's place in the browser. A build without either
// (32-bit Windows) has only the portable loops.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "blit/blend_job.h"
#include "blit/blend_select.h"

#if defined(__SSE2__)
#include <immintrin.h>
#define QV_BLEND_VECTORS 1
#elif defined(__wasm_simd128__)
// The browser page's WebAssembly SIMD: the 16-byte build, in the place of its x86 twin.
#define QV_BLEND_VECTORS 1
#endif

// One build of the loops in its own namespace, for vectors of `bytes` bytes.
#define QV_BLEND_BUILD(name, bytes) \
  namespace name {                  \
  namespace {                       \
  constexpr int kVectorBytes = bytes;
#define QV_BLEND_BUILD_END(name)                             \
  }                                                          \
  bool Blend(const BlendJob& job) { return RunVector(job); } \
  }

namespace qvblit {

#if QV_BLEND_VECTORS
QV_BLEND_BUILD(sse2, 16)
#include "blit/blend_vector.inc"
QV_BLEND_BUILD_END(sse2)
#else
namespace sse2 {
bool Blend(const BlendJob&) { return false; }
}  // namespace sse2
#endif

#if QV_BLEND_WIDE
#pragma GCC push_options
#pragma GCC target("avx2")
QV_BLEND_BUILD(avx2, 32)
#include "blit/blend_vector.inc"
QV_BLEND_BUILD_END(avx2)
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx512bw")
QV_BLEND_BUILD(avx512, 64)
#include "blit/blend_vector.inc"
QV_BLEND_BUILD_END(avx512)
#pragma GCC pop_options
#else
namespace avx2 {
bool Blend(const BlendJob&) { return false; }
}  // namespace avx2
namespace avx512 {
bool Blend(const BlendJob&) { return false; }
}  // namespace avx512
#endif

bool IsaAvailable(Isa isa) {
  switch (isa) {
    case Isa::Portable:
      return true;
    case Isa::Sse2:
#if QV_BLEND_VECTORS
      return true;
#else
      return false;
#endif
    case Isa::Avx2:
#if QV_BLEND_WIDE
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
    case Isa::Avx512:
#if QV_BLEND_WIDE
      return __builtin_cpu_supports("avx512bw");
#else
      return false;
#endif
  }
  return false;
}

Isa ChooseIsa(const char* setting, const char** complaint) {
  *complaint = nullptr;
  const Isa widest = IsaAvailable(Isa::Avx512) ? Isa::Avx512
                     : IsaAvailable(Isa::Avx2) ? Isa::Avx2
                     : IsaAvailable(Isa::Sse2) ? Isa::Sse2
                                               : Isa::Portable;
  if (setting == nullptr || *setting == '\0') return widest;
  const struct {
    const char* name;
    Isa isa;
  } names[] = {{"portable", Isa::Portable},
               {"sse2", Isa::Sse2},
               {"avx2", Isa::Avx2},
               {"avx512", Isa::Avx512}};
  for (const auto& n : names) {
    if (std::strcmp(setting, n.name) != 0) continue;
    if (IsaAvailable(n.isa)) return n.isa;
    *complaint = "not run by this build or processor; the widest available set is used";
    return widest;
  }
  *complaint = "not one of portable, sse2, avx2, avx512; the widest available set is used";
  return widest;
}

Isa BestIsa() {
  static const Isa best = [] {
    const char* complaint = nullptr;
    const char* setting = std::getenv("QV_SIMD");
    const Isa isa = ChooseIsa(setting, &complaint);
    if (complaint) std::fprintf(stderr, "QV_SIMD=%s: %s\n", setting, complaint);
    return isa;
  }();
  return best;
}

void Blend(const BlendJob& job, Isa isa) {
  if (job.width <= 0 || job.height <= 0) return;
  // The widest vector that a row fills at least once: a shorter row would be worked in a
  // scratch copy.
  const int64_t rowBytes = job.width * (job.format == 32 ? 4 : 2);
  if (isa >= Isa::Avx512 && rowBytes >= 64 && (vbmi::Blend(job) || avx512::Blend(job))) return;
  if (isa >= Isa::Avx2 && rowBytes >= 32 && avx2::Blend(job)) return;
  if (isa >= Isa::Sse2 && sse2::Blend(job)) return;
  BlendPortable(job);
}

}  // namespace qvblit

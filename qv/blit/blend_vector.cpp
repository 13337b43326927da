// The vector builds of the blending row loops (blend_vector.inc): SSE2, the floor of every
// x86-64 processor, and AVX2 and AVX-512 (BW) where the processor has them, chosen at run
// time. A build without
// SSE2 (32-bit Windows) has only the portable loops.
#include <cstdint>
#include <cstring>

#include "blit/blend_job.h"
#include "blit/blend_select.h"

#if defined(__SSE2__)
#include <immintrin.h>
#define QV_BLEND_VECTORS 1
// AVX2 and AVX-512 code is kept to 64-bit Unix builds, whose stacks keep 32-byte spills aligned.
#if defined(__x86_64__) && !defined(_WIN32)
#define QV_BLEND_AVX2 1
#endif
#endif

namespace qvblit {

#if QV_BLEND_VECTORS
namespace sse2 {
namespace {
constexpr int kVectorBytes = 16;
typedef uint8_t Bytes __attribute__((vector_size(16)));
typedef uint16_t Words __attribute__((vector_size(16)));
inline Words WidenLow(Bytes v) {
  return reinterpret_cast<Words>(_mm_unpacklo_epi8(reinterpret_cast<__m128i>(v), __m128i{}));
}
inline Words WidenHigh(Bytes v) {
  return reinterpret_cast<Words>(_mm_unpackhi_epi8(reinterpret_cast<__m128i>(v), __m128i{}));
}
inline Bytes Narrow(Words low, Words high) {
  return reinterpret_cast<Bytes>(
      _mm_packus_epi16(reinterpret_cast<__m128i>(low), reinterpret_cast<__m128i>(high)));
}
#include "blit/blend_vector.inc"
}  // namespace
bool Blend(const BlendJob& job) { return RunVector(job); }
}  // namespace sse2
#else
namespace sse2 {
bool Blend(const BlendJob&) { return false; }
}  // namespace sse2
#endif

#if QV_BLEND_AVX2
#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2 {
namespace {
constexpr int kVectorBytes = 32;
typedef uint8_t Bytes __attribute__((vector_size(32)));
typedef uint16_t Words __attribute__((vector_size(32)));
// The 256-bit unpacks and packs work within each 128-bit half, the same way for both.
inline Words WidenLow(Bytes v) {
  return reinterpret_cast<Words>(
      _mm256_unpacklo_epi8(reinterpret_cast<__m256i>(v), _mm256_setzero_si256()));
}
inline Words WidenHigh(Bytes v) {
  return reinterpret_cast<Words>(
      _mm256_unpackhi_epi8(reinterpret_cast<__m256i>(v), _mm256_setzero_si256()));
}
inline Bytes Narrow(Words low, Words high) {
  return reinterpret_cast<Bytes>(
      _mm256_packus_epi16(reinterpret_cast<__m256i>(low), reinterpret_cast<__m256i>(high)));
}
#include "blit/blend_vector.inc"
}  // namespace
bool Blend(const BlendJob& job) { return RunVector(job); }
}  // namespace avx2
#pragma GCC pop_options
#else
namespace avx2 {
bool Blend(const BlendJob&) { return false; }
}  // namespace avx2
#endif

#if QV_BLEND_AVX2
#pragma GCC push_options
#pragma GCC target("avx512bw")
namespace avx512 {
namespace {
constexpr int kVectorBytes = 64;
typedef uint8_t Bytes __attribute__((vector_size(64)));
typedef uint16_t Words __attribute__((vector_size(64)));
// As for AVX2: within each 128-bit quarter, the same way for both.
inline Words WidenLow(Bytes v) {
  return reinterpret_cast<Words>(
      _mm512_unpacklo_epi8(reinterpret_cast<__m512i>(v), _mm512_setzero_si512()));
}
inline Words WidenHigh(Bytes v) {
  return reinterpret_cast<Words>(
      _mm512_unpackhi_epi8(reinterpret_cast<__m512i>(v), _mm512_setzero_si512()));
}
inline Bytes Narrow(Words low, Words high) {
  return reinterpret_cast<Bytes>(
      _mm512_packus_epi16(reinterpret_cast<__m512i>(low), reinterpret_cast<__m512i>(high)));
}
#include "blit/blend_vector.inc"
}  // namespace
bool Blend(const BlendJob& job) { return RunVector(job); }
}  // namespace avx512
#pragma GCC pop_options
#else
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
#if QV_BLEND_AVX2
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
    case Isa::Avx512:
#if QV_BLEND_AVX2
      return __builtin_cpu_supports("avx512bw");
#else
      return false;
#endif
  }
  return false;
}

Isa BestIsa() {
  static const Isa best = IsaAvailable(Isa::Avx512) ? Isa::Avx512
                          : IsaAvailable(Isa::Avx2) ? Isa::Avx2
                          : IsaAvailable(Isa::Sse2) ? Isa::Sse2
                                                    : Isa::Portable;
  return best;
}

void Blend(const BlendJob& job, Isa isa) {
  if (job.width <= 0 || job.height <= 0) return;
  // The widest vector that a row fills at least once: a shorter row would be worked in a
  // scratch copy.
  const int64_t rowBytes = job.width * (job.format == 32 ? 4 : 2);
  if (isa >= Isa::Avx512 && rowBytes >= 64 && avx512::Blend(job)) return;
  if (isa >= Isa::Avx2 && rowBytes >= 32 && avx2::Blend(job)) return;
  if (isa >= Isa::Sse2 && sse2::Blend(job)) return;
  BlendPortable(job);
}

}  // namespace qvblit

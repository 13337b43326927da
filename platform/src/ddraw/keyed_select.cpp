#include "ddraw/keyed_select.h"

#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) && !defined(_WIN32) && defined(__GNUC__)
#include <immintrin.h>
#define QV_KEYED_WIDE 1
#endif

namespace plat::ddraw {

namespace {

// A select is idempotent: selecting a pixel a second time gives what the first time wrote. So a
// row's last vector may overlap the one before it.

// ---- 16-byte vectors (SSE2 on x86, whatever the compiler makes of them elsewhere) -----------

template <class Pixel>
void SelectRows16Bytes(const KeyedRows& rows) {
  typedef Pixel Vec __attribute__((vector_size(16)));
  constexpr int kLanes = 16 / sizeof(Pixel);
  const Pixel key = static_cast<Pixel>(rows.key);
  const Vec k = Vec{} + key;
  const int n = rows.width;
  for (int y = 0; y < rows.height; ++y) {
    Pixel* d = reinterpret_cast<Pixel*>(rows.dst + y * rows.dstPitch);
    const Pixel* s = reinterpret_cast<const Pixel*>(rows.src + y * rows.srcPitch);
    if (n < kLanes) {
      for (int i = 0; i < n; ++i)
        if (s[i] != key) d[i] = s[i];
      continue;
    }
    auto select = [&](int i) {
      Vec sv, dv;
      std::memcpy(&sv, s + i, 16);
      std::memcpy(&dv, d + i, 16);
      const Vec keep = reinterpret_cast<Vec>(sv == k);  // all ones where the source is the key
      return (dv & keep) | (sv & ~keep);
    };
    // The overlapping last vector first: reading back part of a store just made would stall.
    const Vec tail = select(n - kLanes);
    for (int i = 0; i + kLanes < n; i += kLanes) {
      const Vec out = select(i);
      std::memcpy(d + i, &out, 16);
    }
    std::memcpy(d + n - kLanes, &tail, 16);
  }
}

#if QV_KEYED_WIDE

// ---- AVX2: a blend of source and destination by the compare mask ----------------------------

template <int Bytes>
__attribute__((target("avx2"))) inline __m256i Equal256(__m256i a, __m256i b) {
  return Bytes == 2 ? _mm256_cmpeq_epi16(a, b) : _mm256_cmpeq_epi32(a, b);
}

template <int Bytes>
__attribute__((target("avx2"))) inline __m256i SelectAvx2(const uint8_t* d, const uint8_t* s,
                                                          __m256i k) {
  const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
  const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
  return _mm256_blendv_epi8(sv, dv, Equal256<Bytes>(sv, k));
}

__attribute__((target("avx2"))) inline void Store256(uint8_t* d, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), v);
}

template <int Bytes>
__attribute__((target("avx2"))) void SelectRowsAvx2(const KeyedRows& rows) {
  constexpr int kLanes = 32 / Bytes;
  const int n = rows.width;
  if (n < kLanes) {
    if (Bytes == 2)
      SelectRows16Bytes<uint16_t>(rows);
    else
      SelectRows16Bytes<uint32_t>(rows);
    return;
  }
  const __m256i k = Bytes == 2 ? _mm256_set1_epi16(static_cast<short>(rows.key))
                               : _mm256_set1_epi32(static_cast<int>(rows.key));
  const ptrdiff_t last = static_cast<ptrdiff_t>(n - kLanes) * Bytes;
  for (int y = 0; y < rows.height; ++y) {
    uint8_t* d = rows.dst + y * rows.dstPitch;
    const uint8_t* s = rows.src + y * rows.srcPitch;
    // The overlapping last vector first: reading back part of a store just made would stall.
    const __m256i tail = SelectAvx2<Bytes>(d + last, s + last, k);
    for (ptrdiff_t i = 0; i < last; i += 32) Store256(d + i, SelectAvx2<Bytes>(d + i, s + i, k));
    Store256(d + last, tail);
  }
}

// ---- AVX-512 (BW): a blend by the mask of the pixels that differ from the key -----------------
// Rows narrower than a vector are stored under the mask (masked-off lanes touch no memory);
// wider ones are blended and stored whole, the last vector overlapping: a masked store costs
// more than a plain one.

template <int Bytes>
__attribute__((target("avx512bw"))) inline __m512i SelectAvx512(const uint8_t* d, const uint8_t* s,
                                                                __m512i k) {
  const __m512i sv = _mm512_loadu_si512(s);
  const __m512i dv = _mm512_loadu_si512(d);
  if (Bytes == 2) return _mm512_mask_blend_epi16(_mm512_cmpneq_epi16_mask(sv, k), dv, sv);
  return _mm512_mask_blend_epi32(_mm512_cmpneq_epi32_mask(sv, k), dv, sv);
}

template <int Bytes>
__attribute__((target("avx512bw"))) void SelectRowsAvx512(const KeyedRows& rows) {
  constexpr int kLanes = 64 / Bytes;
  const int n = rows.width, height = rows.height;
  uint8_t* d = rows.dst;
  const uint8_t* s = rows.src;
  const ptrdiff_t dstPitch = rows.dstPitch, srcPitch = rows.srcPitch;
  if (n < kLanes) {
    const uint64_t lanes = (uint64_t{1} << n) - 1;
    for (int y = 0; y < height; ++y, d += dstPitch, s += srcPitch) {
      if (Bytes == 2) {
        const __m512i k = _mm512_set1_epi16(static_cast<short>(rows.key));
        const __mmask32 m = static_cast<__mmask32>(lanes);
        const __m512i v = _mm512_maskz_loadu_epi16(m, s);
        _mm512_mask_storeu_epi16(d, _mm512_mask_cmpneq_epi16_mask(m, v, k), v);
      } else {
        const __m512i k = _mm512_set1_epi32(static_cast<int>(rows.key));
        const __mmask16 m = static_cast<__mmask16>(lanes);
        const __m512i v = _mm512_maskz_loadu_epi32(m, s);
        _mm512_mask_storeu_epi32(d, _mm512_mask_cmpneq_epi32_mask(m, v, k), v);
      }
    }
    return;
  }
  const __m512i k = Bytes == 2 ? _mm512_set1_epi16(static_cast<short>(rows.key))
                               : _mm512_set1_epi32(static_cast<int>(rows.key));
  const ptrdiff_t last = static_cast<ptrdiff_t>(n - kLanes) * Bytes;
  for (int y = 0; y < height; ++y, d += dstPitch, s += srcPitch) {
    // The overlapping last vector is worked out before anything is written: reading back
    // part of a store just made would stall.
    const __m512i tail = SelectAvx512<Bytes>(d + last, s + last, k);
    for (ptrdiff_t i = 0; i < last; i += 64)
      _mm512_storeu_si512(d + i, SelectAvx512<Bytes>(d + i, s + i, k));
    _mm512_storeu_si512(d + last, tail);
  }
}

#endif

}  // namespace

std::vector<KeyedSelectBuild> KeyedSelectBuilds() {
  std::vector<KeyedSelectBuild> builds = {
      {"vector16", SelectRows16Bytes<uint16_t>, SelectRows16Bytes<uint32_t>, false}};
#if QV_KEYED_WIDE
  if (__builtin_cpu_supports("avx2"))
    builds.push_back({"avx2", SelectRowsAvx2<2>, SelectRowsAvx2<4>, false});
  if (__builtin_cpu_supports("avx512bw"))
    builds.push_back({"avx512", SelectRowsAvx512<2>, SelectRowsAvx512<4>, true});
#endif
  return builds;
}

const KeyedSelectBuild& BestKeyedSelect() {
  static const KeyedSelectBuild best = [] {
    const std::vector<KeyedSelectBuild> builds = KeyedSelectBuilds();
    const char* setting = std::getenv("QV_SIMD");
    if (setting && (!std::strcmp(setting, "portable") || !std::strcmp(setting, "sse2")))
      return builds.front();
    if (setting && !std::strcmp(setting, "avx2")) {
      for (const KeyedSelectBuild& b : builds)
        if (!std::strcmp(b.name, "avx2")) return b;
    }
    return builds.back();
  }();
  return best;
}

}  // namespace plat::ddraw

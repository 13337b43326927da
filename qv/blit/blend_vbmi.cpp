// The constant-weight and alpha-map blends of 16-bit pixels for processors with AVX-512 VBMI,
// whose byte permutations let red and blue share one vector of bytes: 64 channel values per
// instruction where the 16-bit lanes of blend_vector.inc hold 32. The results are the
// reference's to the bit.
//
// Both rules move one pixel toward another by a weight: to + floor((from - to) * w / 256) per
// channel, where the source moves toward the destination for the constant weight and the
// destination toward the source for the alpha map. Every channel's change is added to the
// pixel it moves, in place:
// - red and blue: the bytes of each lane are made the pixel's blue and red (a multishift picks
//   the bit fields), one byte subtraction gives both channels' differences, and the change
//   comes either from a table of the weight's 128 answers (constant weight) or from a multiply
//   of bytes by the pixel's alpha (alpha map). Red's change, moved to red's bits of the high
//   byte, and blue's in the low byte are added byte by byte: no carry leaves a channel whose
//   result stays in its range, so green's bits are untouched.
// - green: its difference in place times the weight, as the high half of a 16-bit product,
//   shifted back to green's bits and added to the whole pixel.
#include <cstdint>

#include "blit/blend_job.h"

#if QV_BLEND_WIDE
#include <immintrin.h>
#endif

namespace qvblit::vbmi {

#if QV_BLEND_WIDE

#pragma GCC push_options
#pragma GCC target("avx512bw,avx512vbmi")

namespace {

// value / 256 rounded toward minus infinity.
int FloorDiv256(int value) { return value >= 0 ? value / 256 : -((-value + 255) / 256); }

// Where a 16-bit format keeps its channels: red from bit RedShift (11 for 5-6-5, 10 for 5-5-5),
// green in kGreen, blue at bit 0; 5-5-5's top bit, which the blends clear, is outside kColour.
template <int RedShift>
struct Format16 {
  static constexpr int kRedShift = RedShift;
  static constexpr uint16_t kGreen = RedShift == 11 ? 0x07E0 : 0x03E0;
  static constexpr uint16_t kColour = RedShift == 11 ? 0xFFFF : 0x7FFF;
  // The pixel with the bits outside the colour cleared.
  static __m512i Colour(__m512i v) {
    if (kColour == 0xFFFF) return v;
    return _mm512_and_si512(v, _mm512_set1_epi16(static_cast<int16_t>(kColour)));
  }
};

// Eight bits from any offset of its 64-bit element for each byte. (GCC 12's header starts the
// result from an undefined vector, which its own warning then takes for uninitialized.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
inline __m512i Multishift(__m512i control, __m512i v) {
  return _mm512_multishift_epi64_epi8(control, v);
}
#pragma GCC diagnostic pop

// Multishift controls that make each 16-bit lane's low byte its pixel's bits 0-7 (blue and
// garbage above it) and its high byte the bits from RedShift on (red and garbage above it).
// A table in memory: built on the stack for each call, the vector was read back before its two
// halves' stores had landed, a stall longer than a short row's blend.
template <int RedShift>
struct RedBlueControl {
  alignas(64) static constexpr uint8_t kBytes[64] = {
#define QV_LANE(lane) 16 * lane, (16 * lane + RedShift) % 64
#define QV_QWORD QV_LANE(0), QV_LANE(1), QV_LANE(2), QV_LANE(3)
      QV_QWORD, QV_QWORD, QV_QWORD, QV_QWORD, QV_QWORD, QV_QWORD, QV_QWORD, QV_QWORD,
#undef QV_QWORD
#undef QV_LANE
  };
  static __m512i Load() { return _mm512_load_si512(kBytes); }
};

// The change of each channel for every byte difference the blend can meet, one table of 128
// bytes per weight and red position (the index is the difference's low seven bits):
// - blue, in a low byte: differences -31..31, indices 0..31 and 97..127, the change itself;
// - red, in a high byte: the difference plus 64, indices 33..95, the change moved to red's
//   place in the byte.
struct WeightTable {
  int weight = -1;
  int redShift = 0;
  __m512i low, high;
};

const WeightTable& TableFor(uint32_t weight, int redShift) {
  static thread_local WeightTable table;
  if (table.weight == static_cast<int>(weight) && table.redShift == redShift) return table;
  alignas(64) uint8_t bytes[128] = {};
  const int w = static_cast<int>(weight);
  for (int diff = -31; diff <= 31; ++diff) {
    const int change = FloorDiv256(diff * w);
    bytes[diff & 127] = static_cast<uint8_t>(change);
    bytes[64 + diff] = static_cast<uint8_t>(change * (1 << (redShift - 8)));
  }
  table.low = _mm512_load_si512(bytes);
  table.high = _mm512_load_si512(bytes + 64);
  table.weight = w;
  table.redShift = redShift;
  return table;
}

// Runs `step` over every row, 32 pixels at a time: step answers the new destination vector
// for the destination and source pixels dv and sv (and the alpha bytes at a) without writing.
// A row's last vector may overlap the one before it; it is worked out before anything of the
// row is written. (The job's fields are copied first: the stores could alias them, and they
// would be read again for every row.)
template <class Step>
void EachRow(const BlendJob& job, Step step) {
  BYTE* d = job.dest;
  const BYTE* s = job.source;
  const BYTE* a = job.alpha;
  const int64_t destPitch = job.destPitch, sourcePitch = job.sourcePitch;
  const int64_t alphaPitch = job.alphaPitch, last = job.width - 32;
  for (int64_t y = job.height; y > 0; --y) {
    auto at = [&](int64_t x) {
      return step(_mm512_loadu_si512(d + 2 * x), _mm512_loadu_si512(s + 2 * x),
                  a ? a + x : nullptr);
    };
    const __m512i tail = at(last);
    if (2 * (last + 32) >= kStreamingRowBytes) {
      for (int64_t x = 0; x < last; x += 32) {
        _mm_prefetch(reinterpret_cast<const char*>(s + 2 * x + kPrefetchAhead), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(d + 2 * x + kPrefetchAhead), _MM_HINT_T0);
        _mm512_storeu_si512(d + 2 * x, at(x));
      }
    } else {
      for (int64_t x = 0; x < last; x += 32) _mm512_storeu_si512(d + 2 * x, at(x));
    }
    _mm512_storeu_si512(d + 2 * last, tail);
    d += destPitch;
    s += sourcePitch;
    if (a) a += alphaPitch;
  }
}

// The lanes of a vector that lie in the rest of a row and in the next row, by the pixels left
// in the row (fewer than 32). Read into mask registers straight from memory, they leave the
// vector ports to the blend. (Built by the compiler: code run at start-up must not use the
// instructions of this file, which the processor may lack.)
struct SpanMasks {
  __mmask32 here[32], next[32];
};
constexpr SpanMasks MakeSpanMasks() {
  SpanMasks masks{};
  for (int left = 0; left < 32; ++left) {
    masks.here[left] = (__mmask32{1} << left) - 1;
    masks.next[left] = ~masks.here[left];
  }
  return masks;
}
constexpr SpanMasks kSpanMasks = MakeSpanMasks();

// Runs `step` as EachRow does, over the source read as one run of width x height pixels, for
// rows a little longer than one vector, whose last vector would otherwise redo most of the one
// before. A vector that meets the end of a row holds its end from x in its first lanes and the
// start of the next row in the others. The source's rows, and the alpha bytes' when there are
// any, must follow each other without gaps; a row must hold at least 32 pixels (a vector meets
// two rows at most); and the destination's rows must lie at least a row apart, top row first:
// a vector read at the end of a row then reads bytes of the next row, and one read at the
// start of a row bytes of the row before.
template <class Step>
void EachSpan(const BlendJob& job, Step step) {
  const int64_t width = job.width, last = width * job.height - 32;
  const int64_t destPitch = job.destPitch;
  const BYTE* s = job.source;
  const BYTE* a = job.alpha;
  auto at = [&](int64_t i, __m512i dv) {
    return step(dv, _mm512_loadu_si512(s + 2 * i), a ? a + i : nullptr);
  };
  // Rows hold 32 pixels or more: the last vector lies in the last row.
  BYTE* const lastHere = job.dest + (job.height - 1) * destPitch + 2 * (width - 32);
  const __m512i tail = at(last, _mm512_loadu_si512(lastHere));
  BYTE* row = job.dest;
  int64_t x = 0;
  for (int64_t i = 0; i < last; i += 32) {
    BYTE* here = row + 2 * x;
    const int64_t left = width - x;
    if (left >= 32) {
      _mm512_storeu_si512(here, at(i, _mm512_loadu_si512(here)));
      x += 32;
      continue;
    }
    BYTE* next = row + destPitch - 2 * left;  // lane k is pixel k - left of the next row
    const __mmask32 inHere = _load_mask32(const_cast<__mmask32*>(&kSpanMasks.here[left]));
    const __mmask32 inNext = _load_mask32(const_cast<__mmask32*>(&kSpanMasks.next[left]));
    const __m512i v =
        at(i, _mm512_mask_blend_epi16(inNext, _mm512_loadu_si512(here), _mm512_loadu_si512(next)));
    _mm512_mask_storeu_epi16(here, inHere, v);
    _mm512_mask_storeu_epi16(next, inNext, v);
    x = 32 - left;
    row += destPitch;
  }
  _mm512_storeu_si512(lastHere, tail);
}

// EachSpan for blocks of rows of 32 to 63 pixels whose source can be read as one run,
// EachRow otherwise.
template <class Step>
void EachVector(const BlendJob& job, Step step) {
  const int64_t width = job.width;
  const bool spans = job.height > 1 && width < 64 && job.sourcePitch == 2 * width &&
                     (!job.alpha || job.alphaPitch == width) && job.destPitch >= 2 * width;
  if (spans)
    EachSpan(job, step);
  else
    EachRow(job, step);
}

// sum + green, but where the source pixel is the key, the destination unchanged.
template <bool Keyed>
inline __m512i Finish(__m512i dv, __m512i sv, __m512i key, __m512i sum, __m512i green) {
  if (!Keyed) return _mm512_add_epi16(sum, green);
  return _mm512_mask_add_epi16(dv, _mm512_cmpneq_epi16_mask(sv, key), sum, green);
}

// s + floor((d - s) * w / 256) per channel.
template <class F, bool Keyed>
void ConstantWeight(const BlendJob& job) {
  // Copied out of the table: the stores below could alias it, and it would be loaded again
  // for every vector.
  const WeightTable& table = TableFor(job.weight, F::kRedShift);
  const __m512i low = table.low, high = table.high;
  const __m512i control = RedBlueControl<F::kRedShift>::Load();
  const __m512i fields = _mm512_set1_epi16(0x1F1F);
  const __m512i redBias = _mm512_set1_epi16(0x4000);  // +64 on red's index: the upper table
  const __m512i green = _mm512_set1_epi16(static_cast<int16_t>(F::kGreen));
  const __m512i weight8 = _mm512_set1_epi16(static_cast<int16_t>(job.weight << 3));
  const __m512i key = _mm512_set1_epi16(static_cast<int16_t>(job.key));
  EachVector(job, [&](__m512i dv, __m512i sv, const BYTE*) {
    // (d bytes & 0x1F) | 0x40 on red's, minus the source's: blue's and red's indices.
    const __m512i dBytes =
        _mm512_ternarylogic_epi32(Multishift(control, dv), fields, redBias, 0xEA);
    const __m512i sBytes = _mm512_and_si512(Multishift(control, sv), fields);
    const __m512i change = _mm512_permutex2var_epi8(low, _mm512_sub_epi8(dBytes, sBytes), high);
    const __m512i redBlue = _mm512_add_epi8(F::Colour(sv), change);
    // Green's difference times 32, times w * 8, high half: floor(difference * w / 256).
    const __m512i greenStep = _mm512_mulhi_epi16(
        _mm512_sub_epi16(_mm512_and_si512(dv, green), _mm512_and_si512(sv, green)), weight8);
    return Finish<Keyed>(dv, sv, key, redBlue, _mm512_slli_epi16(greenStep, 5));
  });
}

// d + floor((s - d) * a / 256) per channel, with a from the alpha bytes.
template <class F, bool Keyed>
void AlphaMap(const BlendJob& job) {
  const __m512i control = RedBlueControl<F::kRedShift>::Load();
  const __m512i fields = _mm512_set1_epi16(0x1F1F);
  // Red's change from bit RedShift up to bit 15: for 5-5-5 the sixth bit carries its sign, so
  // the byte sum cannot reach the top bit.
  const __m512i redBits = _mm512_set1_epi16(static_cast<int16_t>(0xFFFF << F::kRedShift));
  const __m512i green = _mm512_set1_epi16(static_cast<int16_t>(F::kGreen));
  const __m512i key = _mm512_set1_epi16(static_cast<int16_t>(job.key));
  EachVector(job, [&](__m512i dv, __m512i sv, const BYTE* a) {
    const __m512i alpha =
        _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(a)));
    // Bytes [blue, red] of the source minus the destination's, signed.
    const __m512i diff = _mm512_sub_epi8(_mm512_and_si512(Multishift(control, sv), fields),
                                         _mm512_and_si512(Multishift(control, dv), fields));
    // a * blue's difference from bytes [a, 0], a * red's from [0, a].
    const __m512i blue = _mm512_maddubs_epi16(alpha, diff);
    const __m512i red = _mm512_maddubs_epi16(_mm512_bslli_epi128(alpha, 1), diff);
    // floor(red / 256) at red's bits of the high byte, floor(blue / 256) in the low byte.
    const __m512i change = _mm512_ternarylogic_epi32(_mm512_slli_epi16(red, F::kRedShift - 8),
                                                     _mm512_srli_epi16(blue, 8), redBits, 0xE4);
    const __m512i redBlue = _mm512_add_epi8(F::Colour(dv), change);
    const __m512i greenStep = _mm512_mulhi_epi16(
        _mm512_sub_epi16(_mm512_and_si512(sv, green), _mm512_and_si512(dv, green)),
        _mm512_slli_epi16(alpha, 3));
    return Finish<Keyed>(dv, sv, key, redBlue, _mm512_slli_epi16(greenStep, 5));
  });
}

template <class F, bool Keyed>
void Run(const BlendJob& job) {
  if (job.rule == BlendRule::Alpha)
    ConstantWeight<F, Keyed>(job);
  else
    AlphaMap<F, Keyed>(job);
}

template <class F>
void Run(const BlendJob& job) {
  // A key wider than a pixel matches no pixel.
  if (job.keyed && job.key <= 0xFFFF)
    Run<F, true>(job);
  else
    Run<F, false>(job);
}

}  // namespace

bool Available() {
  static const bool available =
      __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
  return available;
}

bool Blend(const BlendJob& job) {
  if (job.width < 32 || (job.format != 15 && job.format != 16) || !Available()) return false;
  if (job.rule != BlendRule::Alpha && !(job.rule == BlendRule::AlphaMap && job.alpha)) return false;
  if (job.format == 16)
    Run<Format16<11>>(job);
  else
    Run<Format16<10>>(job);
  return true;
}

#pragma GCC pop_options

#else

bool Available() { return false; }
bool Blend(const BlendJob&) { return false; }

#endif

}  // namespace qvblit::vbmi

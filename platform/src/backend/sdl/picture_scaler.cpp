#include "backend/sdl/picture_scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#define QV_PICTURE_SSE2 1
// AVX2 on 64-bit GCC builds, chosen at run time, as for the engine's blenders.
#if defined(__x86_64__) && !defined(_WIN32) && !defined(__clang__)
#define QV_PICTURE_AVX2 1
#endif
#endif

namespace plat::sdl {

namespace {

// A 5-6-5 pixel's low byte holds blue and green's low bits, its high byte red and green's high
// bits; widened to 8 bits per channel (each channel's top bits repeated below it, so 0xFFFF is
// white) the two bytes' parts never overlap, so two small tables do the work.
struct Rgb565Tables {
  uint32_t low[256];
  uint32_t high[256];
  Rgb565Tables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t blue = i & 31, greenLow = i >> 5;
      low[i] = (greenLow << 10) | (blue << 3) | (blue >> 2);
      uint32_t greenHigh = i & 7, red = i >> 3;
      high[i] = (((red << 3) | (red >> 2)) << 16) | (greenHigh << 13) | ((greenHigh >> 1) << 8);
    }
  }
};

// a and b mixed per channel as (a * (256 - w) + b * w) / 256, rounded down. Red and blue share
// one multiplication: neither's products reach the other's bits.
inline uint32_t Mix(uint32_t a, uint32_t b, uint32_t w) {
  const uint32_t v = 256 - w;
  const uint32_t rb = (((a & 0xFF00FF) * v + (b & 0xFF00FF) * w) >> 8) & 0xFF00FF;
  const uint32_t g = (((a & 0xFF00) * v + (b & 0xFF00) * w) >> 8) & 0xFF00;
  return rb | g;
}

void MixRowsPlain(const uint32_t* a, const uint32_t* b, uint32_t w, uint32_t* out, int n) {
  for (int i = 0; i < n; ++i) out[i] = Mix(a[i], b[i], w);
}

void Rgb565RowPlain(const uint16_t* in, uint32_t* out, int n) {
  static const Rgb565Tables tables;
  for (int x = 0; x < n; ++x) out[x] = tables.low[in[x] & 0xFF] | tables.high[in[x] >> 8];
}

// Output pixel x of a scaled row: source pixel index[x], mixed with the next by weight[x].
void ScaleRowPlain(const uint32_t* in, const int32_t* index, const int32_t* weight, uint32_t* out,
                   int n) {
  for (int x = 0; x < n; ++x) {
    out[x] = weight[x] ? Mix(in[index[x]], in[index[x] + 1], static_cast<uint32_t>(weight[x]))
                       : in[index[x]];
  }
}

#if QV_PICTURE_SSE2
// The same sums in 16-bit lanes: a * (256 - w) + b * w never exceeds 255 * 256.
void MixRowsSse2(const uint32_t* a, const uint32_t* b, uint32_t w, uint32_t* out, int n) {
  const __m128i wb = _mm_set1_epi16(static_cast<short>(w));
  const __m128i wa = _mm_set1_epi16(static_cast<short>(256 - w));
  const __m128i zero = _mm_setzero_si128();
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(va, zero), wa),
                               _mm_mullo_epi16(_mm_unpacklo_epi8(vb, zero), wb));
    __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(va, zero), wa),
                               _mm_mullo_epi16(_mm_unpackhi_epi8(vb, zero), wb));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8)));
  }
  MixRowsPlain(a + i, b + i, w, out + i, n - i);
}

// Each channel widened by repeating its top bits below it, as the tables do, eight pixels at a
// time: blue and green make each pixel's low half, red its high half.
void Rgb565RowSse2(const uint16_t* in, uint32_t* out, int n) {
  const __m128i five = _mm_set1_epi16(31), six = _mm_set1_epi16(63);
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
    __m128i r = _mm_srli_epi16(p, 11);
    __m128i g = _mm_and_si128(_mm_srli_epi16(p, 5), six);
    __m128i b = _mm_and_si128(p, five);
    r = _mm_or_si128(_mm_slli_epi16(r, 3), _mm_srli_epi16(r, 2));
    g = _mm_or_si128(_mm_slli_epi16(g, 2), _mm_srli_epi16(g, 4));
    b = _mm_or_si128(_mm_slli_epi16(b, 3), _mm_srli_epi16(b, 2));
    __m128i gb = _mm_or_si128(_mm_slli_epi16(g, 8), b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_unpacklo_epi16(gb, r));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4), _mm_unpackhi_epi16(gb, r));
  }
  Rgb565RowPlain(in + x, out + x, n - x);
}
#endif

#if QV_PICTURE_AVX2
#pragma GCC push_options
#pragma GCC target("avx2")
void MixRowsAvx2(const uint32_t* a, const uint32_t* b, uint32_t w, uint32_t* out, int n) {
  const __m256i wb = _mm256_set1_epi16(static_cast<short>(w));
  const __m256i wa = _mm256_set1_epi16(static_cast<short>(256 - w));
  const __m256i zero = _mm256_setzero_si256();
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i va = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
    __m256i vb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
    __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(va, zero), wa),
                                  _mm256_mullo_epi16(_mm256_unpacklo_epi8(vb, zero), wb));
    __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(va, zero), wa),
                                  _mm256_mullo_epi16(_mm256_unpackhi_epi8(vb, zero), wb));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_packus_epi16(_mm256_srli_epi16(lo, 8), _mm256_srli_epi16(hi, 8)));
  }
  MixRowsSse2(a + i, b + i, w, out + i, n - i);
}

// Eight output pixels at a time: both source pixels gathered, then mixed as in MixRowsAvx2 with
// each pixel's own weight spread over its four channels.
void ScaleRowAvx2(const uint32_t* in, const int32_t* index, const int32_t* weight, uint32_t* out,
                  int n) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i full = _mm256_set1_epi32(256 | (256 << 16));
  const int* source = reinterpret_cast<const int*>(in);
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(index + x));
    __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weight + x));
    __m256i a = _mm256_i32gather_epi32(source, at, 4);
    __m256i b = _mm256_i32gather_epi32(source + 1, at, 4);
    w = _mm256_or_si256(w, _mm256_slli_epi32(w, 16));  // the weight in both 16-bit halves
    __m256i v = _mm256_sub_epi16(full, w);
    __m256i lo = _mm256_add_epi16(
        _mm256_mullo_epi16(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi32(v, v)),
        _mm256_mullo_epi16(_mm256_unpacklo_epi8(b, zero), _mm256_unpacklo_epi32(w, w)));
    __m256i hi = _mm256_add_epi16(
        _mm256_mullo_epi16(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi32(v, v)),
        _mm256_mullo_epi16(_mm256_unpackhi_epi8(b, zero), _mm256_unpackhi_epi32(w, w)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x),
                        _mm256_packus_epi16(_mm256_srli_epi16(lo, 8), _mm256_srli_epi16(hi, 8)));
  }
  ScaleRowPlain(in, index + x, weight + x, out + x, n - x);
}
#pragma GCC pop_options
#endif

// The loops, in the widest build the processor runs.
struct Kernels {
  void (*rgb565Row)(const uint16_t*, uint32_t*, int);
  void (*scaleRow)(const uint32_t*, const int32_t*, const int32_t*, uint32_t*, int);
  void (*mixRows)(const uint32_t*, const uint32_t*, uint32_t, uint32_t*, int);
};

Kernels ChooseKernels() {
#if QV_PICTURE_AVX2
  if (__builtin_cpu_supports("avx2")) return {Rgb565RowSse2, ScaleRowAvx2, MixRowsAvx2};
#endif
#if QV_PICTURE_SSE2
  return {Rgb565RowSse2, ScaleRowPlain, MixRowsSse2};
#else
  return {Rgb565RowPlain, ScaleRowPlain, MixRowsPlain};
#endif
}

const Kernels& Loops() {
  static const Kernels kernels = ChooseKernels();
  return kernels;
}

// Output pixel d's centre, in source pixels, and from it the tap: the source pixel whose centre
// lies at or before the point, and how far towards the next one the point lies.
Tap TapAt(double u, int sourceSize) {
  double floor = std::floor(u);
  auto index = static_cast<int32_t>(floor);
  auto weight = static_cast<uint32_t>(std::lround((u - floor) * 256));
  if (weight == 256) {
    ++index;
    weight = 0;
  }
  if (index < 0) return {0, 0};
  if (index >= sourceSize - 1) return {sourceSize - 1, 0};
  return {index, weight};
}

}  // namespace

Area PictureArea(int frameWidth, int frameHeight, int outputWidth, int outputHeight,
                 Scaling scaling) {
  Area area;
  if (frameWidth <= 0 || frameHeight <= 0 || outputWidth <= 0 || outputHeight <= 0) return area;
  const int whole = std::min(outputWidth / frameWidth, outputHeight / frameHeight);
  if (scaling == Scaling::Integer && whole >= 1) {
    area.w = frameWidth * whole;
    area.h = frameHeight * whole;
  } else if (int64_t{outputWidth} * frameHeight <= int64_t{outputHeight} * frameWidth) {
    area.w = outputWidth;
    area.h = std::max(1, static_cast<int>(int64_t{frameHeight} * outputWidth / frameWidth));
  } else {
    area.w = std::max(1, static_cast<int>(int64_t{frameWidth} * outputHeight / frameHeight));
    area.h = outputHeight;
  }
  area.x = (outputWidth - area.w) / 2;
  area.y = (outputHeight - area.h) / 2;
  return area;
}

std::vector<Tap> PlanAxis(int sourceSize, int outputSize, Filter filter) {
  std::vector<Tap> taps(static_cast<size_t>(std::max(outputSize, 0)));
  if (sourceSize <= 0) return taps;
  const double scale = static_cast<double>(outputSize) / sourceSize;
  for (int d = 0; d < outputSize; ++d) {
    const double centre = (d + 0.5) / scale;  // in source pixels, 0 at the first one's left
    if (filter == Filter::Nearest) {
      auto index =
          static_cast<int32_t>(int64_t{2 * d + 1} * sourceSize / (2 * int64_t{outputSize}));
      taps[d] = {std::min(index, sourceSize - 1), 0};
      continue;
    }
    double u = centre - 0.5;
    if (filter == Filter::Sharp && scale > 1) {
      // Within a source pixel the point stays on its centre, except on the half output pixel
      // next to each border, where it moves across to the next centre at the output's rate.
      const double pixel = std::floor(centre);
      const double fromCentre = centre - pixel - 0.5;
      const double flat = 0.5 - 0.5 / scale;
      const double past = fromCentre - std::clamp(fromCentre, -flat, flat);
      u = pixel + past * scale;
    }
    taps[d] = TapAt(u, sourceSize);
  }
  return taps;
}

void RowToXrgb(const PixelBuffer& frame, int y, uint32_t* out) {
  if (frame.format == PixelFormat::Rgb565() &&
      (reinterpret_cast<uintptr_t>(frame.Row(y)) & 1) == 0) {
    Loops().rgb565Row(reinterpret_cast<const uint16_t*>(frame.Row(y)), out, frame.width);
    return;
  }
  PixelBuffer line = frame;
  line.bits = frame.Row(y);
  line.height = 1;
  ConvertToXrgb(line, out);
}

const uint32_t* PictureScaler::ScaledRow(const PixelBuffer& frame, int y, uint32_t* into) {
  for (int slot = 0; slot < 2; ++slot) {
    if (cachedY_[slot] != y) continue;
    nextSlot_ = slot ^ 1;  // the one used least lately goes next
    return cachedRow_[slot];
  }
  const int slot = nextSlot_;
  nextSlot_ ^= 1;
  uint32_t* out = into ? into : cached_[slot].data();
  cachedY_[slot] = y;
  cachedRow_[slot] = out;
  RowToXrgb(frame, y, sourceRow_.data());
  const uint32_t* in = sourceRow_.data();
  if (columnsBlend_) {
    Loops().scaleRow(in, columnIndex_.data(), columnWeight_.data(), out, areaWidth_);
  } else {
    for (int x = 0; x < areaWidth_; ++x) out[x] = in[columns_[x].index];
  }
  return out;
}

const std::vector<PictureScaler::Rows>& PictureScaler::Draw(const PixelBuffer& frame, Filter filter,
                                                            uint32_t* output, int pitch, Area area,
                                                            bool everything) {
  drawn_.clear();
  if (area.w <= 0 || area.h <= 0 || frame.width <= 0 || frame.height <= 0) return drawn_;
  if (frame.width != frameWidth_ || frame.height != frameHeight_ || area.w != areaWidth_ ||
      area.h != areaHeight_ || filter != filter_) {
    everything = true;
    frameWidth_ = frame.width;
    frameHeight_ = frame.height;
    areaWidth_ = area.w;
    areaHeight_ = area.h;
    filter_ = filter;
    columns_ = PlanAxis(frame.width, area.w, filter);
    rows_ = PlanAxis(frame.height, area.h, filter);
    columnsBlend_ =
        std::any_of(columns_.begin(), columns_.end(), [](const Tap& t) { return t.weight != 0; });
    columnIndex_.resize(columns_.size());
    columnWeight_.resize(columns_.size());
    for (size_t x = 0; x < columns_.size(); ++x) {
      columnIndex_[x] = columns_[x].index;
      columnWeight_[x] = static_cast<int32_t>(columns_[x].weight);
    }
    // One pixel more: the vector loops read the pixel after the last, with a weight of 0.
    sourceRow_.resize(static_cast<size_t>(frame.width) + 1);
    for (auto& row : cached_) row.resize(static_cast<size_t>(area.w));
  }
  // Which source rows changed is asked row by row as the output needs them, just before they
  // are converted: each row is read from memory once. The frame is kept for the next frame.
  const size_t rowBytes = static_cast<size_t>(frame.width) * frame.format.BytesPerPixel();
  if (frame.palette || lastFrame_.size() != rowBytes * frame.height) everything = true;
  lastFrame_.resize(rowBytes * frame.height);
  changed_.assign(static_cast<size_t>(frame.height), kUnknown);
  auto changed = [&](int y) {
    if (changed_[y] == kUnknown) {
      uint8_t* kept = &lastFrame_[rowBytes * y];
      const bool differs = everything || std::memcmp(kept, frame.Row(y), rowBytes) != 0;
      if (differs) std::memcpy(kept, frame.Row(y), rowBytes);
      changed_[y] = differs ? kChanged : kSame;
    }
    return changed_[y] == kChanged;
  };
  cachedY_[0] = cachedY_[1] = -1;
  const auto mixRows = Loops().mixRows;
  for (int y = 0; y < area.h; ++y) {
    const Tap& t = rows_[y];
    const bool first = changed(t.index);
    if (!(t.weight && changed(t.index + 1)) && !first) continue;
    if (!drawn_.empty() && drawn_.back().first + drawn_.back().count == area.y + y) {
      ++drawn_.back().count;
    } else {
      drawn_.push_back({area.y + y, 1});
    }
    uint32_t* out = output + static_cast<ptrdiff_t>(area.y + y) * pitch + area.x;
    if (t.weight == 0) {
      // Scaled straight into the output, unless an output row above already holds it.
      const uint32_t* a = ScaledRow(frame, t.index, out);
      if (a != out) std::memcpy(out, a, static_cast<size_t>(area.w) * 4);
    } else {
      const uint32_t* a = ScaledRow(frame, t.index);
      mixRows(a, ScaledRow(frame, t.index + 1), t.weight, out, area.w);
    }
  }
  return drawn_;
}

void DrawPictureReference(const PixelBuffer& frame, Filter filter, uint32_t* output, int pitch,
                          Area area) {
  const std::vector<Tap> columns = PlanAxis(frame.width, area.w, filter);
  const std::vector<Tap> rows = PlanAxis(frame.height, area.h, filter);
  std::vector<uint32_t> source(static_cast<size_t>(frame.width) * frame.height);
  ConvertToXrgb(frame, source.data());
  auto at = [&](int x, int y) { return source[static_cast<size_t>(y) * frame.width + x]; };
  auto across = [&](int x, int y) {
    const Tap& c = columns[x];
    return c.weight ? Mix(at(c.index, y), at(c.index + 1, y), c.weight) : at(c.index, y);
  };
  for (int y = 0; y < area.h; ++y) {
    const Tap& r = rows[y];
    for (int x = 0; x < area.w; ++x) {
      uint32_t top = across(x, r.index);
      uint32_t pixel = r.weight ? Mix(top, across(x, r.index + 1), r.weight) : top;
      output[static_cast<ptrdiff_t>(area.y + y) * pitch + area.x + x] = pixel;
    }
  }
}

}  // namespace plat::sdl

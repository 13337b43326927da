// The blending row loops in plain C++, one pixel at a time but with the rule and the format
// fixed at compile time, in 32-bit integer arithmetic. They run where no vector loop does: on
// processors without SSE2, for 24-bit pixels and for brightening fades.
//
// The weighted rules use d + floor((s - d) * a / 256) = floor((s * a + d * (256 - a)) / 256):
// adding the integer d commutes with the floor, and the right side has no negative terms.
#include <cstdint>
#include <cstring>

#include "blit/blend_job.h"
#include "blit/blend_select.h"

namespace qvblit {
namespace {

template <class L, class F>
uint32_t PerChannel(uint32_t d, uint32_t s, F f) {
  const uint32_t red =
      f((d >> L::kRedShift) & L::kRedMax, (s >> L::kRedShift) & L::kRedMax, L::kRedMax);
  const uint32_t green =
      f((d >> L::kGreenShift) & L::kGreenMax, (s >> L::kGreenShift) & L::kGreenMax, L::kGreenMax);
  const uint32_t blue = f(d & L::kBlueMax, s & L::kBlueMax, L::kBlueMax);
  return (red << L::kRedShift) | (green << L::kGreenShift) | blue;
}

// The colour bits of destination pixel d under source pixel s, weight a from the alpha map.
template <class L, BlendRule R>
uint32_t Pixel(uint32_t d, uint32_t s, uint32_t a, uint32_t w) {
  switch (R) {
    case BlendRule::HalfBlend:
      return ((d >> 1) & L::kHalf) + ((s >> 1) & L::kHalf);
    case BlendRule::HalfShade:
      return (d >> 1) & L::kHalf;
    case BlendRule::AlphaMap:
      return PerChannel<L>(
          d, s, [a](uint32_t dc, uint32_t sc, uint32_t) { return (sc * a + dc * (256 - a)) >> 8; });
    case BlendRule::Alpha:
      return PerChannel<L>(
          d, s, [w](uint32_t dc, uint32_t sc, uint32_t) { return (dc * w + sc * (256 - w)) >> 8; });
    case BlendRule::Shade:
      return PerChannel<L>(d, s, [w](uint32_t dc, uint32_t, uint32_t) { return (dc * w) >> 8; });
    case BlendRule::Fade:
      return PerChannel<L>(d, s, [w](uint32_t, uint32_t sc, uint32_t max) {
        const uint32_t v = (sc * w) >> 8;
        return v > max ? max : v;
      });
  }
  return 0;
}

template <class L, BlendRule R, bool Keyed>
void Row16(BYTE* d, const BYTE* s, const BYTE* alpha, int64_t n, uint32_t w, uint32_t key) {
  for (int64_t i = 0; i < n; ++i) {
    uint16_t sp, dp;
    std::memcpy(&sp, s + 2 * i, 2);
    if (Keyed && sp == key) continue;
    std::memcpy(&dp, d + 2 * i, 2);
    const uint16_t out = static_cast<uint16_t>(Pixel<L, R>(dp, sp, alpha ? alpha[i] : 0, w));
    std::memcpy(d + 2 * i, &out, 2);
  }
}

// 24 and 32 bits: the three colour bytes; the fourth byte of a 32-bit pixel is never written.
template <int Bytes, BlendRule R, bool Keyed>
void Row24(BYTE* d, const BYTE* s, const BYTE* alpha, int64_t n, uint32_t w, uint32_t key) {
  for (int64_t i = 0; i < n; ++i, d += Bytes, s += Bytes) {
    const uint32_t sp = s[0] | (s[1] << 8) | (static_cast<uint32_t>(s[2]) << 16);
    if (Keyed && sp == key) continue;
    const uint32_t dp = d[0] | (d[1] << 8) | (static_cast<uint32_t>(d[2]) << 16);
    const uint32_t out = Pixel<L888, R>(dp, sp, alpha ? alpha[i] : 0, w);
    d[0] = static_cast<BYTE>(out);
    d[1] = static_cast<BYTE>(out >> 8);
    d[2] = static_cast<BYTE>(out >> 16);
  }
}

using RowLoop = void (*)(BYTE*, const BYTE*, const BYTE*, int64_t, uint32_t, uint32_t);

template <RowLoop Row>
void Rows(const BlendJob& job) {
  for (int64_t y = 0; y < job.height; ++y) {
    Row(job.dest + y * job.destPitch, job.source + y * job.sourcePitch,
        job.alpha ? job.alpha + y * job.alphaPitch : nullptr, job.width, job.weight, job.key);
  }
}

struct Portable {
  template <BlendRule R, bool Keyed>
  static BlendRows For(DWORD format) {
    switch (format) {
      case 15:
        return Rows<Row16<L555, R, Keyed>>;
      case 16:
        return Rows<Row16<L565, R, Keyed>>;
      case 24:
        return Rows<Row24<3, R, Keyed>>;
      default:
        return Rows<Row24<4, R, Keyed>>;
    }
  }
};

}  // namespace

void BlendPortable(const BlendJob& job) {
  SelectBlendRows<Portable>(job.rule, job.keyed, job.format)(job);
}

}  // namespace qvblit

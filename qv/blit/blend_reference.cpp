// The blending rules pixel by pixel, each channel on its own in 64-bit arithmetic: slow and
// plain, the measure the fast row loops are tested against. A surface blended onto itself runs
// here too, since its rows may overlap and the order of reads and writes then matters.
#include <cstdint>
#include <cstring>

#include "blit/blend_job.h"

namespace qvblit::reference {
namespace {

// Where the three colour channels of a format lie, and the mask that halves every channel of
// a pixel shifted right by one without carries between channels.
struct Channels {
  int redShift;
  int greenShift;
  uint32_t redMax;
  uint32_t greenMax;
  uint32_t blueMax;
  uint32_t halfMask;
};

const Channels k555 = {10, 5, 31, 31, 31, 0x3DEF};
const Channels k565 = {11, 5, 31, 63, 31, 0x7BEF};
const Channels k888 = {16, 8, 255, 255, 255, 0x7F7F7F};

// value / 256 rounded toward minus infinity.
int64_t FloorDiv256(int64_t value) { return value >= 0 ? value / 256 : -((-value + 255) / 256); }

uint32_t Channel(const BlendJob& job, uint32_t d, uint32_t s, uint32_t a, uint32_t max) {
  const int64_t dv = d;
  const int64_t sv = s;
  int64_t result = 0;
  switch (job.rule) {
    case BlendRule::AlphaMap:
      result = dv + FloorDiv256((sv - dv) * a);
      break;
    case BlendRule::Alpha:
      result = sv + FloorDiv256((dv - sv) * job.weight);
      break;
    case BlendRule::Shade:
      result = FloorDiv256(dv * job.weight);
      break;
    case BlendRule::Fade:
      // A factor above 256 brightens; each channel stops at its largest value instead of
      // spilling into its neighbour.
      result = FloorDiv256(sv * job.weight);
      if (result > static_cast<int64_t>(max)) result = max;
      break;
    case BlendRule::HalfBlend:
    case BlendRule::HalfShade:
      break;
  }
  return static_cast<uint32_t>(result) & max;
}

// The new colour bits of destination pixel d under source pixel s with alpha a.
uint32_t Combine(const Channels& c, const BlendJob& job, uint32_t d, uint32_t s, uint32_t a) {
  if (job.rule == BlendRule::HalfBlend) return ((d >> 1) & c.halfMask) + ((s >> 1) & c.halfMask);
  if (job.rule == BlendRule::HalfShade) return (d >> 1) & c.halfMask;
  const uint32_t red =
      Channel(job, (d >> c.redShift) & c.redMax, (s >> c.redShift) & c.redMax, a, c.redMax);
  const uint32_t green = Channel(job, (d >> c.greenShift) & c.greenMax,
                                 (s >> c.greenShift) & c.greenMax, a, c.greenMax);
  const uint32_t blue = Channel(job, d & c.blueMax, s & c.blueMax, a, c.blueMax);
  return (red << c.redShift) | (green << c.greenShift) | blue;
}

uint32_t Load32(const BYTE* p) {
  uint32_t value;
  std::memcpy(&value, p, 4);
  return value;
}

void Store32(BYTE* p, uint32_t value) { std::memcpy(p, &value, 4); }

uint32_t Load16(const BYTE* p) {
  uint16_t value;
  std::memcpy(&value, p, 2);
  return value;
}

void Store16(BYTE* p, uint32_t value) {
  const uint16_t v = static_cast<uint16_t>(value);
  std::memcpy(p, &v, 2);
}

// One row of 16-bit pixels: a single leading pixel when the count is odd, then two pixels per
// 32-bit word. A key that fits in 16 bits, repeated in both halves, skips a pair at once.
void Row16(const Channels& c, const BlendJob& job, BYTE* d, const BYTE* s, const BYTE* alpha,
           int64_t count) {
  const uint32_t key = job.key;
  int64_t i = 0;
  if (count & 1) {
    const uint32_t sp = Load16(s);
    if (!job.keyed || sp != key) Store16(d, Combine(c, job, Load16(d), sp, alpha ? alpha[0] : 0));
    i = 1;
  }
  const bool pairKey = job.keyed && key <= 0xFFFF;
  const uint32_t keyPair = key | (key << 16);
  for (; i < count; i += 2) {
    const uint32_t sw = Load32(s + 2 * i);
    if (pairKey && sw == keyPair) continue;
    const uint32_t dw = Load32(d + 2 * i);
    uint32_t low = dw & 0xFFFF;
    uint32_t high = dw >> 16;
    if (!job.keyed || (sw & 0xFFFF) != key)
      low = Combine(c, job, low, sw & 0xFFFF, alpha ? alpha[i] : 0) & 0xFFFF;
    if (!job.keyed || (sw >> 16) != key)
      high = Combine(c, job, high, sw >> 16, alpha ? alpha[i + 1] : 0) & 0xFFFF;
    Store32(d + 2 * i, low | (high << 16));
  }
}

// One row of 24- or 32-bit pixels: the three colour bytes of each, the key compared with them.
void Row24(const BlendJob& job, int bytes, BYTE* d, const BYTE* s, const BYTE* alpha,
           int64_t count) {
  for (int64_t i = 0; i < count; ++i, d += bytes, s += bytes) {
    const uint32_t sp = s[0] | (s[1] << 8) | (static_cast<uint32_t>(s[2]) << 16);
    if (job.keyed && sp == job.key) continue;
    const uint32_t dp = d[0] | (d[1] << 8) | (static_cast<uint32_t>(d[2]) << 16);
    const uint32_t out = Combine(k888, job, dp, sp, alpha ? alpha[i] : 0);
    d[0] = static_cast<BYTE>(out);
    d[1] = static_cast<BYTE>(out >> 8);
    d[2] = static_cast<BYTE>(out >> 16);
  }
}

}  // namespace

void Blend(const BlendJob& job) {
  const int bytes = job.format == 15 || job.format == 16 ? 2 : job.format == 24 ? 3 : 4;
  for (int64_t row = 0; row < job.height; ++row) {
    BYTE* d = job.dest + row * job.destPitch;
    const BYTE* s = job.source + row * job.sourcePitch;
    const BYTE* alpha = job.alpha ? job.alpha + row * job.alphaPitch : nullptr;
    if (bytes == 2)
      Row16(job.format == 15 ? k555 : k565, job, d, s, alpha, job.width);
    else
      Row24(job, bytes, d, s, alpha, job.width);
  }
}

}  // namespace qvblit::reference

// What the builds of the blending row loops share: the channel layouts of the formats, and the
// row loop of a job picked once per call from a family of loops templated on the rule and on
// whether a colour key is tested (the family picks the format itself).
#ifndef QV_BLIT_BLEND_SELECT_H
#define QV_BLIT_BLEND_SELECT_H

#include "blit/blend_job.h"

namespace qvblit {

// Channel layout: shifts and largest values of red and green (blue sits at bit 0), and the
// mask that halves every channel of a pixel shifted right by one.
template <int RedShift, int GreenShift, uint32_t RedMax, uint32_t GreenMax, uint32_t BlueMax,
          uint32_t HalfMask>
struct Layout {
  static constexpr int kRedShift = RedShift, kGreenShift = GreenShift;
  static constexpr uint32_t kRedMax = RedMax, kGreenMax = GreenMax, kBlueMax = BlueMax;
  static constexpr uint32_t kHalf = HalfMask;
};
using L555 = Layout<10, 5, 31, 31, 31, 0x3DEF>;
using L565 = Layout<11, 5, 31, 63, 31, 0x7BEF>;
using L888 = Layout<16, 8, 255, 255, 255, 0x7F7F7F>;

// The loop over all rows of a job.
using BlendRows = void (*)(const BlendJob&);

// `Family::For<rule, keyed>(format)` answers the loop for a format, or null.
template <class Family>
BlendRows SelectBlendRows(BlendRule rule, bool keyed, DWORD format) {
#define QV_BLEND_RULE(R)                                            \
  case BlendRule::R:                                                \
    return keyed ? Family::template For<BlendRule::R, true>(format) \
                 : Family::template For<BlendRule::R, false>(format)
  switch (rule) {
    QV_BLEND_RULE(AlphaMap);
    QV_BLEND_RULE(HalfBlend);
    QV_BLEND_RULE(Alpha);
    QV_BLEND_RULE(Shade);
    QV_BLEND_RULE(HalfShade);
    QV_BLEND_RULE(Fade);
  }
#undef QV_BLEND_RULE
  return nullptr;
}

}  // namespace qvblit

#endif

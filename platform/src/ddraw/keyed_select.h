// Keyed copies with a single key value done as a select: every source pixel is compared with
// the key and the ones that differ are written, with no branch on the picture's contents, so the
// time doesn't depend on where the key pixels lie. Built for 2- and 4-byte pixels on 16-byte
// vectors everywhere, and on x86-64 also with AVX2 and AVX-512 (a blend by the compare mask;
// AVX-512 stores rows narrower than a vector under the mask).
#ifndef QV_PLATFORM_DDRAW_KEYED_SELECT_H
#define QV_PLATFORM_DDRAW_KEYED_SELECT_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat::ddraw {

// Rows of a keyed copy: `width` pixels of each of `height` rows; the two memories don't overlap.
struct KeyedRows {
  uint8_t* dst = nullptr;
  ptrdiff_t dstPitch = 0;
  const uint8_t* src = nullptr;
  ptrdiff_t srcPitch = 0;
  int width = 0;
  int height = 0;
  uint32_t key = 0;  // compared with the whole pixel
};

using KeyedSelect = void (*)(const KeyedRows& rows);

struct KeyedSelectBuild {
  const char* name;  // "vector16", "avx2", "avx512"
  KeyedSelect rows16;
  KeyedSelect rows32;
  bool beatsRuns;  // faster than walking the opaque runs, whatever their lengths
};

// The builds this processor runs, narrowest first.
std::vector<KeyedSelectBuild> KeyedSelectBuilds();

// The widest of them, or the one QV_SIMD asks for (portable and sse2 both give vector16); what
// keyed copies use.
const KeyedSelectBuild& BestKeyedSelect();

}  // namespace plat::ddraw

#endif

// The font lookup through fontconfig.
#include <fontconfig/fontconfig.h>

#include <cctype>
#include <cstring>

#include "core/leak_check.h"
#include "gdi/font_lookup.h"

namespace plat::gdi {

namespace {

bool FontconfigReady() {
  static bool ready = [] {
    // Some fontconfig versions lose a few bytes while parsing their configuration; under the
    // leak checker that would fail every program that draws text, so it looks away here.
    LeakCheckPause pause;
    return FcInit() == FcTrue;
  }();
  return ready;
}

// Asks fontconfig for the installed scalable face closest to a family, weight and slant.
// The caller destroys the answer; null when there is none.
FcPattern* BestScalableFace(const std::string& family, bool bold, bool italic) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return nullptr;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult res = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &res);
  FcPatternDestroy(pattern);
  return match;
}

// The file, face index, first family name and style of fontconfig's answer. With `exact`, an
// answer none of whose family names is `family` is no match: fontconfig always answers with
// some face.
Match ReadAnswer(FcPattern* answer, const std::string& family, bool exact) {
  Match result;
  FcChar8* file = nullptr;
  FcChar8* fam = nullptr;
  int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  if (FcPatternGetString(answer, FC_FILE, 0, &file) != FcResultMatch || !file) return result;
  FcPatternGetInteger(answer, FC_INDEX, 0, &index);
  FcPatternGetInteger(answer, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(answer, FC_SLANT, 0, &slant);
  bool familyMatches = !exact;
  for (int i = 0; FcPatternGetString(answer, FC_FAMILY, i, &fam) == FcResultMatch; ++i) {
    const char* f = reinterpret_cast<const char*>(fam);
    if (i == 0) result.family = f;
    if (FaceNameKey(f, std::strlen(f)) == FaceNameKey(family.c_str(), family.size()))
      familyMatches = true;
  }
  if (familyMatches) {
    result.ok = true;
    result.file = reinterpret_cast<const char*>(file);
    result.index = index;
    result.bold = weight >= FC_WEIGHT_DEMIBOLD;
    result.italic = slant != FC_SLANT_ROMAN;
  }
  return result;
}

}  // namespace

Match FindFace(const std::string& family, bool bold, bool italic, bool exact) {
  if (!FontconfigReady()) return Match();
  FcPattern* answer = BestScalableFace(family, bold, italic);
  if (!answer) return Match();
  Match result = ReadAnswer(answer, family, exact);
  FcPatternDestroy(answer);
  return result;
}

}  // namespace plat::gdi

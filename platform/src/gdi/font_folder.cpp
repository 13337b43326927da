#include <unistd.h>

#include <cctype>

#include "gdi/font_lookup.h"

namespace plat::gdi {

namespace {

struct KnownFamily {
  const char* names[2];  // lower case: the face's own name and the generic one
  const char* family;
  const char* fileStem;
};

const KnownFamily kFamilies[] = {
    {{"liberation sans", "sans-serif"}, "Liberation Sans", "LiberationSans"},
    {{"liberation serif", "serif"}, "Liberation Serif", "LiberationSerif"},
    {{"liberation mono", "monospace"}, "Liberation Mono", "LiberationMono"},
};

bool Readable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

// The family's file for the style, or its regular face; not ok when neither is there.
Match FaceOf(const std::string& folder, const KnownFamily& known, bool bold, bool italic) {
  const char* styles[] = {"Regular", "Bold", "Italic", "BoldItalic"};
  Match m;
  std::string stem = folder + '/' + known.fileStem + '-';
  std::string styled = stem + styles[(bold ? 1 : 0) + (italic ? 2 : 0)] + ".ttf";
  if (Readable(styled)) {
    m.ok = true;
    m.file = styled;
    m.bold = bold;
    m.italic = italic;
  } else if (Readable(stem + "Regular.ttf")) {
    m.ok = true;
    m.file = stem + "Regular.ttf";
  }
  if (m.ok) m.family = known.family;
  return m;
}

}  // namespace

Match FindFaceInFolder(const std::string& folder, const std::string& family, bool bold, bool italic,
                       bool exact) {
  std::string name;
  for (char c : family)
    name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  for (const KnownFamily& known : kFamilies) {
    if (name == known.names[0] || name == known.names[1]) {
      Match m = FaceOf(folder, known, bold, italic);
      if (m.ok || exact) return m;
      break;
    }
  }
  if (exact) return Match();
  // Any family the folder does not hold comes to the sans face.
  return FaceOf(folder, kFamilies[0], bold, italic);
}

}  // namespace plat::gdi

// Where the font files are: the face file that stands for a family, weight and slant. Two
// ways, chosen when the platform is built (QV_FONT_LOOKUP): fontconfig on a desktop, or a
// folder of known files where there is no fontconfig (the browser).
#ifndef QV_PLATFORM_GDI_FONT_LOOKUP_H
#define QV_PLATFORM_GDI_FONT_LOOKUP_H

#include <string>

namespace plat::gdi {

struct Match {
  bool ok = false;
  std::string file;
  int index = 0;
  std::string family;
  bool bold = false;    // the file itself is bold
  bool italic = false;  // the file itself is slanted
};

// The best face of a family. With `exact`, only a face whose family is the one asked for
// counts; otherwise the lookup may answer with a stand-in.
Match FindFace(const std::string& family, bool bold, bool italic, bool exact);

}  // namespace plat::gdi

#endif

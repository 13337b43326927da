// The font lookup without fontconfig: the Liberation faces in one folder (QV_FONT_DIR, else
// Debian's folder of them); see gdi/font_lookup.h.
#include <cstdlib>

#include "gdi/font_lookup.h"

namespace plat::gdi {

Match FindFace(const std::string& family, bool bold, bool italic, bool exact) {
  const char* folder = std::getenv("QV_FONT_DIR");
  return FindFaceInFolder(folder && *folder ? folder : "/usr/share/fonts/truetype/liberation",
                          family, bold, italic, exact);
}

}  // namespace plat::gdi

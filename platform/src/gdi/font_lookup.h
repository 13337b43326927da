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

// A face or family name as the lookups compare it: lower case, without surrounding blanks, read
// up to `n` characters or the first zero.
std::string FaceNameKey(const char* name, size_t n);

// The best face of a family. With `exact`, only a face whose family is the one asked for
// counts; otherwise the lookup may answer with a stand-in.
Match FindFace(const std::string& family, bool bold, bool italic, bool exact);

// The lookup without fontconfig: the Liberation faces, which stand in for Arial, Times New Roman
// and Courier New, as files in `folder` (LiberationSans-Bold.ttf). Their own names and the
// generic ones ("sans-serif", "serif", "monospace") are known; other families come to the sans
// face unless `exact`. A style whose file is missing comes from the regular face, to be made
// bold or slanted by GDI.
Match FindFaceInFolder(const std::string& folder, const std::string& family, bool bold, bool italic,
                       bool exact);

}  // namespace plat::gdi

#endif

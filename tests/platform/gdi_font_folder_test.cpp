// The font lookup without fontconfig (the browser's): Liberation faces found by name in a folder
// that may hold only some of their files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "gdi/font_lookup.h"

namespace {

namespace fs = std::filesystem;
using plat::gdi::FindFaceInFolder;
using plat::gdi::Match;

TEST(FontFolderTest, FamiliesAndStylesComeToTheFilesThere) {
  std::string folder = (fs::temp_directory_path() / "qv-fonts-XXXXXX").string();
  ASSERT_NE(mkdtemp(&folder[0]), nullptr);
  for (const char* name : {"LiberationSans-Regular.ttf", "LiberationMono-Bold.ttf"}) {
    std::ofstream(fs::path(folder) / name) << "face";
  }

  Match sans = FindFaceInFolder(folder, "Liberation Sans", false, false, true);
  EXPECT_TRUE(sans.ok);
  EXPECT_EQ(fs::path(sans.file).filename(), "LiberationSans-Regular.ttf");
  EXPECT_EQ(sans.family, "Liberation Sans");

  // A style without its file comes from the regular face, which is not bold itself.
  Match bold = FindFaceInFolder(folder, "SANS-SERIF", true, false, false);
  EXPECT_EQ(fs::path(bold.file).filename(), "LiberationSans-Regular.ttf");
  EXPECT_FALSE(bold.bold);
  Match monoBold = FindFaceInFolder(folder, "monospace", true, false, false);
  EXPECT_EQ(fs::path(monoBold.file).filename(), "LiberationMono-Bold.ttf");
  EXPECT_TRUE(monoBold.bold);

  // A family the folder lacks: nothing when asked exactly, else the sans face.
  EXPECT_FALSE(FindFaceInFolder(folder, "Liberation Mono", false, false, true).ok);
  EXPECT_FALSE(FindFaceInFolder(folder, "Wingdings", false, false, true).ok);
  Match standIn = FindFaceInFolder(folder, "Liberation Serif", false, true, false);
  EXPECT_EQ(standIn.family, "Liberation Sans");
  EXPECT_FALSE(standIn.italic);

  fs::remove_all(folder);
  EXPECT_FALSE(FindFaceInFolder(folder, "sans-serif", false, false, false).ok);
}

}  // namespace

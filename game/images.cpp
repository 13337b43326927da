#include "images.h"

#include <algorithm>
#include <cstdio>

#include "app.h"
#include "errors.h"

namespace {

std::vector<std::string>& Missing() {
  static std::vector<std::string> names;
  return names;
}

// The folder that file names without a path are read from.
std::string CurrentFolder() {
  char folder[1024];
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) return ".";
  return std::string(folder, length);
}

}  // namespace

Surface* LoadGameImage(const char* fileName, bool keyed) {
  Surface* image = new Surface();
  std::vector<std::string>& missing = Missing();
  if (std::find(missing.begin(), missing.end(), fileName) != missing.end()) return image;
  if (image->Create(screen, fileName, AnyMemory) == 0) {
    // Without its background the game still plays, on the black the frame is cleared to; a
    // sprite the player cannot see makes it unplayable.
    if (!keyed) {
      std::fprintf(stderr, "Quorvane: %s could not be loaded; the game plays on a black field.\n",
                   fileName);
      return image;
    }
    missing.push_back(fileName);
    return image;
  }
  if (keyed) image->SetColorKey();
  return image;
}

const std::vector<std::string>& MissingImages() { return Missing(); }

void ForgetMissingImages() { Missing().clear(); }

void ReportMissingImages() {
  std::string text = "Quorvane cannot start: these pictures could not be loaded from the folder " +
                     CurrentFolder() + ":";
  for (const std::string& name : Missing()) text += "\n" + name;
  std::fprintf(stderr, "%s\n", text.c_str());
  ReportFatalError(nullptr, "%s", text.c_str());
}

#include "backend/sdl/screenshot.h"

#include <errno.h>
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <vector>

namespace plat::sdl {

namespace {

// Makes `path` and the folders above it; true when it is a folder at the end.
bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// XDG_PICTURES_DIR="$HOME/Pictures" as user-dirs.dirs writes it: quoted, a path that is either
// absolute or starts with $HOME.
std::string PicturesFromUserDirs(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string file =
      (config && *config == '/' ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
  std::ifstream in(file);
  std::string line;
  const std::string key = "XDG_PICTURES_DIR=\"";
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0) continue;
    size_t end = line.find('"', key.size());
    if (end == std::string::npos) return "";
    std::string value = line.substr(key.size(), end - key.size());
    if (value.compare(0, 5, "$HOME") == 0) return home + value.substr(5);
    return value.size() > 1 && value[0] == '/' ? value : "";
  }
  return "";
}

}  // namespace

std::string PicturesFolder() {
  const char* home = std::getenv("HOME");
  if (!home || !*home) return "";
  std::string folder = PicturesFromUserDirs(home);
  // xdg-user-dirs sets a folder to $HOME itself to say "none": pictures go to ~/Pictures then.
  if (folder.empty() || folder == home || folder == std::string(home) + "/") {
    folder = std::string(home) + "/Pictures";
  }
  return folder;
}

bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height) {
  // Exclusive creation: a screenshot never replaces a file.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0) return false;
  std::FILE* file = fdopen(fd, "wb");
  if (!file) {
    close(fd);
    unlink(path.c_str());
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  bool ok = png && info;
  // libpng reports its errors by a long jump back here.
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
      const uint32_t* in = pixels + static_cast<ptrdiff_t>(y) * width;
      for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<png_byte>(in[x] >> 16);
        row[3 * x + 1] = static_cast<png_byte>(in[x] >> 8);
        row[3 * x + 2] = static_cast<png_byte>(in[x]);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  } else {
    ok = false;
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  ok = std::fclose(file) == 0 && ok;
  if (!ok) unlink(path.c_str());
  return ok;
}

std::string SaveScreenshot(const PixelBuffer& frame) {
  const std::string pictures = PicturesFolder();
  if (pictures.empty()) {
    std::fprintf(stderr, "Screenshot not saved: no home folder (HOME is not set)\n");
    return "";
  }
  const std::string folder = pictures + "/Quorvane";
  if (!MakeFolders(folder)) {
    std::fprintf(stderr, "Screenshot not saved: cannot make %s: %s\n", folder.c_str(),
                 std::strerror(errno));
    return "";
  }
  std::vector<uint32_t> pixels(static_cast<size_t>(frame.width) * frame.height);
  ConvertToXrgb(frame, pixels.data());
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::tm local;
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  for (int n = 1; n < 100; ++n) {
    std::string path =
        folder + "/quorvane-" + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".png";
    if (WritePng(path, pixels.data(), frame.width, frame.height)) {
      std::fprintf(stderr, "Screenshot saved to %s\n", path.c_str());
      return path;
    }
    if (errno != EEXIST) break;
  }
  std::fprintf(stderr, "Screenshot not saved into %s: %s\n", folder.c_str(), std::strerror(errno));
  return "";
}

}  // namespace plat::sdl

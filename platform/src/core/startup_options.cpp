#include "startup_options.h"

#include <cstdio>
#include <string>

#include "core/settings.h"

#ifndef QV_VERSION
#define QV_VERSION "0.3.0"
#endif

namespace plat {

namespace {

const char kHelp[] =
    "Usage: quorvane [OPTION]...\n"
    "Plays Quorvane. The game reads its files from the current folder.\n"
    "\n"
    "  --window            start in a window\n"
    "  --fullscreen        start full screen (the game's own choice)\n"
    "  --filter=FILTER     how a scaled picture is drawn: sharp (the default: crisp pixels of\n"
    "                      even widths), linear (smooth) or nearest (blocky)\n"
    "  --scale=SCALE       fit (the largest picture that fits, the default) or integer (the\n"
    "                      largest whole multiple that fits, centred on black)\n"
    "  --help              show this help and end\n"
    "  --version           show the version and end\n"
    "\n"
    "The same keys can stand in the settings file, one a line: window, fullscreen,\n"
    "filter = FILTER, scale = SCALE. The file is $XDG_CONFIG_HOME/quorvane/settings.ini, else\n"
    "~/.config/quorvane/settings.ini; the command line comes first.\n"
    "\n"
    "Keys while playing:\n"
    "  Alt+Enter   switch between full screen and a window\n"
    "  Ctrl+Alt    let the mouse pointer go (in a window); a click in the window takes it back\n"
    "  F12         save a screenshot into the Quorvane folder of your pictures folder\n"
    "  Escape      end the game\n"
    "\n"
    "Without a display, QV_BACKEND=headless runs the game unseen.\n";

}  // namespace

int ApplyStartupOptions(int argc, char** argv) {
  PresentSettings settings;
  std::string error;
  const std::string file = SettingsFilePath();
  if (!file.empty() && !ReadSettingsFile(file, &settings, &error)) {
    std::fprintf(stderr, "quorvane: %s\n", error.c_str());
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (option == "--version") {
      std::printf("quorvane %s\n", QV_VERSION);
      return 0;
    }
    // --key or --key=value, the keys of the settings file.
    size_t equals = option.find('=');
    std::string key = option.substr(0, equals);
    bool flag = key == "--window" || key == "--fullscreen";
    bool valued = key == "--filter" || key == "--scale";
    if (!(flag && equals == std::string::npos) && !(valued && equals != std::string::npos)) {
      if (valued) {
        std::fprintf(stderr, "quorvane: %s needs a value (%s=...)\n", key.c_str(), key.c_str());
      } else if (flag) {
        std::fprintf(stderr, "quorvane: %s takes no value\n", key.c_str());
      } else {
        std::fprintf(stderr, "quorvane: unknown option '%s' (see --help)\n", option.c_str());
      }
      return 2;
    }
    std::string value = equals == std::string::npos ? "" : option.substr(equals + 1);
    if (!ApplySetting(key.substr(2), value, &settings, &error)) {
      std::fprintf(stderr, "quorvane: %s: %s\n", key.c_str(), error.c_str());
      return 2;
    }
  }
  SetPresentSettings(settings);
  return -1;
}

}  // namespace plat

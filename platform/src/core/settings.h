// How the player wants the picture shown: the window or full screen to start with, the filter
// that smooths a scaled picture, and how far it is scaled. Read once at start-up from the
// settings file and the command line (see startup_options.h), then asked by the display
// backend.
#ifndef QV_PLATFORM_CORE_SETTINGS_H
#define QV_PLATFORM_CORE_SETTINGS_H

#include <string>

namespace plat {

enum class Filter { Nearest, Linear, Sharp };
enum class Scaling { Fit, Integer };
enum class StartIn { AsProgramAsks, Window, FullScreen };

struct PresentSettings {
  Filter filter = Filter::Sharp;
  Scaling scaling = Scaling::Fit;
  StartIn startIn = StartIn::AsProgramAsks;
};

const PresentSettings& CurrentPresentSettings();
void SetPresentSettings(const PresentSettings& settings);

// Applies one setting by its key ("window", "fullscreen", "filter", "scale") and value (empty
// for the two flags). False, with a one-line reason in `error`, for an unknown key or a value
// the key does not take.
bool ApplySetting(const std::string& key, const std::string& value, PresentSettings* settings,
                  std::string* error);

// Reads "key = value" lines (a flag may stand alone; '#' and ';' start comments, blank lines and
// [section] lines are skipped). A missing file is no error. False at the first bad line, with
// the file, the line's number and the reason in `error`.
bool ReadSettingsFile(const std::string& path, PresentSettings* settings, std::string* error);

// $XDG_CONFIG_HOME/quorvane/settings.ini, else ~/.config/quorvane/settings.ini; empty when
// neither variable is set.
std::string SettingsFilePath();

}  // namespace plat

#endif

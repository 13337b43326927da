#include "core/settings.h"

#include <cstdlib>
#include <fstream>

namespace plat {

namespace {

PresentSettings gSettings;

std::string Trimmed(const std::string& text) {
  const char* space = " \t\r\n";
  size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// A flag takes no value, or a yes/no word for settings files that spell it out.
bool FlagValue(const std::string& value, bool* on) {
  if (value.empty() || value == "yes" || value == "true" || value == "1" || value == "on") {
    *on = true;
    return true;
  }
  if (value == "no" || value == "false" || value == "0" || value == "off") {
    *on = false;
    return true;
  }
  return false;
}

}  // namespace

const PresentSettings& CurrentPresentSettings() { return gSettings; }

void SetPresentSettings(const PresentSettings& settings) { gSettings = settings; }

bool ApplySetting(const std::string& key, const std::string& value, PresentSettings* settings,
                  std::string* error) {
  if (key == "window" || key == "fullscreen") {
    bool on;
    if (!FlagValue(value, &on)) {
      *error = "'" + value + "' is not a value of " + key + " (yes or no)";
      return false;
    }
    const StartIn self = key == "window" ? StartIn::Window : StartIn::FullScreen;
    if (on) {
      settings->startIn = self;
    } else if (settings->startIn == self) {
      settings->startIn = StartIn::AsProgramAsks;
    }
    return true;
  }
  if (key == "filter") {
    if (value == "nearest") {
      settings->filter = Filter::Nearest;
    } else if (value == "linear") {
      settings->filter = Filter::Linear;
    } else if (value == "sharp") {
      settings->filter = Filter::Sharp;
    } else {
      *error = "'" + value + "' is not a filter (nearest, linear or sharp)";
      return false;
    }
    return true;
  }
  if (key == "scale") {
    if (value == "fit") {
      settings->scaling = Scaling::Fit;
    } else if (value == "integer") {
      settings->scaling = Scaling::Integer;
    } else {
      *error = "'" + value + "' is not a scale (fit or integer)";
      return false;
    }
    return true;
  }
  *error = "unknown setting '" + key + "'";
  return false;
}

bool ReadSettingsFile(const std::string& path, PresentSettings* settings, std::string* error) {
  std::ifstream file(path);
  if (!file) return true;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    line = Trimmed(line.substr(0, line.find_first_of("#;")));
    if (line.empty() || line.front() == '[') continue;
    size_t equals = line.find('=');
    std::string key = Trimmed(line.substr(0, equals));
    std::string value = equals == std::string::npos ? "" : Trimmed(line.substr(equals + 1));
    std::string reason;
    if (!ApplySetting(key, value, settings, &reason)) {
      *error = path + ":" + std::to_string(number) + ": " + reason;
      return false;
    }
  }
  return true;
}

std::string SettingsFilePath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config == '/') return std::string(config) + "/quorvane/settings.ini";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.config/quorvane/settings.ini";
  return "";
}

}  // namespace plat

// The player's display settings: the settings file, then the command line over it.
#include "core/settings.h"

#include <gtest/gtest.h>
#include <startup_options.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/qv-settings-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    config_ = folder;
    mkdir((config_ + "/quorvane").c_str(), 0755);
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
  }
  void TearDown() override {
    unlink((config_ + "/quorvane/settings.ini").c_str());
    rmdir((config_ + "/quorvane").c_str());
    rmdir(config_.c_str());
    unsetenv("XDG_CONFIG_HOME");
    plat::SetPresentSettings(plat::PresentSettings());
  }
  void WriteSettings(const std::string& text) {
    std::ofstream(config_ + "/quorvane/settings.ini") << text;
  }
  int Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "quorvane");
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(&a[0]);
    return plat::ApplyStartupOptions(static_cast<int>(argv.size()), argv.data());
  }
  std::string config_;
};

TEST_F(SettingsTest, TheCommandLineComesBeforeTheSettingsFile) {
  EXPECT_EQ(Run({}), -1);
  EXPECT_EQ(plat::CurrentPresentSettings().filter, plat::Filter::Sharp);
  EXPECT_EQ(plat::CurrentPresentSettings().scaling, plat::Scaling::Fit);
  EXPECT_EQ(plat::CurrentPresentSettings().startIn, plat::StartIn::AsProgramAsks);

  WriteSettings("# mine\n[display]\nfilter = nearest\n  scale=integer ; whole\nwindow\n\n");
  EXPECT_EQ(Run({"--filter=linear"}), -1);
  EXPECT_EQ(plat::CurrentPresentSettings().filter, plat::Filter::Linear);
  EXPECT_EQ(plat::CurrentPresentSettings().scaling, plat::Scaling::Integer);
  EXPECT_EQ(plat::CurrentPresentSettings().startIn, plat::StartIn::Window);
  EXPECT_EQ(Run({"--fullscreen", "--scale=fit"}), -1);
  EXPECT_EQ(plat::CurrentPresentSettings().startIn, plat::StartIn::FullScreen);
  EXPECT_EQ(plat::CurrentPresentSettings().scaling, plat::Scaling::Fit);

  EXPECT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(Run({"--help"}), 0);
}

TEST_F(SettingsTest, BadOptionsAndSettingsEndWithTwo) {
  for (auto bad : std::vector<std::vector<std::string>>{
           {"--filter=blurry"}, {"--scale"}, {"--zoom=2"}, {"level3"}, {"--window=yes"}}) {
    EXPECT_EQ(Run(bad), 2) << bad[0];
  }
  WriteSettings("filter = sharp\nscale = stretch\n");
  EXPECT_EQ(Run({}), 2);
  WriteSettings("colour = blue\n");
  EXPECT_EQ(Run({"--window"}), 2);
  WriteSettings("fullscreen = no\nwindow = yes\n");
  EXPECT_EQ(Run({}), -1);
  EXPECT_EQ(plat::CurrentPresentSettings().startIn, plat::StartIn::Window);
}

}  // namespace

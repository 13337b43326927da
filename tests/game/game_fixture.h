// Shared set-up for the game's tests: a temporary working folder holding copies of the game's
// pictures and a level the test writes, the headless display with a manual clock, and helpers
// to start the game's objects or the whole program in this process.
#ifndef QUORVANE_TESTS_GAME_FIXTURE_H
#define QUORVANE_TESTS_GAME_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host.h"

// Sixteen '0' cells.
extern const char* const kEmptyRow;

class GameFolder : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `text` to a file in the working folder.
  void WriteFile(const std::string& name, const std::string& text);
  // Writes a level of the given lines, each followed by "\n"; missing lines are empty rows.
  void WriteLevel(const std::vector<std::string>& lines, const std::string& name = "level1.txt");
  // Copies the shipped level into the working folder.
  void UseShippedLevel();
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  // A fresh headless host with a manual clock, for a second program in the same test.
  static void RestartHost();

  std::string assets_;
  std::string folder_;
  std::string previous_;
};

// The game's objects made by its own start-up (window, screen, ball, paddle, wall, input), for
// tests of the rules. The level is empty unless a test loads another. Whatever a test started
// is released when it ends.
class GameObjects : public GameFolder {
 protected:
  void SetUp() override;
  // Writes a level file and loads it into the wall.
  void LoadLevel(const std::vector<std::string>& lines);
};

// Runs WinMain in this process with the host's clock and input; returns its exit code.
int RunProgram();

#endif

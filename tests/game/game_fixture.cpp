#include "game_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app.h"
#include "brickwall.h"

namespace fs = std::filesystem;

const char* const kEmptyRow = "0000000000000000";

void GameFolder::SetUp() {
  const char* assets = std::getenv("QV_ASSETS");
  ASSERT_NE(assets, nullptr) << "QV_ASSETS names the folder of the game's files";
  assets_ = assets;
  previous_ = fs::current_path().string();
  std::string pattern = (fs::temp_directory_path() / "quorvane-game-XXXXXX").string();
  ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
  folder_ = pattern;
  for (const char* name : {"background2.bmp", "brick.bmp", "paddle.bmp", "ball.bmp"}) {
    fs::copy_file(fs::path(assets_) / name, fs::path(folder_) / name);
  }
  fs::current_path(folder_);
  RestartHost();
}

void GameFolder::RestartHost() {
  qvhost::Reset();
  qvhost::UseHeadless();
  qvhost::UseManualClock();
}

void GameFolder::TearDown() {
  qvhost::OnFrame(nullptr);
  ReleaseGame();
  if (!previous_.empty()) fs::current_path(previous_);
  if (!folder_.empty()) {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
}

void GameFolder::WriteFile(const std::string& name, const std::string& text) {
  std::ofstream file(Path(name), std::ios::binary | std::ios::trunc);
  file << text;
}

void GameFolder::WriteLevel(const std::vector<std::string>& lines, const std::string& name) {
  std::string text;
  for (size_t row = 0; row < 12; ++row)
    text += (row < lines.size() ? lines[row] : kEmptyRow) + "\n";
  WriteFile(name, text);
}

void GameFolder::UseShippedLevel() {
  fs::copy_file(fs::path(assets_) / "level1.txt", fs::path(folder_) / "level1.txt",
                fs::copy_options::overwrite_existing);
}

void GameObjects::SetUp() {
  GameFolder::SetUp();
  if (HasFatalFailure()) return;
  WriteLevel({});
  instance = GetModuleHandleA(nullptr);
  ASSERT_TRUE(InitWindow(SW_SHOW));
  ASSERT_TRUE(InitGame());
}

void GameObjects::LoadLevel(const std::vector<std::string>& lines) {
  WriteLevel(lines, "test_level.txt");
  wall->Load("test_level.txt");
}

int RunProgram() { return WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT); }

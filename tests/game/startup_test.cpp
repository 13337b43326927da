// Start-up with missing or damaged files: a sprite that can't be loaded is reported and ends the
// program before any frame; a missing background or a missing or empty level still starts the
// game, with a note.
#include <filesystem>
#include <fstream>
#include <string>

#include "app.h"
#include "brick.h"
#include "brickwall.h"
#include "game_fixture.h"

namespace {

using StartupTest = GameFolder;

// A 60-byte run-length bitmap that declares 4096 x 4096 pixels: each brick's copy is a 32 MiB
// surface, and the display's budget runs out long before the wall is built.
const char kHugeBitmap[] =
    "BM\x3C\0\0\0\0\0\0\0\x3A\0\0\0\x28\0\0\0\0\x10\0\0\0\x10\0\0\x01\0\x08\0\x01\0\0\0"
    "\x02\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0\xFF\xFF\xFF\0\0\x01";

TEST_F(StartupTest, APictureThatDoesNotLoadIsReportedAndEndsTheProgram) {
  struct Case {
    const char* picture;
    const char* damage;
  };
  const Case cases[] = {{"brick.bmp", "cut"},
                        {"ball.bmp", "removed"},
                        {"paddle.bmp", "empty"},
                        {"brick.bmp", "huge"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.picture) + " " + c.damage);
    UseShippedLevel();
    const std::string path = Path(c.picture);
    const std::string damage = c.damage;
    if (damage == "removed") std::filesystem::remove(path);
    if (damage == "cut") std::filesystem::resize_file(path, 100);
    if (damage == "empty") std::filesystem::resize_file(path, 0);
    if (damage == "huge") WriteFile(c.picture, std::string(kHugeBitmap, sizeof kHugeBitmap - 1));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunProgram(), 0);
    const std::string err = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(qvhost::FrameCount(), 0);
    ASSERT_EQ(qvhost::MessageBoxes().size(), 1u);
    const std::string& text = qvhost::MessageBoxes()[0].text;
    EXPECT_NE(text.find(c.picture), std::string::npos) << text;
    EXPECT_NE(text.find(folder_), std::string::npos) << text;
    EXPECT_NE(err.find(text), std::string::npos) << err;
    // Everything start-up made is gone again.
    EXPECT_EQ(screen, nullptr);
    EXPECT_EQ(wall, nullptr);

    std::filesystem::copy_file(std::filesystem::path(assets_) / c.picture, path,
                               std::filesystem::copy_options::overwrite_existing);
    RestartHost();
  }
}

TEST_F(StartupTest, AMissingBackgroundPlaysOnBlackWithANote) {
  UseShippedLevel();
  std::filesystem::remove(Path("background2.bmp"));
  instance = GetModuleHandleA(nullptr);
  ASSERT_TRUE(InitWindow(SW_SHOW));
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(InitGame());
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("background2.bmp"), std::string::npos) << err;
  EXPECT_TRUE(qvhost::MessageBoxes().empty());
  RunFrame();
  // Below the wall and beside the paddle only the cleared field shows.
  for (int x : {2, 150, 790}) EXPECT_EQ(qvhost::LastFrame().At(x, 560) & 0xFFFFFF, 0u) << x;
  ReleaseGame();
}

TEST_F(StartupTest, AMissingOrEmptyLevelGivesTheFullWallWithANote) {
  instance = GetModuleHandleA(nullptr);
  ASSERT_TRUE(InitWindow(SW_SHOW));
  for (const char* state : {"missing", "empty"}) {
    if (std::string(state) == "empty") WriteFile("level1.txt", "");
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(InitGame());
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(std::string("level1.txt is ") + state), std::string::npos) << err;
    for (int row = 0; row < 12; ++row) {
      for (int column = 0; column < 16; ++column) {
        const Brick* brick = wall->cells[row][column];
        ASSERT_NE(brick, nullptr);
        EXPECT_EQ(brick->kind, 0);
      }
    }
    EXPECT_TRUE(qvhost::MessageBoxes().empty());
    ReleaseGame();
  }
}

}  // namespace

// Start-up with missing or damaged files: a picture that can't be loaded is reported and ends the
// program before any frame; a missing or empty level still gives the full wall, with a note.
#include <filesystem>
#include <fstream>
#include <string>

#include "app.h"
#include "brick.h"
#include "brickwall.h"
#include "game_fixture.h"

namespace {

using StartupTest = GameFolder;

TEST_F(StartupTest, APictureThatDoesNotLoadIsReportedAndEndsTheProgram) {
  struct Case {
    const char* picture;
    int keepBytes;  // -1: the file is removed
  };
  const Case cases[] = {{"brick.bmp", 100}, {"ball.bmp", -1}, {"background2.bmp", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    UseShippedLevel();
    const std::string path = Path(c.picture);
    if (c.keepBytes < 0) {
      std::filesystem::remove(path);
    } else {
      std::filesystem::resize_file(path, static_cast<uintmax_t>(c.keepBytes));
    }
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
    qvhost::Reset();
    qvhost::UseHeadless();
    qvhost::UseManualClock();
  }
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

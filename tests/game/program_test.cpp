// The whole program run headless in this process: how it ends, a scripted player clearing the
// shipped level, repeatability, and a focus switch in the middle of play.
#include <dinput.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "app.h"
#include "ball.h"
#include "brick.h"
#include "brickwall.h"
#include "game_fixture.h"
#include "paddle.h"
#include "qvscreen.h"

namespace {

using ProgramTest = GameFolder;

constexpr int kFrameLimit = 200000;

// Steers the paddle through mouse motion so that the ball comes off it towards a standing brick,
// a different one for each descent, never too close to vertical.
class Player {
 public:
  void Steer() {
    if (ball->dy > 0 && !descending_) ++descents_;
    descending_ = ball->dy > 0;
    // The paddle set now is the one the ball meets after its next step.
    const int ballCentre = ball->x + ball->dx + ball->width / 2;
    const int half = paddle->width / 2;
    const int highest = 800 - paddle->width - 1;
    int offset = descending_ ? OffsetTowardsTarget(ballCentre, half) : half / 2;
    // Near a side the paddle can't get far enough out: send the ball the other way, off the
    // side of the screen, rather than straight up.
    const int target = ballCentre - offset - half;
    if (target < 0 || target > highest) offset = -offset;
    qvhost::MouseMotion(ballCentre - offset - half - paddle->x, 0);
  }

 private:
  int OffsetTowardsTarget(int ballCentre, int half) const {
    std::vector<const Brick*> standing;
    for (int row = 0; row < wall->rows; ++row)
      for (int column = 0; column < wall->columns; ++column) {
        const Brick* brick = wall->cells[row][column];
        if (brick != nullptr && brick->alive && brick->kind != 1) standing.push_back(brick);
      }
    if (standing.empty()) return half / 2;
    const Brick* goal = standing[(descents_ * 7) % standing.size()];
    double angle =
        std::atan2(goal->y + 12 - 530.0, goal->x + 25.0 - ballCentre) * 180 / 3.141592653589793;
    angle = std::clamp(angle, -146.0, -36.0);
    // Never close to vertical: a ball within about 10 degrees of it has no sideways step.
    if (std::fabs(angle + 90) < 15) angle = angle < -90 ? -105 : -75;
    return static_cast<int>(std::lround((angle + 90) * half / 50));
  }

  int descents_ = 0;
  bool descending_ = false;
};

struct PlayResult {
  int exitCode = -1;
  int frames = 0;
  std::vector<uint64_t> hashes;
};

// Plays with the scripted player; `perFrame` may act on a frame first (true: stop steering).
template <typename PerFrame>
PlayResult Play(PerFrame perFrame, int frameLimit = kFrameLimit) {
  Player player;
  bool closing = false;
  qvhost::OnFrame([&](int frame) {
    if (closing) return;
    if (perFrame(frame)) return;
    if (frame + 1 >= frameLimit) {
      closing = true;
      qvhost::CloseWindow();
      return;
    }
    player.Steer();
  });
  PlayResult run;
  run.exitCode = RunProgram();
  run.frames = qvhost::FrameCount();
  run.hashes = qvhost::FrameHashes();
  qvhost::OnFrame(nullptr);
  return run;
}

TEST_F(ProgramTest, EscapeCloseButtonAndAltF4EndItWithNoFurtherFrame) {
  UseShippedLevel();
  const std::function<void()> closers[] = {[] { qvhost::TapKey(DIK_ESCAPE); },
                                           [] { qvhost::CloseWindow(); }, [] { qvhost::AltF4(); }};
  for (const auto& close : closers) {
    RestartHost();
    qvhost::OnFrame([&](int frame) {
      if (frame == 9) close();
      // Keys other than Escape do nothing.
      if (frame == 4) qvhost::TapKey(DIK_SPACE);
    });
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(qvhost::FrameCount(), 10);
    EXPECT_EQ(screen, nullptr);
    EXPECT_EQ(input, nullptr);
    qvhost::OnFrame(nullptr);
    ReleaseGame();
  }
}

TEST_F(ProgramTest, WallWithoutBreakableBricksEndsAfterThePauseWithoutAFrame) {
  WriteLevel({"2000000000000002", kEmptyRow, "0000000220000000"});
  EXPECT_EQ(RunProgram(), 1);
  EXPECT_EQ(qvhost::FrameCount(), 0);
  EXPECT_GE(qvhost::Now(), 1000u);
}

TEST_F(ProgramTest, FailedDisplayIsReportedAndEndsWithZero) {
  UseShippedLevel();
  qvhost::FailCall("DirectDrawCreate", DDERR_GENERIC);
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_EQ(qvhost::FrameCount(), 0);
  ASSERT_EQ(qvhost::MessageBoxes().size(), 1u);
  EXPECT_EQ(qvhost::MessageBoxes()[0].caption, "Error");
  EXPECT_EQ(qvhost::MessageBoxes()[0].text,
            "DirectDraw Error DDERR_GENERIC\nFILE: qvscreen\nLINE: 217");

  // A display that refuses the game's mode is named, in a box and to the debugger. (A second
  // program in this process: the first one's objects go first, as the process's end would.)
  ReleaseGame();
  RestartHost();
  qvhost::FailCall("IDirectDraw4::SetDisplayMode", DDERR_INVALIDMODE);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram(), 0);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(qvhost::FrameCount(), 0);
  ASSERT_EQ(qvhost::MessageBoxes().size(), 1u);
  const std::string text = qvhost::MessageBoxes()[0].text;
  EXPECT_NE(text.find("800 x 600 with 16 bits"), std::string::npos) << text;
  bool told = false;
  for (const std::string& line : qvhost::DebugOutput())
    told |= line.find(text) != std::string::npos;
  EXPECT_TRUE(told);
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE, 0);
}

TEST_F(ProgramTest, ScriptedPlayerClearsTheShippedLevel) {
  UseShippedLevel();
  qvhost::CaptureFrames(false);
  bool clearedSeen = false;
  int framesAfterClear = 0;
  // Four points inside the face of the last brick; the ball can cover at most one or two.
  const int corners[4][2] = {{3, 3}, {46, 3}, {3, 21}, {46, 21}};
  uint32_t before[4] = {0, 0, 0, 0};
  uint32_t lastBrickBefore = 0, lastBrickAfter = 0;
  const Brick* lastBrick = nullptr;
  int captureFrom = -1;
  PlayResult run = Play([&](int frame) {
    if (clearedSeen) ++framesAfterClear;
    if (wall->IsCleared()) {
      // This frame knocked out the last brick, and it was presented: the brick is still in it.
      if (!clearedSeen && lastBrick != nullptr && captureFrom >= 0) {
        // The corner farthest from where the ball was drawn in this frame.
        const int ballX = ball->x - ball->dx + 7, ballY = ball->y - ball->dy + 7;
        int far = 0, farthest = -1;
        for (int i = 0; i < 4; ++i) {
          const int ddx = lastBrick->x + corners[i][0] - ballX;
          const int ddy = lastBrick->y + corners[i][1] - ballY;
          if (ddx * ddx + ddy * ddy > farthest) {
            farthest = ddx * ddx + ddy * ddy;
            far = i;
          }
        }
        lastBrickBefore = before[far];
        lastBrickAfter =
            qvhost::LastFrame().At(lastBrick->x + corners[far][0], lastBrick->y + corners[far][1]);
      }
      clearedSeen = true;
      return true;
    }
    int standing = 0;
    for (int row = 0; row < wall->rows; ++row)
      for (int column = 0; column < wall->columns; ++column) {
        const Brick* brick = wall->cells[row][column];
        if (brick != nullptr && brick->alive && brick->kind != 1) {
          ++standing;
          lastBrick = brick;
        }
      }
    // Frames are kept only towards the end, to save the copies.
    if (standing <= 5 && captureFrom < 0) {
      qvhost::CaptureFrames(true);
      captureFrom = frame;
    }
    if (standing == 1 && captureFrom >= 0 && frame > captureFrom) {
      for (int i = 0; i < 4; ++i)
        before[i] =
            qvhost::LastFrame().At(lastBrick->x + corners[i][0], lastBrick->y + corners[i][1]);
    }
    return false;
  });
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_LT(run.frames, kFrameLimit);
  EXPECT_TRUE(clearedSeen);
  EXPECT_EQ(framesAfterClear, 0);
  EXPECT_NE(lastBrickBefore, 0u);
  EXPECT_EQ(lastBrickAfter, lastBrickBefore);
  EXPECT_NE(screen, nullptr);  // cleared without the shutdown
}

TEST_F(ProgramTest, SameInputGivesTheSameFrames) {
  UseShippedLevel();
  auto none = [](int) { return false; };
  PlayResult first = Play(none, 800);
  ReleaseGame();
  RestartHost();
  PlayResult second = Play(none, 800);
  EXPECT_EQ(first.exitCode, 0);
  EXPECT_EQ(first.frames, 800);
  EXPECT_EQ(first.hashes, second.hashes);
  // Something happened on the way: the frames changed.
  EXPECT_NE(first.hashes.front(), first.hashes.back());
}

// Every frame of a scripted game (steering, a focus switch with its reloads, a key) folded into
// one hash recorded from a known-good build: a change to the platform or the engine that alters
// any pixel of any frame shows here.
TEST_F(ProgramTest, RecordedGameGivesTheRecordedFrames) {
  UseShippedLevel();
  PlayResult run = Play(
      [](int frame) {
        if (frame == 700) {
          qvhost::FocusLost();
          qvhost::FocusRegained();
        }
        if (frame == 1500) qvhost::TapKey(DIK_SPACE);
        return false;
      },
      3000);
  uint64_t folded = 1469598103934665603ull;
  for (uint64_t h : run.hashes) folded = (folded ^ h) * 1099511628211ull;
  EXPECT_EQ(run.frames, 3000);
  EXPECT_EQ(run.hashes.size(), 3000u);
  EXPECT_EQ(folded, 5049488007028680429ull);
}

TEST_F(ProgramTest, PlayGoesOnAfterTheFocusComesBack) {
  UseShippedLevel();
  // Two points that show the background and a metal stud, which never changes.
  const int points[2][2] = {{20, 400}, {125, 35}};
  uint32_t before[2] = {0, 0};
  int focusFrame = -1, framesAfter = 0;
  long restores = 0;
  std::set<int> paddlePlaces;  // the mouse still moves the paddle
  bool checked = false;
  PlayResult run = Play([&](int frame) {
    const qvhost::Frame& shown = qvhost::LastFrame();
    if (frame == 100) {
      for (int i = 0; i < 2; ++i) before[i] = shown.At(points[i][0], points[i][1]);
      qvhost::EnableCallLog(true);
      qvhost::FocusLost();
      qvhost::FocusRegained();
      focusFrame = frame;
      return false;
    }
    if (focusFrame >= 0) {
      ++framesAfter;
      paddlePlaces.insert(paddle->x);
    }
    if (framesAfter == 30) {
      // The lost surfaces were restored and the pictures drawn again from their files.
      for (int i = 0; i < 2; ++i)
        EXPECT_EQ(shown.At(points[i][0], points[i][1]), before[i]) << "point " << i;
      restores = static_cast<long>(qvhost::CallsNamed("IDirectDrawSurface4::Restore").size());
      qvhost::EnableCallLog(false);
      checked = true;
    }
    if (framesAfter == 40) {
      qvhost::TapKey(DIK_ESCAPE);  // the keyboard answers again
      return true;
    }
    return false;
  });
  EXPECT_TRUE(checked);
  EXPECT_GE(restores, 1);
  EXPECT_GT(paddlePlaces.size(), 3u);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.frames, 101 + 40);
}

}  // namespace

// The ball's motion: the step table, the start, the lost ball, the paddle formula and the
// brick collisions.
#include "app.h"
#include "ball.h"
#include "brick.h"
#include "brickwall.h"
#include "game_fixture.h"
#include "paddle.h"

namespace {

using BallTest = GameObjects;

struct Step {
  int dx, dy;
};

Step MoveFrom(int x, int y, double angle) {
  ball->x = x;
  ball->y = y;
  ball->angle = angle;
  ball->Move(wall, paddle);
  return {ball->dx, ball->dy};
}

// Puts the narrow or wide paddle at `paddleX` and the ball's bottom on the paddle's top with
// its left edge at `ballX`; returns the angle the bounce gives.
double BounceOff(int paddleX, bool wide, int ballX) {
  if (wide) {
    paddle->Widen();
  } else {
    paddle->Narrow();
  }
  paddle->x = paddleX;
  ball->x = ballX;
  ball->y = paddle->y - ball->height;
  ball->angle = 90;
  ball->Move(wall, paddle);
  return ball->angle;
}

TEST_F(BallTest, StepsTruncateTheDirectionTimesTheSpeed) {
  paddle->x = 0;
  const struct {
    double angle;
    int dx, dy;
  } table[] = {{0, 6, 0}, {45, 4, 4}, {90, 0, 5}, {180, -5, 0}, {270, 0, -5}, {300, 3, -5}};
  for (const auto& row : table) {
    Step step = MoveFrom(400, 300, row.angle);
    EXPECT_EQ(step.dx, row.dx) << "angle " << row.angle;
    EXPECT_EQ(step.dy, row.dy) << "angle " << row.angle;
    EXPECT_EQ(ball->x, 400 + row.dx);
    EXPECT_EQ(ball->y, 300 + row.dy);
  }
  // Negative angles only live within one move: the paddle sets them after the range step.
  // Narrow paddle at 300 (centre 340): ball centre offsets 24, 47, -48 and 0.
  const struct {
    int ballX;
    double angle;
    int dx, dy;
  } bounces[] = {{357, -60, 2, -5}, {380, -32, 5, -3}, {285, -150, -5, -2}, {333, -90, 0, -5}};
  for (const auto& row : bounces) {
    EXPECT_EQ(BounceOff(300, false, row.ballX), row.angle) << "ball x " << row.ballX;
    EXPECT_EQ(ball->dx, row.dx) << "angle " << row.angle;
    EXPECT_EQ(ball->dy, row.dy) << "angle " << row.angle;
  }
  // The frame after a bounce at -60 the range step makes it 300: (3, -5).
  BounceOff(300, false, 357);
  ball->Move(wall, paddle);
  EXPECT_EQ(ball->angle, 300);
  EXPECT_EQ(ball->dx, 3);
  EXPECT_EQ(ball->dy, -5);
}

TEST_F(BallTest, StartsAtTheCentreAndIsLostFromY585NarrowingThePaddle) {
  EXPECT_EQ(ball->x * 1000 + ball->y, 400500);
  EXPECT_EQ(ball->angle, 270);
  paddle->x = 0;
  paddle->Widen();
  MoveFrom(300, 584, 90);
  EXPECT_EQ(ball->y, 589);
  EXPECT_TRUE(paddle->widened);

  // Lost: back at the start, heading up five pixels a frame.
  MoveFrom(300, 585, 90);
  EXPECT_EQ(ball->x * 1000 + ball->y, 400495);
  EXPECT_EQ(ball->angle, 270);
  EXPECT_FALSE(paddle->widened);
  EXPECT_EQ(paddle->width, 80);
}

TEST_F(BallTest, PaddleBounceRangesOverNarrowAndWidePaddles) {
  // The narrow paddle's ends are in the step table above.
  EXPECT_EQ(BounceOff(300, true, 285), -146);
  EXPECT_EQ(BounceOff(300, true, 420), -35);
  // One pixel further out on either side the rectangles no longer touch.
  EXPECT_EQ(BounceOff(300, false, 284), 90);
  EXPECT_EQ(BounceOff(300, false, 381), 90);
  // The band: the ball's bottom from the paddle's top to 6 rows below it.
  paddle->Narrow();
  paddle->x = 300;
  MoveFrom(333, 530 - 15 + 6, 90);
  EXPECT_EQ(ball->angle, -90);
  MoveFrom(333, 530 - 15 + 7, 90);
  EXPECT_EQ(ball->angle, 90);
  MoveFrom(333, 530 - 15 - 1, 90);
  EXPECT_EQ(ball->angle, 90);
}

TEST_F(BallTest, SideAndTopEdgesReflect) {
  MoveFrom(785, 300, 0);  // right edge tested on the ball's left edge
  EXPECT_EQ(ball->angle, 180);
  MoveFrom(784, 300, 0);
  EXPECT_EQ(ball->angle, 0);
  MoveFrom(0, 300, 180);
  EXPECT_EQ(ball->angle, 0);
  MoveFrom(400, 0, 270);
  EXPECT_EQ(ball->angle, 90);  // -270, brought back by the range step
  EXPECT_EQ(ball->dy, 5);
}

// Row 5 of column c: x 50c, y 125. Its bands: cx in [x, x+5] or [x+45, x+50]; cy in
// [125, 130] or [150, 155].
TEST_F(BallTest, BrickCollisions) {
  const struct {
    const char* what;
    const char *row4, *row5;
    int centreX, centreY;
    double angle, after;  // `after` 1000: not checked
    int dx, dy;
    int hits;         // moves made from the same place
    bool knockedOut;  // the brick at row 5, column 7 is knocked out first
  } cases[] = {
      // In the upper brick's bottom band and the lower brick's top band, heading down: the upper
      // brick does not reflect, the lower one turns it to -90. Taken the other way round the
      // upper brick would turn it back down.
      {"overlap rows, upper first", "0000000100000000", "0000000100000000", 375, 127, 90, -90, 0,
       -5, 1, false},
      {"shared vertical edge, left first", kEmptyRow, "0000001100000000", 350, 140, 0, 180, -5, 0,
       1, false},
      {"bottom-left corner", kEmptyRow, "0000000100000000", 352, 153, 300, 120, -3, 5, 1, false},
      {"inside both bands: no bounce", kEmptyRow, "0000000100000000", 356, 131, 300, 300, 3, -5, 1,
       false},
      {"unbreakable, bottom band", kEmptyRow, "0000000200000000", 375, 153, 270, 1000, 0, 5, 5,
       false},
      {"knocked out", kEmptyRow, "0000000100000000", 375, 153, 270, 270, 0, -5, 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LoadLevel({kEmptyRow, kEmptyRow, kEmptyRow, kEmptyRow, c.row4, c.row5});
    if (c.knockedOut) wall->cells[5][7]->alive = false;
    for (int hit = 0; hit < c.hits; ++hit) {
      MoveFrom(c.centreX - 7, c.centreY - 7, c.angle);
      if (c.after != 1000) {
        EXPECT_EQ(ball->angle, c.after);
      }
      EXPECT_EQ(ball->dx, c.dx);
      EXPECT_EQ(ball->dy, c.dy);
    }
    // Every brick the ball met is knocked out, unless it is unbreakable; those release nothing.
    for (int row : {4, 5}) {
      for (int column : {6, 7}) {
        const Brick* brick = wall->cells[row][column];
        if (brick == nullptr || c.knockedOut) continue;
        EXPECT_EQ(brick->alive, brick->kind == 1) << row << "," << column;
        EXPECT_EQ(brick->capsule, nullptr);
      }
    }
  }
}

}  // namespace

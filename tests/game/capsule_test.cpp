// Capsules: catching, widening, the mouse limit that follows the paddle's width, and falling out.
#include <memory>

#include "app.h"
#include "ball.h"
#include "brick.h"
#include "brickwall.h"
#include "capsule.h"
#include "game_fixture.h"
#include "paddle.h"

namespace {

class CapsuleTest : public GameObjects {
 protected:
  // A capsule from the capsule brick at the top left, put where it lands on the paddle's top at
  // `x` in the next frame; runs that frame.
  void CatchCapsuleAt(int x) {
    LoadLevel({"3000000000000000"});
    Brick* brick = wall->cells[0][0];
    brick->Hit();
    ASSERT_NE(brick->capsule, nullptr);
    brick->capsule->x = x;
    brick->capsule->y = 498;
    RunFrame();
    EXPECT_EQ(brick->capsule, nullptr);
    EXPECT_TRUE(paddle->widened);
  }
};

// Brightness of a presented pixel: the paddle is light, the background where it runs dark.
int Brightness(int x, int y) {
  uint32_t p = qvhost::LastFrame().At(x, y);
  return static_cast<int>((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF));
}

// Moves the paddle (through the mouse) to `x` with one frame.
void PaddleTo(int x) {
  qvhost::MouseMotion(x - paddle->x, 0);
  RunFrame();
}

bool CaughtAt(int capsuleX, int capsuleTopAfterFall) {
  paddle->Narrow();
  paddle->x = 300;
  Capsule capsule(capsuleX, capsuleTopAfterFall - 2, 2);
  bool removed = capsule.Update(paddle);
  EXPECT_EQ(removed, paddle->widened);
  return paddle->widened;
}

TEST_F(CapsuleTest, IsCaughtWhenItsRectangleTouchesThePaddle) {
  // Paddle 300..380 by 530..545; capsule 30 x 30.
  EXPECT_TRUE(CaughtAt(270, 500));   // bottom on the paddle's top, right edge on its left edge
  EXPECT_TRUE(CaughtAt(380, 545));   // top on the paddle's bottom, left edge on its right edge
  EXPECT_FALSE(CaughtAt(270, 499));  // one row above
  EXPECT_FALSE(CaughtAt(269, 500));  // one column to the left
  EXPECT_FALSE(CaughtAt(381, 520));
  EXPECT_FALSE(CaughtAt(300, 546));
}

TEST_F(CapsuleTest, CaughtCapsuleWidensThePaddleInThatFrameAndTheLimitNextFrame) {
  PaddleTo(300);
  ASSERT_EQ(paddle->x, 300);
  EXPECT_LT(Brightness(395, 537), 200);  // right of the narrow paddle: background
  CatchCapsuleAt(300);
  EXPECT_EQ(paddle->width, 120);
  EXPECT_GT(Brightness(395, 537), 300);  // the wide paddle is drawn in the frame of the catch

  PaddleTo(1000);
  EXPECT_EQ(paddle->x, 679);
}

TEST_F(CapsuleTest, CatchAtTheRightEdgeHoldsThePaddleInsideFromTheNextFrame) {
  PaddleTo(1000);
  ASSERT_EQ(paddle->x, 719);
  CatchCapsuleAt(719);
  EXPECT_EQ(paddle->x, 719);  // the limit of this frame was set for the narrow paddle
  // 719 + 120 runs past the screen: the paddle is not drawn in this frame.
  EXPECT_LT(Brightness(760, 537), 200);

  RunFrame();
  EXPECT_EQ(paddle->x, 679);
  EXPECT_GT(Brightness(760, 537), 300);
}

TEST_F(CapsuleTest, LostBallNarrowsThePaddleAndTheLimitReturnsTo720) {
  paddle->Widen();
  PaddleTo(1000);
  ASSERT_EQ(paddle->x, 679);
  ball->x = 100;
  ball->y = 585;
  RunFrame();
  EXPECT_FALSE(paddle->widened);
  EXPECT_EQ(paddle->width, 80);
  PaddleTo(1000);
  EXPECT_EQ(paddle->x, 719);
}

TEST_F(CapsuleTest, UncaughtCapsuleFromTheTopRowIsRemovedInThe300thFrame) {
  LoadLevel({"0000000000000003"});
  Brick* brick = wall->cells[0][15];
  paddle->x = 0;
  brick->Hit();
  EXPECT_FALSE(brick->alive);
  ASSERT_NE(brick->capsule, nullptr);
  EXPECT_EQ(brick->capsule->x, 750);
  EXPECT_EQ(brick->capsule->y, 0);
  for (int frame = 1; frame < 300; ++frame) {
    brick->Draw(paddle);
    ASSERT_NE(brick->capsule, nullptr) << "frame " << frame;
    EXPECT_EQ(brick->capsule->y, 2 * frame);
  }
  brick->Draw(paddle);
  EXPECT_EQ(brick->capsule, nullptr);
  EXPECT_FALSE(paddle->widened);
}

TEST_F(CapsuleTest, OnlyCapsuleBricksReleaseCapsules) {
  LoadLevel({"1230000000000000"});
  wall->cells[0][0]->Hit();
  wall->cells[0][1]->Hit();
  EXPECT_FALSE(wall->cells[0][0]->alive);
  EXPECT_EQ(wall->cells[0][0]->capsule, nullptr);
  EXPECT_TRUE(wall->cells[0][1]->alive);
  EXPECT_EQ(wall->cells[0][1]->capsule, nullptr);

  // A second hit on a capsule brick starts a new capsule at the brick; the old one is freed.
  Brick* brick = wall->cells[0][2];
  brick->Hit();
  brick->capsule->y = 200;
  brick->Hit();
  ASSERT_NE(brick->capsule, nullptr);
  EXPECT_EQ(brick->capsule->y, 0);
  EXPECT_EQ(brick->capsule->kind, 2);
}

}  // namespace

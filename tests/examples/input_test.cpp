#include <gtest/gtest.h>

#include <dinput.h>

#include "example_run.h"

// The mouse moves right and down with its left button held, Right and Up go down: the pointer,
// the box and four lamps move or light, and the last key's name shows.
TEST(ExampleTest, InputFollowsMouseAndKeys) {
  const ExampleRun run = RunExample("input", 40, 30, [](int frame) {
    if (frame < 20) qvhost::MouseMotion(5, 3);
    if (frame == 5) qvhost::MouseButton(0, true);
    if (frame == 10) qvhost::Key(DIK_RIGHT, true);
    if (frame == 12) qvhost::Key(DIK_UP, true);
  });
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_GT(run.hashes.size(), 30u);
  EXPECT_EQ(run.hashes[30], 9944720543741411534ull);
}

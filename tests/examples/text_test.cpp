#include <gtest/gtest.h>

#include "example_run.h"

TEST(ExampleTest, TextDrawsItsFrames) {
  const ExampleRun run = RunExample("text", 40, 30);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_GT(run.hashes.size(), 30u);
  EXPECT_EQ(run.hashes[30], 4267593218449152822ull);
}

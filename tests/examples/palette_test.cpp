#include <gtest/gtest.h>

#include "example_run.h"

TEST(ExampleTest, PaletteDrawsItsFrames) {
  const ExampleRun run = RunExample("palette", 50, 40);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_GT(run.hashes.size(), 40u);
  EXPECT_EQ(run.hashes[40], 2508830438053370868ull);
}

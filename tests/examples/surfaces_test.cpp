#include <gtest/gtest.h>

#include "example_run.h"

TEST(ExampleTest, SurfacesDrawsItsFrames) {
  const ExampleRun run = RunExample("surfaces", 40, 30);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_GT(run.hashes.size(), 30u);
  EXPECT_EQ(run.hashes[30], 14534023777981933564ull);
}

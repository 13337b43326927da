// The emulated display's 60 Hz schedule, which every backend follows, on the test host's manual
// clock: where refreshes fall, the blank, and how flips catch up after stalls.
#include "core/frame_schedule.h"

#include <gtest/gtest.h>

#include "host.h"

namespace {

class FrameScheduleTest : public ::testing::Test {
 protected:
  void TearDown() override { qvhost::Reset(); }
  // From `start`: each step stalls `late` ms, then makes `flips` waited flips, after which the
  // clock reads `at`.
  struct Step {
    uint32_t late;
    int flips;
    uint32_t at;
  };
  void Expect(uint32_t start, std::initializer_list<Step> steps) {
    qvhost::UseManualClock(start);
    for (const Step& step : steps) {
      qvhost::AdvanceClock(step.late);
      for (int i = 0; i < step.flips; ++i) schedule.WaitOnPlatformClock();
      EXPECT_EQ(qvhost::Now(), step.at) << "after " << step.late << " ms late";
    }
  }
  plat::FrameSchedule schedule;
};

TEST_F(FrameScheduleTest, RefreshesFallOnWholeMillisecondsSixtyToTheSecond) {
  qvhost::UseManualClock(0);
  // Polled before any waited flip, the blank follows the clock.
  EXPECT_TRUE(schedule.InBlankOnPlatformClock());
  qvhost::AdvanceClock(5);
  EXPECT_FALSE(schedule.InBlankOnPlatformClock());
  qvhost::AdvanceClock(12);
  EXPECT_TRUE(schedule.InBlankOnPlatformClock());  // 17 ms: just after the first refresh

  Expect(1000, {{0, 1, 1017}, {0, 1, 1034}, {0, 1, 1050}, {0, 57, 2000}});
  EXPECT_TRUE(schedule.InBlankOnPlatformClock());
  qvhost::AdvanceClock(5);
  EXPECT_FALSE(schedule.InBlankOnPlatformClock());
}

// Refreshes are planned at 1017, 1033.3, 1050, 1066.7, ... Missed ones are flipped at once and
// the ticks keep their place, for three periods late as for a 200 ms stall of a loaded machine;
// more than 250 ms late, the next refresh is one period from now.
TEST_F(FrameScheduleTest, ShortStallsAreCaughtUpAndLongOnesStartTheTicksAgain) {
  Expect(1000, {{0, 1, 1017},
                {66, 3, 1083},
                {0, 1, 1084},
                {200, 12, 1284},
                {0, 1, 1300},
                {300, 1, 1617},
                {0, 1, 1634}});
}

TEST_F(FrameScheduleTest, TheTicksGoOnAcrossTheClocksWrap) {
  Expect(0xFFFFFFF0u, {{0, 1, 1}, {0, 1, 18}});
}

}  // namespace

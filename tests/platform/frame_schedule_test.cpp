// The emulated display's 60 Hz schedule, which every backend follows, on the test host's manual
// clock: where refreshes fall, the blank, and how flips catch up after stalls.
#include "core/frame_schedule.h"

#include <gtest/gtest.h>

#include "host.h"

namespace {

class FrameScheduleTest : public ::testing::Test {
 protected:
  void TearDown() override { qvhost::Reset(); }
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

  qvhost::UseManualClock(1000);
  const uint32_t expected[] = {1017, 1034, 1050};
  for (uint32_t at : expected) {
    schedule.WaitOnPlatformClock();
    EXPECT_EQ(qvhost::Now(), at);
  }
  for (int i = 3; i < 60; ++i) schedule.WaitOnPlatformClock();
  EXPECT_EQ(qvhost::Now(), 2000u);
  EXPECT_TRUE(schedule.InBlankOnPlatformClock());
  qvhost::AdvanceClock(5);
  EXPECT_FALSE(schedule.InBlankOnPlatformClock());
}

TEST_F(FrameScheduleTest, ShortStallsAreCaughtUpAndLongOnesStartTheTicksAgain) {
  qvhost::UseManualClock(1000);
  schedule.WaitOnPlatformClock();  // 1017, refreshes planned at 1033.3, 1050, 1066.7, ...
  // Three periods late: the missed refreshes are flipped at once, then the ticks keep their
  // place.
  qvhost::AdvanceClock(66);
  for (int i = 0; i < 3; ++i) schedule.WaitOnPlatformClock();
  EXPECT_EQ(qvhost::Now(), 1083u);
  schedule.WaitOnPlatformClock();
  EXPECT_EQ(qvhost::Now(), 1084u);
  // 200 ms late, as a loaded machine may stall: the twelve missed refreshes are caught up too.
  qvhost::AdvanceClock(200);
  for (int i = 0; i < 12; ++i) schedule.WaitOnPlatformClock();
  EXPECT_EQ(qvhost::Now(), 1284u);
  schedule.WaitOnPlatformClock();
  EXPECT_EQ(qvhost::Now(), 1300u);
  // More than 250 ms late: one period from now.
  qvhost::AdvanceClock(300);
  schedule.WaitOnPlatformClock();
  EXPECT_EQ(qvhost::Now(), 1617u);
  schedule.WaitOnPlatformClock();
  EXPECT_EQ(qvhost::Now(), 1634u);
}

TEST_F(FrameScheduleTest, TheTicksGoOnAcrossTheClocksWrap) {
  qvhost::UseManualClock(0xFFFFFFF0u);
  schedule.WaitOnPlatformClock();
  EXPECT_EQ(qvhost::Now(), 1u);
  schedule.WaitOnPlatformClock();
  EXPECT_EQ(qvhost::Now(), 18u);
}

}  // namespace

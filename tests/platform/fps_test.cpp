// Frame timer tests on a scripted clock: sleeping advances the script instead of time.
#include <gtest/gtest.h>

#include <vector>

#include "platform/fps.h"

namespace {

uint32_t gMillis = 0;
std::vector<uint32_t> gSleeps;

uint32_t ScriptedClock() { return gMillis; }
void ScriptedSleep(uint32_t ms) {
  gSleeps.push_back(ms);
  gMillis += ms;
}

class FrameTimer : public ::testing::Test {
 protected:
  void SetUp() override {
    FPS = {};
    FPS.target = 50;
    FPSClock = ScriptedClock;
    FPSSleep = ScriptedSleep;
    gMillis = 10000;
    gSleeps.clear();
  }
  void TearDown() override {
    FPS = {};
    FPSClock = kDefaultClock;
    FPSSleep = kDefaultSleep;
  }
  // One frame: `renderMs` of drawing, then tick and wait as the frame loops do.
  static int32_t Frame(uint32_t renderMs) {
    gMillis += renderMs;
    int32_t rate = FPSTick();
    FPSWait();
    return rate;
  }
  static uint32_t (*const kDefaultClock)();
  static void (*const kDefaultSleep)(uint32_t);
};

uint32_t (*const FrameTimer::kDefaultClock)() = FPSClock;
void (*const FrameTimer::kDefaultSleep)(uint32_t) = FPSSleep;

TEST_F(FrameTimer, FirstTickClosesTheWindowAndDoesNotSleep) {
  EXPECT_EQ(Frame(0), 0);
  EXPECT_EQ(FPS.period, 20000);
  EXPECT_EQ(FPS.delta, 10000000);
  EXPECT_EQ(FPS.now, 10000000);
  EXPECT_EQ(FPS.last, 10000000);
  EXPECT_EQ(FPS.accumulator, 0);
  EXPECT_EQ(FPS.frames, 1);
  EXPECT_EQ(FPS.slack, 0);
  EXPECT_TRUE(gSleeps.empty());

  // Started within the clock's first second, the first window stays open.
  SetUp();
  gMillis = 300;
  FPSTick();
  EXPECT_EQ(FPS.accumulator, 300000);
  EXPECT_EQ(FPS.frames, 1);
}

TEST_F(FrameTimer, SlackSettlesAtThePeriodLeft) {
  Frame(0);
  for (int i = 0; i < 10; ++i) Frame(5);
  EXPECT_EQ(FPS.slack, 15000);
  ASSERT_EQ(gSleeps.size(), 10u);
  for (uint32_t ms : gSleeps) EXPECT_EQ(ms, 15u);

  // A frame 8 ms over the period (13 ms of drawing after the 15 ms sleep) draws the budget
  // down rather than emptying it.
  Frame(13);
  EXPECT_EQ(FPS.delta, 28000);
  EXPECT_EQ(FPS.slack, 7000);
  EXPECT_EQ(gSleeps.back(), 7u);
}

TEST_F(FrameTimer, SlowFramesNeverSleep) {
  for (int i = 0; i < 20; ++i) Frame(30);
  EXPECT_EQ(FPS.slack, 0);
  EXPECT_TRUE(gSleeps.empty());
}

TEST_F(FrameTimer, SubMillisecondSlackStaysForLater) {
  FPS.target = 60;  // 16666 us
  Frame(0);
  Frame(16);  // 666 us left: Delay(0), the remainder kept
  EXPECT_EQ(FPS.slack, 666);
  EXPECT_EQ(gSleeps.back(), 0u);
  Frame(16);
  EXPECT_EQ(FPS.slack, 1332);
  EXPECT_EQ(gSleeps.back(), 1u);
  Frame(16);  // the millisecond slept comes out of the next delta
  EXPECT_EQ(FPS.delta, 17000);
  EXPECT_EQ(FPS.slack, 998);
}

TEST_F(FrameTimer, TargetAtOrBelowZeroBecomesOne) {
  for (int32_t target : {0, -5, INT32_MIN}) {
    FPS.target = target;
    FPSTick();
    EXPECT_EQ(FPS.target, 1);
    EXPECT_EQ(FPS.period, 1000000);
  }
}

TEST_F(FrameTimer, RateChangesOnlyOnTheClosingTick) {
  EXPECT_EQ(Frame(0), 0);  // closes the window opened at the clock's start
  // 20 ms apart, sleep included: 50 ticks fill the next second.
  for (int i = 1; i < 50; ++i) ASSERT_EQ(Frame(20), 0) << i;
  EXPECT_EQ(FPS.accumulator, 980000);
  EXPECT_EQ(Frame(20), 50);
  EXPECT_EQ(FPS.rate, 50);
  EXPECT_EQ(FPS.frames, 1);
  for (int i = 1; i < 25; ++i) ASSERT_EQ(Frame(40), 50) << i;
  EXPECT_EQ(Frame(40), 25);

  // The part of a long frame beyond the second is dropped, not carried over.
  Frame(1700);
  EXPECT_EQ(FPS.accumulator, 0);
  EXPECT_EQ(FPS.frames, 1);
}

TEST_F(FrameTimer, MicrosecondWrapDoesNotDisturbDeltas) {
  // Running at 5 ms of drawing per frame, 40 ms before the microsecond reading wraps
  // (2^32 us is 4294967.296 ms).
  gMillis = 4294927;
  FPS.last = int32_t(uint32_t(gMillis + 5 - 20) * 1000u);
  FPS.slack = 15000;
  bool wrapped = false;
  for (int i = 0; i < 10; ++i) {
    Frame(5);
    EXPECT_EQ(FPS.delta, 20000) << i;
    EXPECT_EQ(FPS.slack, 15000) << i;
    wrapped = wrapped || uint32_t(FPS.now) < 1000000u;
  }
  EXPECT_TRUE(wrapped);
  for (uint32_t ms : gSleeps) EXPECT_EQ(ms, 15u);

  // The millisecond counter itself wrapping (after 49.7 days) reads the same way.
  SetUp();
  gMillis = 0xFFFFFFFFu - 2;
  FPS.last = int32_t(uint32_t(gMillis - 20) * 1000u);
  Frame(0);
  EXPECT_EQ(FPS.delta, 20000);
  Frame(5);
  EXPECT_EQ(FPS.now, 2000);
  EXPECT_EQ(FPS.delta, 5000);
}

TEST_F(FrameTimer, BackwardClockOnlyAddsSlack) {
  Frame(0);
  gMillis -= 10;  // a clock that ran back by 10 ms
  FPSTick();
  EXPECT_EQ(FPS.delta, -10000);
  FPSWait();
  EXPECT_EQ(FPS.slack, 30000);
  EXPECT_EQ(gSleeps.back(), 30u);
}

}  // namespace

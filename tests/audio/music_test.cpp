// MUSIC: the built-in clips, event timing, placement on the grid, the 3/4 fade and the
// record's edges. Events are predicted by replaying the program's generator from its state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "audio/music.h"
#include "base/random.h"

namespace {

constexpr int32_t kLoop = 40000;

struct Expected {
  int32_t length, least, greatest;
};
constexpr Expected kClips[8] = {{2246, -8492, 14491}, {2262, -12466, 10500}, {4466, -27166, 27682},
                                {4608, -32738, 32695}, {12952, -18688, 18632}, {3238, -15332, 14959},
                                {4472, -9699, 7545},   {4334, -12190, 8847}};

struct Draw {
  int32_t index, offset;
};

// The clip and grid position the next event will choose, without using up the draws.
Draw PredictEvent(int32_t clips, int32_t length = kLoop) {
  const uint32_t saved = DemoRandomState;
  Draw d{DemoRandom() % clips, 0};
  for (int shift = 1; shift <= 4; ++shift) d.offset += (DemoRandom() % 2) * (length >> shift);
  DemoRandomState = saved;
  return d;
}

// The first seed whose first event picks `index` at `offset` (offset -1: any).
uint32_t SeedFor(int32_t clips, int32_t index, int32_t offset) {
  for (uint32_t seed = 1;; ++seed) {
    DemoSeedRandom(seed);
    const Draw d = PredictEvent(clips);
    if (d.index == index && (offset < 0 || d.offset == offset)) return seed;
  }
}

SAMPLE* MakeClip(const std::vector<int32_t>& values) {
  SAMPLE* s = SAMPLENew();
  SAMPLEResize(s, static_cast<int32_t>(values.size()));
  std::copy(values.begin(), values.end(), s->items);
  return s;
}

std::vector<int32_t> Loop(const MUSIC* m) { return {m->output->items, m->output->items + m->output->length}; }

MUSIC* MusicWithBuiltInClips() {
  MUSIC* m = MUSICNew();
  for (int32_t i = 0; i < MUSICClipTable.count; ++i) MUSICAddSAMPLE(m, &MUSICClipTable.clip[i]);
  return m;
}

TEST(Music, ClipTableHasTheListedClipsEndingAtRest) {
  ASSERT_EQ(MUSICClipTable.count, 8);
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    const SAMPLE& c = MUSICClipTable.clip[i];
    ASSERT_NE(c.items, nullptr);
    EXPECT_EQ(c.length, kClips[i].length);
    EXPECT_EQ(c.capacity, kClips[i].length);
    const auto [lo, hi] = std::minmax_element(c.items, c.items + c.length);
    EXPECT_EQ(*lo, kClips[i].least);
    EXPECT_EQ(*hi, kClips[i].greatest);
    for (int32_t j = c.length - 64; j < c.length; ++j) EXPECT_LE(std::abs(c.items[j]), 64) << j;
    EXPECT_LE(std::abs(c.items[0]), 64);  // no click where the clip lands
  }
}

TEST(Music, NewRecordAndTheObjectConvention) {
  MUSIC* m = MUSICNew();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->countdown, 0);
  EXPECT_EQ(m->period, 300);
  ASSERT_NE(m->output, nullptr);
  EXPECT_EQ(m->output->length, kLoop);
  EXPECT_TRUE(std::all_of(m->output->items, m->output->items + kLoop, [](int32_t v) { return v == 0; }));
  ASSERT_NE(m->instruments, nullptr);
  EXPECT_EQ(m->instruments->count, 0);

  MUSICAddSAMPLE(m, nullptr);
  MUSICAddSAMPLE(nullptr, &MUSICClipTable.clip[0]);
  EXPECT_EQ(m->instruments->count, 0);
  MUSICAddSAMPLE(m, &MUSICClipTable.clip[3]);
  EXPECT_EQ(m->instruments->count, 1);

  EXPECT_FALSE(MUSICEqual(m, m));
  EXPECT_EQ(MUSICToASCII(m), nullptr);
  EXPECT_EQ(MUSICFromASCII("MUSIC"), nullptr);
  EXPECT_EQ(MUSICCopy(m), nullptr);
  MUSICStep(nullptr);

  // The list may hold built-in (static) clips and made ones; Free releases only the latter
  // (the sanitizer build catches a leak or a bad free).
  MUSICAddSAMPLE(m, MakeClip({1, 2, 3}));
  MUSICFree(&m);
  EXPECT_EQ(m, nullptr);
  MUSICFree(&m);
  MUSICFree(nullptr);

  testing::internal::CaptureStdout();
  MUSICError();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  MUSICReport = 1;
  testing::internal::CaptureStdout();
  MUSICError();
  MUSICReport = 0;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "MUSIC ERROR\n");
}

TEST(Music, EventsOnCallsOneThreeHundredOneAndSixHundredOne) {
  MUSIC* m = MusicWithBuiltInClips();
  DemoSeedRandom(DemoRandomSeedValue);
  std::vector<int> events;
  for (int call = 1; call <= 700; ++call) {
    const uint32_t before = DemoRandomState;
    const std::vector<int32_t> loop = Loop(m);
    MUSICStep(m);
    const bool drew = DemoRandomState != before;
    if (drew) {
      events.push_back(call);
      // Five draws per event: the clip, then four position bits.
      uint32_t replay = before;
      for (int i = 0; i < 5; ++i) replay = replay * 214013u + 2531011u;
      EXPECT_EQ(DemoRandomState, replay) << call;
    } else {
      EXPECT_EQ(Loop(m), loop) << call;
    }
  }
  EXPECT_EQ(events, (std::vector<int>{1, 301, 601}));
  EXPECT_EQ(m->countdown, 300 - 99);
  MUSICFree(&m);
}

TEST(Music, FirstEventPlacesTheClipAtAQuarterLevel) {
  MUSIC* m = MusicWithBuiltInClips();
  DemoSeedRandom(SeedFor(8, 0, -1));
  const Draw d = PredictEvent(8);
  MUSICStep(m);
  const SAMPLE& clip = MUSICClipTable.clip[0];
  const std::vector<int32_t> loop = Loop(m);
  for (int32_t i = 0; i < kLoop; ++i) {
    const int32_t j = (i - d.offset + kLoop) % kLoop;
    ASSERT_EQ(loop[i], j < clip.length ? clip.items[j] >> 2 : 0) << i;
  }
  EXPECT_EQ(*std::max_element(loop.begin(), loop.end()), 3622);  // 14491 >> 2
  EXPECT_EQ(*std::min_element(loop.begin(), loop.end()), -2123); // -8492 >> 2, rounded down
  MUSICFree(&m);
}

TEST(Music, ClipRunningPastTheEndWrapsToTheStart) {
  MUSIC* m = MUSICNew();
  MUSICAddSAMPLE(m, &MUSICClipTable.clip[4]);
  DemoSeedRandom(SeedFor(1, 0, 37500));
  MUSICStep(m);
  const SAMPLE& clip = MUSICClipTable.clip[4];
  const std::vector<int32_t> loop = Loop(m);
  for (int32_t j = 0; j < 2500; ++j) ASSERT_EQ(loop[37500 + j], clip.items[j] >> 2) << j;
  for (int32_t j = 2500; j < 12952; ++j) ASSERT_EQ(loop[j - 2500], clip.items[j] >> 2) << j;
  EXPECT_TRUE(std::all_of(loop.begin() + 10452, loop.begin() + 37500, [](int32_t v) { return v == 0; }));
  MUSICFree(&m);
}

// With a one-element clip each event leaves exactly one mark beside the faded old loop.
TEST(Music, EveryEventFadesTheLoopAndLandsOnTheSixteenStepGrid) {
  MUSIC* m = MUSICNew();
  MUSICAddSAMPLE(m, MakeClip({-20001}));
  m->period = 1;
  DemoSeedRandom(DemoRandomSeedValue);
  std::set<int32_t> positions;
  for (int event = 0; event < 300; ++event) {
    const std::vector<int32_t> old = Loop(m);
    MUSICStep(m);
    const std::vector<int32_t> now = Loop(m);
    std::vector<int32_t> marks;
    for (int32_t i = 0; i < kLoop; ++i) {
      const int32_t faded = (3 * old[i]) >> 2;
      if (now[i] != faded) {
        marks.push_back(i);
        EXPECT_EQ(now[i], (3 * old[i] - 20001) >> 2) << event << " at " << i;
      }
    }
    ASSERT_EQ(marks.size(), 1u) << event;
    EXPECT_EQ(marks[0] % 2500, 0) << event;
    positions.insert(marks[0]);
  }
  EXPECT_EQ(positions.size(), 16u);
  EXPECT_EQ(*positions.rbegin(), 37500);
  MUSICFree(&m);
}

TEST(Music, FadeRoundsTowardMinusInfinity) {
  MUSIC* m = MUSICNew();
  MUSICAddSAMPLE(m, MakeClip({-5, -3, -1, 1, 3, 5, -32768, 32767}));
  DemoSeedRandom(SeedFor(1, 0, 0));
  MUSICStep(m);
  EXPECT_EQ(std::vector<int32_t>(m->output->items, m->output->items + 9),
            (std::vector<int32_t>{-2, -1, -1, 0, 0, 1, -8192, 8191, 0}));
  // A second event at the same place: (3 * old + clip) >> 2.
  DemoSeedRandom(SeedFor(1, 0, 0));
  m->countdown = 1;
  MUSICStep(m);
  EXPECT_EQ(std::vector<int32_t>(m->output->items, m->output->items + 9),
            (std::vector<int32_t>{-3, -2, -1, 0, 0, 2, -14336, 14335, 0}));
  MUSICFree(&m);
}

TEST(Music, WithoutClipsTheLoopStaysSilentAndNothingIsDrawn) {
  MUSIC* m = MUSICNew();
  m->period = 1;
  DemoSeedRandom(DemoRandomSeedValue);
  for (int i = 0; i < 5; ++i) MUSICStep(m);
  EXPECT_EQ(DemoRandomState, DemoRandomSeedValue);
  EXPECT_TRUE(std::all_of(m->output->items, m->output->items + kLoop, [](int32_t v) { return v == 0; }));
  MUSICFree(&m);
}

TEST(Music, LoopStaysWithinSixteenBitsAndFollowsItsLength) {
  MUSIC* m = MusicWithBuiltInClips();
  MUSICAddSAMPLE(m, MakeClip(std::vector<int32_t>(kLoop, 32767)));
  MUSICAddSAMPLE(m, MakeClip(std::vector<int32_t>(kLoop, -32768)));
  m->period = 1;
  DemoSeedRandom(DemoRandomSeedValue);
  int32_t lo = 0, hi = 0;
  for (int event = 0; event < 400; ++event) {
    MUSICStep(m);
    const auto [a, b] = std::minmax_element(m->output->items, m->output->items + kLoop);
    lo = std::min(lo, *a);
    hi = std::max(hi, *b);
  }
  EXPECT_GE(lo, -32768);
  EXPECT_LE(hi, 32767);
  EXPECT_LT(lo, -16384);  // the full-scale clips were really mixed in
  EXPECT_GT(hi, 16384);

  // A second sequencer with a shorter loop: the shared working buffer follows its length
  // and the grid is sixteenths of that loop.
  MUSIC* small = MUSICNew();
  SAMPLEResize(small->output, 1600);
  MUSICAddSAMPLE(small, MakeClip({400, 800}));
  DemoSeedRandom(SeedFor(1, 0, 37500));
  const Draw d = PredictEvent(1, 1600);
  EXPECT_EQ(d.offset, 1500);
  MUSICStep(small);
  std::vector<int32_t> expected(1600, 0);
  expected[1500] = 100;
  expected[1501] = 200;
  EXPECT_EQ(Loop(small), expected);
  MUSICFree(&small);
  MUSICFree(&m);
}

}  // namespace

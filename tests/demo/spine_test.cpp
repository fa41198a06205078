// The program-wide sine table and random generator that every scene and the rotations share.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "base/random.h"
#include "base/sine.h"

namespace {

TEST(SineTable, RoundedSinesExceptTheTenFixedEntries) {
  const std::map<int, int> fixed = {{129, 23312},  {383, 23312},  {183, 29535},  {329, 29535},
                                    {256, 32766},  {641, -23312}, {695, -29535}, {768, -32766},
                                    {841, -29535}, {895, -23312}};
  EXPECT_EQ(SineTable.count, 1024);
  EXPECT_EQ(SineTable.mask, 1023);
  for (int i = 0; i < 1024; ++i) {
    const long rounded = std::lround(32767.0 * std::sin(2 * M_PI * i / 1024));
    auto f = fixed.find(i);
    if (f != fixed.end()) {
      EXPECT_EQ(SineTable.entry[i], f->second) << i;
      EXPECT_NE(SineTable.entry[i], rounded) << "entry " << i << " differs from the rounded sine";
    } else {
      EXPECT_EQ(SineTable.entry[i], rounded) << i;
    }
  }
  EXPECT_EQ(SineTable.entry[0], 0);
  EXPECT_EQ(SineTable.entry[1], 201);
  EXPECT_EQ(SineTable.entry[512], 0);
  EXPECT_EQ(Sine(1024 + 1), 201) << "phases wrap";
  EXPECT_EQ(Sine(-768), 32766) << "negative phases wrap too";
}

TEST(Random, FirstDrawsFromTheSeed) {
  DemoSeedRandom(DemoRandomSeedValue);
  EXPECT_EQ(DemoRandomSeedValue, 0xFACE5718u);
  for (int expected : {25637, 22122, 22763, 22766, 18436}) EXPECT_EQ(DemoRandom(), expected);
  DemoSeedRandom(0);
  EXPECT_EQ(DemoRandom(), 38) << "2531011 >> 16";
  for (int i = 0; i < 10000; ++i) {
    const int32_t r = DemoRandom();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
  }
}

}  // namespace

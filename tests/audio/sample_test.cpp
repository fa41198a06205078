// SAMPLE core: storage management, element access, whole-buffer arithmetic and rotations.
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <string>
#include <vector>

#include "audio/sample.h"

#include "support/k8test.h"

namespace {

SAMPLE* Make(std::initializer_list<int32_t> values) { return k8test::MakeSample(values); }

std::vector<int32_t> Elements(const SAMPLE* sample) {
  return std::vector<int32_t>(sample->items, sample->items + sample->length);
}

using V = std::vector<int32_t>;

TEST(Sample, NewReserveAndResizeManageStorage) {
  SAMPLE* sample = SAMPLENew();
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->length, 0);
  EXPECT_EQ(sample->capacity, 32);
  SAMPLEResize(sample, 40000);
  EXPECT_EQ(sample->capacity, 40000);
  EXPECT_EQ(sample->length, 40000);
  EXPECT_EQ(SAMPLEMin(sample), 0);
  EXPECT_EQ(SAMPLEMax(sample), 0);
  SAMPLEResize(sample, -1);
  EXPECT_EQ(sample->length, 40000);
  SAMPLEFree(&sample);
  EXPECT_EQ(sample, nullptr);

  sample = Make({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  SAMPLEResize(sample, 5);
  EXPECT_EQ(Elements(sample), V({1, 2, 3, 4, 5}));
  SAMPLEResize(sample, 10);  // the slots beyond the length kept their values
  EXPECT_EQ(Elements(sample), V({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  SAMPLEResize(sample, 5);
  SAMPLEReserve(sample, 3);
  EXPECT_EQ(sample->length, 3);
  EXPECT_EQ(sample->capacity, 3);
  SAMPLEReserve(sample, 0);
  EXPECT_EQ(sample->capacity, 3);
  SAMPLEReserve(sample, 3);  // reallocates even at the same size
  EXPECT_EQ(Elements(sample), V({1, 2, 3}));
  SAMPLEFree(&sample);
}

TEST(Sample, StoragelessSampleRefusesButCanBeGivenStorage) {
  SAMPLE bare{0, 0, nullptr};
  EXPECT_EQ(SAMPLEGet(&bare, 0), 0);
  SAMPLEClear(&bare);
  SAMPLERotateRight(&bare, 1);
  EXPECT_EQ(SAMPLECopy(&bare), nullptr);
  EXPECT_FALSE(SAMPLEEqual(&bare, &bare));
  SAMPLEResize(&bare, 4);
  ASSERT_NE(bare.items, nullptr);
  EXPECT_EQ(bare.capacity, 4);
  EXPECT_EQ(bare.length, 4);
  free(bare.items);
  SAMPLEFree(nullptr);
  SAMPLE* none = nullptr;
  SAMPLEFree(&none);
}

TEST(Sample, ElementAccessAndEquality) {
  SAMPLE* sample = Make({4, 5, 6});
  EXPECT_EQ(SAMPLEGet(sample, 2), 6);
  EXPECT_EQ(SAMPLEGet(sample, 3), 0);
  EXPECT_EQ(SAMPLEGet(sample, -1), 0);
  SAMPLESet(sample, 9, 0);
  SAMPLESet(sample, 9, 3);
  EXPECT_EQ(Elements(sample), V({9, 5, 6}));
  EXPECT_EQ(SAMPLEGet(nullptr, 0), 0);

  SAMPLE* copy = SAMPLECopy(sample);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy->items, sample->items);
  EXPECT_EQ(copy->capacity, 3);
  EXPECT_TRUE(SAMPLEEqual(sample, copy));
  copy->items[2] = 7;
  EXPECT_FALSE(SAMPLEEqual(sample, copy));
  copy->length = 2;
  EXPECT_FALSE(SAMPLEEqual(sample, copy));

  SAMPLE* empty = SAMPLENew();
  SAMPLE* other = SAMPLENew();
  EXPECT_TRUE(SAMPLEEqual(empty, other));
  SAMPLE* emptyCopy = SAMPLECopy(empty);
  EXPECT_EQ(emptyCopy->length, 0);
  EXPECT_EQ(emptyCopy->capacity, 32);
  EXPECT_FALSE(SAMPLEEqual(nullptr, empty));
  for (SAMPLE* s : {sample, copy, empty, other, emptyCopy}) SAMPLEFree(&s);
}

TEST(Sample, CopyRangeIsOverlapSafe) {
  SAMPLE* sample = Make({1, 2, 3, 4, 5, 0});
  SAMPLECopyRange(sample, sample, 5, 0, 1);
  EXPECT_EQ(Elements(sample), V({1, 1, 2, 3, 4, 5}));
  SAMPLECopyRange(sample, sample, 5, 1, 0);
  EXPECT_EQ(Elements(sample), V({1, 2, 3, 4, 5, 5}));
  SAMPLECopyRange(sample, sample, 2, 4, 5);  // past the end: refused
  SAMPLECopyRange(sample, sample, 2, -1, 0);
  SAMPLECopyRange(sample, sample, 0, 9, 9);  // nothing to copy
  SAMPLECopyRange(sample, sample, INT32_MAX, 1, 0);
  EXPECT_EQ(Elements(sample), V({1, 2, 3, 4, 5, 5}));
  SAMPLE* other = Make({7, 8});
  SAMPLECopyRange(other, sample, 2, 0, 4);
  EXPECT_EQ(Elements(sample), V({1, 2, 3, 4, 7, 8}));
  EXPECT_EQ(other->length, 2);
  SAMPLEFree(&sample);
  SAMPLEFree(&other);
}

TEST(Sample, ClearAddAndShiftsWorkElementwise) {
  SAMPLE* a = Make({1, 2, 3});
  SAMPLE* b = Make({10, 20, 30, 40, 50});
  SAMPLEAdd(b, a);
  EXPECT_EQ(Elements(b), V({11, 22, 33, 40, 50}));
  SAMPLEAdd(a, b);
  EXPECT_EQ(Elements(a), V({12, 24, 36}));
  SAMPLE* wrap = Make({INT32_MAX, INT32_MIN});
  SAMPLE* one = Make({1, -1});
  SAMPLEAdd(wrap, one);
  EXPECT_EQ(Elements(wrap), V({INT32_MIN, INT32_MAX}));

  SAMPLE* s = Make({-5, 5, 0x40000000, -1});
  SAMPLEShiftRight(s, 2);
  EXPECT_EQ(Elements(s), V({-2, 1, 0x10000000, -1}));
  SAMPLEShiftRight(s, 32);
  SAMPLEShiftRight(s, 33);
  EXPECT_EQ(Elements(s), V({-2, 1, 0x10000000, -1}));
  SAMPLEShiftLeft(s, 3);  // the top bits are lost
  EXPECT_EQ(Elements(s), V({-16, 8, INT32_MIN, -8}));
  SAMPLEShiftLeft(s, -1);  // -1 & 31 = 31
  EXPECT_EQ(Elements(s), V({0, 0, 0, 0}));
  SAMPLE* t = Make({3});
  SAMPLEShiftLeft(t, 33);
  EXPECT_EQ(t->items[0], 3);
  SAMPLEClear(b);
  EXPECT_EQ(Elements(b), V({0, 0, 0, 0, 0}));
  for (SAMPLE* x : {a, b, wrap, one, s, t}) SAMPLEFree(&x);
}

TEST(Sample, RotationsMoveElementsAroundTheRing) {
  SAMPLE* s = Make({1, 2, 3, 4, 5});
  for (int32_t k : {2, 7, -3}) {
    SAMPLERotateRight(s, k);
    EXPECT_EQ(Elements(s), V({4, 5, 1, 2, 3})) << "k=" << k;
    SAMPLERotateLeft(s, k);
    EXPECT_EQ(Elements(s), V({1, 2, 3, 4, 5})) << "k=" << k;
  }
  SAMPLERotateLeft(s, 2);
  EXPECT_EQ(Elements(s), V({3, 4, 5, 1, 2}));
  SAMPLERotateRight(s, INT32_MIN);  // INT32_MIN mod 5 = 2 the other way: right by 2
  EXPECT_EQ(Elements(s), V({1, 2, 3, 4, 5}));
  EXPECT_EQ(s->capacity, 32);  // the temporary's storage: max(32, length)
  SAMPLE* empty = SAMPLENew();
  int32_t* before = empty->items;
  SAMPLERotateRight(empty, 1);
  EXPECT_EQ(empty->items, before);
  SAMPLE* big = SAMPLENew();
  SAMPLEResize(big, 40000);
  for (int32_t i = 0; i < 40000; i++) big->items[i] = i;
  SAMPLERotateRight(big, 37500);
  EXPECT_EQ(big->items[37500], 0);
  EXPECT_EQ(big->items[0], 2500);
  EXPECT_EQ(big->items[39999], 2499);
  for (SAMPLE* x : {s, empty, big}) SAMPLEFree(&x);
}

TEST(Sample, ReporterPrintsOnlyWhenSwitchedOn) {
  testing::internal::CaptureStdout();
  SAMPLEGet(nullptr, 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  SAMPLEReport = 1;
  testing::internal::CaptureStdout();
  SAMPLEShiftLeft(nullptr, 1);
  const std::string text = testing::internal::GetCapturedStdout();
  SAMPLEReport = 0;
  EXPECT_EQ(text, "SAMPLE error\n");
}

}  // namespace

// ARRAY: growth, queue use, ranges, refusals and the reporter.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "audio/array.h"

namespace {

// An ARRAY holding the given values, built by pushes.
ARRAY* Make(std::initializer_list<intptr_t> values) {
  ARRAY* array = ARRAYNew();
  for (intptr_t v : values) ARRAYPush(array, v);
  return array;
}

std::string Elements(const ARRAY* array) {
  std::string text;
  for (int32_t i = 0; i < array->count; i++) text += std::to_string(array->items[i]) + " ";
  return text;
}

TEST(Array, GrowsByDoublingOnDemand) {
  ARRAY* array = ARRAYNew();
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->capacity, 2);
  EXPECT_EQ(array->count, 0);
  EXPECT_EQ(array->items[0], 0);
  EXPECT_EQ(array->items[1], 0);
  ARRAYPush(array, 1);
  ARRAYPush(array, 2);
  EXPECT_EQ(array->capacity, 2);
  ARRAYPush(array, 3);
  EXPECT_EQ(array->capacity, 4);
  ARRAYPush(array, 4);
  ARRAYPush(array, 5);
  EXPECT_EQ(array->capacity, 8);
  EXPECT_EQ(Elements(array), "1 2 3 4 5 ");
  EXPECT_EQ(array->items[5], 0);  // fresh slots are zero
  ARRAYFree(&array);
  EXPECT_EQ(array, nullptr);
}

TEST(Array, ServesAsFirstInFirstOutQueue) {
  ARRAY* array = Make({1, 2, 3});
  for (intptr_t expected : {1, 2, 3}) {
    EXPECT_EQ(ARRAYGet(array, 0), expected);
    ARRAYRemove(array, 0);
  }
  EXPECT_EQ(array->count, 0);
  EXPECT_EQ(array->items[0], 0);  // the vacated last slot is cleared each time
  EXPECT_EQ(ARRAYGet(array, 0), 0);
  ARRAYFree(&array);
}

TEST(Array, PopFindAndSetRespectBounds) {
  ARRAY* array = ARRAYNew();
  EXPECT_EQ(ARRAYPop(array), 0);
  EXPECT_EQ(array->count, 0);
  ARRAYPush(array, 7);
  ARRAYPush(array, 0);
  ARRAYPush(array, 7);
  EXPECT_EQ(ARRAYFind(array, 0), -1);  // 0 is the null reference, never searched for
  EXPECT_EQ(ARRAYFind(array, 7), 0);
  EXPECT_EQ(ARRAYFind(array, 8), -1);
  ARRAYSet(array, 9, 1);
  ARRAYSet(array, 5, 3);  // out of range: nothing happens
  EXPECT_EQ(Elements(array), "7 9 7 ");
  EXPECT_EQ(ARRAYPop(array), 7);
  EXPECT_EQ(array->count, 2);
  EXPECT_EQ(array->items[2], 7);  // a popped slot keeps its value
  EXPECT_EQ(ARRAYGet(array, -1), 0);
  ARRAYRemove(array, 2);
  EXPECT_EQ(array->count, 2);
  ARRAYFree(&array);
}

TEST(Array, EqualityIgnoresCapacity) {
  ARRAY* a = Make({1, 2});
  ARRAY* b = Make({1, 2, 3});
  EXPECT_TRUE(ARRAYEqual(nullptr, nullptr));
  EXPECT_FALSE(ARRAYEqual(a, nullptr));
  EXPECT_FALSE(ARRAYEqual(nullptr, a));
  EXPECT_TRUE(ARRAYEqual(a, a));
  EXPECT_FALSE(ARRAYEqual(a, b));
  ARRAYPop(b);
  ASSERT_EQ(b->capacity, 4);
  EXPECT_TRUE(ARRAYEqual(a, b));
  ARRAYSet(b, 5, 1);
  EXPECT_FALSE(ARRAYEqual(a, b));
  ARRAY* copy = ARRAYCopy(a);
  EXPECT_NE(copy, a);
  EXPECT_TRUE(ARRAYEqual(a, copy));
  EXPECT_EQ(ARRAYCopy(nullptr), nullptr);
  ARRAYFree(&a);
  ARRAYFree(&b);
  ARRAYFree(&copy);
}

TEST(Array, SubDeleteAndInsertMoveRanges) {
  ARRAY* array = Make({5, 6, 7, 8});
  EXPECT_EQ(ARRAYSub(array, 2, 2), nullptr);
  EXPECT_EQ(ARRAYSub(array, 3, 5), nullptr);
  EXPECT_EQ(ARRAYSub(array, -1, 2), nullptr);
  ARRAY* sub = ARRAYSub(array, 1, 3);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(Elements(sub), "6 7 ");
  ARRAYDelete(array, 1, 3);
  EXPECT_EQ(Elements(array), "5 8 ");
  ARRAYDelete(array, 1, 1);
  EXPECT_EQ(Elements(array), "5 8 ");

  ARRAYInsert(array, 4, array->count);  // appends
  EXPECT_EQ(Elements(array), "5 8 4 ");
  ARRAYInsert(array, 3, array->count + 1);  // refused
  ARRAYInsert(array, 3, -1);
  EXPECT_EQ(Elements(array), "5 8 4 ");
  ARRAYInsert(array, 1, 0);
  ARRAYInsert(array, 2, 2);
  EXPECT_EQ(Elements(array), "1 5 2 8 4 ");
  EXPECT_EQ(array->capacity, 8);
  ARRAYFree(&sub);
  ARRAYFree(&array);
}

TEST(Array, InsertRangeGrowsAndHandlesItself) {
  ARRAY* src = Make({1, 2, 3});
  ARRAY* dst = Make({9, 9});
  ARRAYInsertRange(src, dst, 0, 2, 1);
  EXPECT_EQ(Elements(dst), "9 1 2 9 ");
  EXPECT_EQ(dst->capacity, 4);
  EXPECT_EQ(Elements(src), "1 2 3 ");
  ARRAYInsertRange(src, dst, 0, 3, 4);  // at the end, growing to 8
  EXPECT_EQ(Elements(dst), "9 1 2 9 1 2 3 ");
  ARRAYInsertRange(src, dst, 2, 2, 0);   // empty range
  ARRAYInsertRange(src, dst, 0, 4, 0);   // past the source
  ARRAYInsertRange(src, dst, 0, 1, 8);   // past the destination
  ARRAYInsertRange(nullptr, dst, 0, 1, 0);
  EXPECT_EQ(Elements(dst), "9 1 2 9 1 2 3 ");
  // Into itself: the inserted range is the one before the insertion.
  ARRAYInsertRange(src, src, 0, 3, 1);
  EXPECT_EQ(Elements(src), "1 1 2 3 2 3 ");
  ARRAYFree(&src);
  ARRAYFree(&dst);
}

TEST(Array, RefusalsReportOnlyWhenAsked) {
  ARRAY* array = nullptr;
  testing::internal::CaptureStdout();
  ARRAYFree(&array);
  ARRAYFree(nullptr);
  ARRAYPush(nullptr, 1);
  EXPECT_EQ(ARRAYToASCII(nullptr), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  ARRAYReport = 1;
  testing::internal::CaptureStdout();
  EXPECT_EQ(ARRAYPop(nullptr), 0);
  const std::string once = testing::internal::GetCapturedStdout();
  array = ARRAYNew();
  testing::internal::CaptureStdout();
  EXPECT_EQ(ARRAYToASCII(array), nullptr);  // no text form, but a valid argument: silent
  EXPECT_EQ(ARRAYFromASCII("[1]"), nullptr);
  const std::string silent = testing::internal::GetCapturedStdout();
  ARRAYReport = 0;
  EXPECT_EQ(once, "ARRAY error\n");
  EXPECT_EQ(silent, "");
  ARRAYFree(&array);
}

TEST(Array, GrowthStopsBeforeCapacityOverflows) {
  // Only the capacity is consulted before refusing, so a small block stands in for a huge one.
  intptr_t slots[2] = {1, 2};
  ARRAY fake{1 << 30, 2, slots};
  EXPECT_FALSE(ARRAYGrow(&fake));
  EXPECT_EQ(fake.capacity, 1 << 30);
  EXPECT_EQ(fake.items, slots);
  ARRAY* array = ARRAYNew();
  EXPECT_TRUE(ARRAYGrow(array));
  EXPECT_EQ(array->capacity, 4);
  ARRAYFree(&array);
}

}  // namespace

// PALETTE: construction, cycling and the demo's hue circle.
#include <gtest/gtest.h>

#include <string>

#include "audio/palette.h"

namespace {

TEST(Palette, NewIsBlackAndRotationsCycleEntries) {
  PALETTE* palette = PALETTENew();
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette->length, 256);
  EXPECT_EQ(palette->capacity, 256);
  EXPECT_EQ(SAMPLEMin(palette), 0);
  EXPECT_EQ(SAMPLEMax(palette), 0);
  for (int32_t i = 0; i < 256; i++) palette->items[i] = i * 3;
  PALETTERotateRight(palette, 1);
  EXPECT_EQ(palette->items[0], 255 * 3);
  EXPECT_EQ(palette->items[1], 0);
  EXPECT_EQ(palette->items[255], 254 * 3);
  PALETTERotateLeft(palette, 1);
  bool restored = true;
  for (int32_t i = 0; i < 256; i++) restored = restored && palette->items[i] == i * 3;
  EXPECT_TRUE(restored);
  PALETTERotateRight(palette, 256);
  EXPECT_EQ(palette->items[17], 17 * 3);
  EXPECT_EQ(palette->length, 256);
  PALETTEFree(&palette);
  EXPECT_EQ(palette, nullptr);
}

TEST(Palette, HueCircleClosesOnGreen) {
  PALETTE* palette = PALETTENew();
  PALETTEFillHueCircle(palette);
  const int32_t* p = palette->items;
  EXPECT_EQ(p[0], 0x00FF00);
  EXPECT_EQ(p[41], 0x00FFF6);
  EXPECT_EQ(p[42], 0x00FFFF);
  EXPECT_EQ(p[83], 0x0009FF);
  EXPECT_EQ(p[84], 0x0000FF);
  EXPECT_EQ(p[126], 0xFF00FF);
  EXPECT_EQ(p[168], 0xFF0000);
  EXPECT_EQ(p[210], 0xFFFF00);
  EXPECT_EQ(p[251], 0x09FF00);
  for (int32_t i = 252; i < 256; i++) EXPECT_EQ(p[i], 0x00FF00) << i;
  bool inRange = true;
  for (int32_t i = 0; i < 256; i++) inRange = inRange && p[i] >= 0 && p[i] <= 0xFFFFFF;
  EXPECT_TRUE(inRange);
  PALETTEFree(&palette);

  SAMPLE* small = SAMPLENew();
  SAMPLEResize(small, 100);
  PALETTEReport = 1;
  testing::internal::CaptureStdout();
  PALETTEFillHueCircle(small);
  PALETTEFillHueCircle(nullptr);
  const std::string text = testing::internal::GetCapturedStdout();
  PALETTEReport = 0;
  EXPECT_EQ(text, "PALETTE Error.\nPALETTE Error.\n");
  EXPECT_EQ(SAMPLEMax(small), 0);
  SAMPLEFree(&small);
}

}  // namespace

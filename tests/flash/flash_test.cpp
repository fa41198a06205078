// The flash measurement on made-up sequences of 256 x 256 frames at 50 a second, seen as the
// tool's defaults say (1024 pixels tall on a 1920 x 1080 screen, 16 x 16 blocks).
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "tools/flash.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kDark = 0x202020;  // never black: black frames belong to fades
constexpr int kSide = 256;

// Feeds `frames` frames, frame i drawn by paint(i, image), into a meter; its report.
class Sequence {
 public:
  Sequence() : image_(IMGNew()), meter_(FLASHMeterNew(kSide, kSide, FLASHVIEW{})) {
    IMGResize(image_, kSide, kSide);
  }
  ~Sequence() {
    IMGFree(&image_);
    FLASHMeterFree(&meter_);
  }
  void Add(int frames, const std::function<void(int, IMG*)>& paint) {
    for (int i = 0; i < frames; ++i) {
      paint(i, image_);
      ASSERT_TRUE(FLASHMeterAdd(meter_, *image_));
    }
  }
  // The program's fade: 32 steps, each the last picture darkened by 8.
  void Fade() {
    for (int i = 0; i < 32; ++i) {
      IMGDarken(image_, 8);
      ASSERT_TRUE(FLASHMeterAdd(meter_, *image_));
    }
  }
  FLASHREPORT Report() const { return FLASHMeterReport(meter_); }

 private:
  IMG* image_;
  FLASHMETER* meter_;
};

// A painter: the rectangle (x, y, w, h) shows `on` in frames where `lit(i)` holds, `off`
// otherwise, on a dark picture.
std::function<void(int, IMG*)> Blink(int x, int y, int w, int h, uint32_t on, uint32_t off,
                                     std::function<bool(int)> lit) {
  return [=](int i, IMG* image) {
    for (int32_t p = 0; p < kSide * kSide; ++p) image->pixels[p] = kDark;
    IMGFillRect(image, x, y, w, h, lit(i) ? on : off);
  };
}
// Lit in turns, changing `changes` times a second: 8 changes are 4 flashes.
std::function<bool(int)> Changing(int changes) {
  return [changes](int i) { return (i * changes / 50) % 2 == 0; };
}

TEST(FlashMeter, FourFlashesASecondOverHalfThePictureAreOverTheLimit) {
  Sequence half;
  half.Add(150, Blink(0, 0, kSide, kSide / 2, kWhite, kDark, Changing(8)));
  const FLASHREPORT report = half.Report();
  ASSERT_EQ(report.scenes.size(), 1u);
  EXPECT_EQ(report.scenes[0].scene, 0);  // no fade: all before the first one
  // The first second ends with the 7th change; every later one holds 8.
  EXPECT_EQ(report.whole.seconds, 3);
  EXPECT_EQ(report.whole.general, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(report.whole.mostGeneral, 4);
  EXPECT_TRUE(report.whole.red.empty());
  EXPECT_DOUBLE_EQ(report.fieldWidth, 160);
  EXPECT_DOUBLE_EQ(report.fieldHeight, 90);

  // The same flashing in a 48 x 48 corner covers less than a quarter of any field (3600
  // pixels): no more than a flash.
  Sequence corner;
  corner.Add(150, Blink(0, 0, 48, 48, kWhite, kDark, Changing(8)));
  EXPECT_TRUE(corner.Report().whole.general.empty());
  EXPECT_EQ(corner.Report().whole.mostGeneral, 4);

  // Saturated red against a grey only 0.06 darker: a red flash, not a general one.
  Sequence red;
  red.Add(150, Blink(0, 0, kSide, kSide / 2, 0xFF0000, 0x6E6E6E, Changing(8)));
  EXPECT_EQ(red.Report().whole.red, (std::vector<int32_t>{1, 2}));
  EXPECT_TRUE(red.Report().whole.general.empty());
}

TEST(FlashMeter, TwoFlashesASecondAndSlowFadesAreNot) {
  Sequence twice;
  twice.Add(150, Blink(0, 0, kSide, kSide / 2, kWhite, kDark, Changing(4)));
  EXPECT_TRUE(twice.Report().whole.general.empty());
  EXPECT_EQ(twice.Report().whole.mostGeneral, 2);

  // The whole picture from white to dark and back, half a second each way: every frame
  // changes, by less than 0.1 each time, and a flash a second is all it makes.
  Sequence fades;
  fades.Add(200, [](int i, IMG* image) {
    const int step = i % 50 < 25 ? i % 50 : 50 - i % 50;
    const uint32_t level = 255 - step * 9;
    for (int32_t p = 0; p < kSide * kSide; ++p) image->pixels[p] = level * 0x010101u;
  });
  EXPECT_TRUE(fades.Report().whole.general.empty());
  EXPECT_EQ(fades.Report().whole.mostGeneral, 1);
}

TEST(FlashMeter, ScenesAreTheStretchesBetweenTheFades) {
  Sequence show;
  show.Fade();  // the opening fade, over the black start
  show.Add(100, Blink(0, 0, kSide, kSide / 2, kWhite, kDark, Changing(4)));
  show.Fade();
  show.Add(150, Blink(0, 0, kSide, kSide / 2, kWhite, kDark, Changing(8)));
  show.Fade();  // the closing fade
  const FLASHREPORT report = show.Report();
  ASSERT_EQ(report.scenes.size(), 2u);
  const FLASHPART& first = report.scenes[0];
  const FLASHPART& second = report.scenes[1];
  EXPECT_EQ(first.scene, 1);
  EXPECT_EQ(first.first, 32);
  EXPECT_EQ(first.frames, 100);
  EXPECT_EQ(first.seconds, 2);
  EXPECT_TRUE(first.general.empty());
  EXPECT_EQ(second.scene, 2);
  EXPECT_EQ(second.first, 164);
  EXPECT_EQ(second.frames, 150);
  // The change from the fade's black to white opens its first second's eight.
  EXPECT_EQ(second.general, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(report.whole.frames, 346);
  EXPECT_EQ(report.whole.seconds, 7);
}

}  // namespace

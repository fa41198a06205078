// Scene 4: a random subdivision into nested rectangles in palette colours, drawn straight
// into the screen, redrawn from scratch four times a frame (only the last one shows). The
// split rule and the inset layout are scene 1's; the rectangles to redraw come from a list
// filled by a recording pass.
#include "base/random.h"
#include "demo/demo.h"

int32_t MosaicList[MosaicListSize];
int32_t MosaicWritePos = 0;
int32_t MosaicHighWater = 0;

namespace {
constexpr int32_t kFrames = 1001;
constexpr int32_t kRedraws = 4;
constexpr int32_t kRecordLevel = 8;
constexpr int32_t kRecordStep = 32;
constexpr int32_t kRedrawStep = 16;
constexpr int32_t kSmallest = 3;
constexpr int32_t kRecordValues = 5;

uint32_t Colour(uint8_t index) { return static_cast<uint32_t>(palette->items[index]); }

void Append(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour) {
  int32_t* r = MosaicList + MosaicWritePos;
  r[0] = x;
  r[1] = y;
  r[2] = w;
  r[3] = h;
  r[4] = colour;
  MosaicWritePos += kRecordValues;
  if (MosaicWritePos >= MosaicListSize) MosaicWritePos = 0;  // wraps
  if (MosaicWritePos > MosaicHighWater) MosaicHighWater = MosaicWritePos;
}
}  // namespace

void MosaicClearList() {
  MosaicWritePos = 0;
  MosaicHighWater = 0;
}

void MosaicRecord(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour, int32_t level) {
  if (w < kSmallest || h < kSmallest) return;
  if (level == kRecordLevel) Append(x, y, w, h, colour);
  IMGFillRect(screen, x, y, w, h, Colour(colour));
  colour = static_cast<uint8_t>(colour + kRecordStep);
  DemoInsetChildren(x, y, w, h, [colour, level](int32_t cx, int32_t cy, int32_t cw, int32_t ch) {
    MosaicRecord(cx, cy, cw, ch, colour, level + 1);
  });
}

void MosaicStep(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour) {
  if (w < kSmallest || h < kSmallest) return;
  IMGFillRect(screen, x, y, w, h, Colour(colour));
  colour = static_cast<uint8_t>(colour + kRedrawStep);
  DemoInsetChildren(x, y, w, h, [colour](int32_t cx, int32_t cy, int32_t cw, int32_t ch) {
    MosaicStep(cx, cy, cw, ch, colour);
  });
}

void MosaicRedraw() {
  const int32_t records = MosaicHighWater / kRecordValues;
  if (records < 1) return;  // nothing recorded yet: nothing to pick from
  const int32_t p = (DemoRandom() % records) * kRecordValues;
  MosaicWritePos = p;
  const int32_t* r = MosaicList + p;
  MosaicStep(r[0], r[1], r[2], r[3], static_cast<uint8_t>(r[4]));
}

void SceneMosaic() {
  DemoFadeOut();
  MosaicClearList();
  const uint8_t c = static_cast<uint8_t>(DemoRandom() % 256);
  MosaicRecord(0, 0, screenWidth, screenHeight, c, kRecordLevel);
  for (int32_t frame = 0; frame < kFrames; ++frame) {
    for (int32_t i = 0; i < kRedraws; ++i) MosaicRedraw();
    DemoDrawLogo();
    DemoEndFrame();
    if (exitRequest) break;
  }
}

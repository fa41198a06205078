// Scene 1: the byte map is split into four random quadrants, then each rectangle again
// into four inset children, one rectangle per shown frame, depth first; then the finished
// pattern turns along the hue palette for 1001 frames.
#include "base/random.h"
#include "demo/demo.h"

namespace {
constexpr int32_t kCycleFrames = 1001;
constexpr int32_t kLevelStep = 10;
constexpr int32_t kQuadrantStep = 64;
constexpr int32_t kSmallest = 3;
}  // namespace

int32_t DemoSplitPoint(int32_t n) {
  int32_t half = n >> 1;
  if (half < 1) return half;  // no length the scenes split is this short; avoids r mod 0
  return half + DemoRandom() % half - (n >> 2);
}

void SubdivideStep(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour) {
  if (w < kSmallest || h < kSmallest) return;
  BYTEMAPFillRect(bytemap, x, y, w, h, colour);
  BYTEMAPToIMG(bytemap, screen, palette);
  DemoEndFrame();
  if (exitRequest) return;
  colour = static_cast<uint8_t>(colour + kLevelStep);
  DemoInsetChildren(x, y, w, h, [colour](int32_t cx, int32_t cy, int32_t cw, int32_t ch) {
    SubdivideStep(cx, cy, cw, ch, colour);
  });
}

void SceneSubdivide() {
  DemoFadeOut();
  const int32_t sx = DemoSplitPoint(screenWidth);
  const int32_t sy = DemoSplitPoint(screenHeight);
  const uint8_t c0 = static_cast<uint8_t>(DemoRandom() % 256);
  struct Quadrant {
    int32_t x, y, w, h;
    uint8_t colour;
  };
  const Quadrant quadrants[4] = {
      {0, 0, sx, sy, c0},
      {sx, 0, screenWidth - sx, sy, static_cast<uint8_t>(c0 + kQuadrantStep)},
      {0, sy, sx, screenHeight - sy, static_cast<uint8_t>(c0 + 2 * kQuadrantStep)},
      {sx, sy, screenWidth - sx, screenHeight - sy, static_cast<uint8_t>(c0 + 3 * kQuadrantStep)},
  };
  for (const Quadrant& q : quadrants) BYTEMAPFillRect(bytemap, q.x, q.y, q.w, q.h, q.colour);
  // A key only cuts each subtree short: every pending sibling still shows its own frame.
  for (const Quadrant& q : quadrants) SubdivideStep(q.x, q.y, q.w, q.h, q.colour);
  for (int32_t frame = 0; frame < kCycleFrames; ++frame) {
    BYTEMAPAdd(bytemap, 1);
    BYTEMAPToIMG(bytemap, screen, palette);
    DemoDrawLogo();
    DemoEndFrame();
    if (exitRequest) break;
  }
}

// Scene 3: nested one-pixel outlines from the screen's edge inwards, each ring one palette
// step further on than the one outside it; the start colour moves 4 steps per frame, so the
// colours stream outwards.
#include <algorithm>

#include "base/random.h"
#include "demo/demo.h"

namespace {
constexpr int32_t kFrames = 1001;
constexpr int32_t kFrameStep = 4;
}  // namespace

void DemoDrawRings(IMG* image, int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour) {
  if (!image || w < 2 || h < 2) return;
  if (!palette || !palette->items || palette->length < 256) {
    DemoError();
    return;
  }
  w &= ~1;
  h &= ~1;
  const int32_t n = std::min(w, h) / 2;
  for (int32_t d = 0; d < n; ++d) {
    IMGDrawRect(image, x, y, w, h, static_cast<uint32_t>(palette->items[colour]));
    ++x;
    ++y;
    w -= 2;
    h -= 2;
    ++colour;
  }
}

void SceneRings() {
  DemoFadeOut();
  uint8_t c = static_cast<uint8_t>(DemoRandom() % 255);
  for (int32_t frame = 0; frame < kFrames; ++frame) {
    IMGClear(screen);
    c = static_cast<uint8_t>(c + kFrameStep);
    DemoDrawRings(screen, 0, 0, screenWidth, screenHeight, c);
    DemoDrawLogo();
    DemoEndFrame();
    if (exitRequest) break;
  }
}

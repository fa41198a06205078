// Scene 2: the sine texture, in the panel layout (a 64-pixel strip at the left with the logo
// and labelled values) or full screen; keys change the texture while it runs.
#include <cstdint>
#include <cstdlib>

#include "demo/demo.h"
#include "platform/fps.h"

int32_t panelMode = 0x10;

namespace {
constexpr int32_t kFrames = 5001;
constexpr int32_t kPanelLayout = 0x10;
constexpr int32_t kPanelWidth = 64;
constexpr int32_t kCornerArm = 16;
constexpr uint32_t kCornerFade = 0x040404;
constexpr uint32_t kTextureCorners = 0x4080F0;
constexpr uint32_t kStripCorners = 0xF08040;
constexpr uint32_t kFullCorners = 0x80F040;
constexpr int32_t kMaxShift = 32;
constexpr int32_t kMinShift = 1;

char* panelText = nullptr;  // 9 bytes, allocated on the first panel drawing and kept

void DrawPanelValue(int32_t value, int32_t y) {
  DemoHex32(value, panelText);
  FONTDrawString(font, panelText, 0, y, screen);
}
}  // namespace

void DemoHex32(int32_t value, char* text) {
  if (!text) return;
  // Unsigned digits: every value the panel shows is non-negative, and the screen's address
  // (which may have its top bit set) still reads as its eight hexadecimal digits.
  uint32_t v = static_cast<uint32_t>(value);
  for (int32_t i = 7; i >= 0; --i) {
    uint32_t digit = v % 16;
    text[i] = static_cast<char>(digit < 10 ? digit + 48 : digit + 55);
    v /= 16;
  }
}

void DemoDrawCorners(IMG* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
  // Unclipped writes: refuse any rectangle whose brackets would leave the image.
  if (!image || !image->pixels || x < 0 || y < 0 || w < kCornerArm || h < kCornerArm ||
      x > image->width - w || y > image->height - h) {
    DemoError();
    return;
  }
  uint32_t* p = image->pixels;
  const int64_t stride = image->width;
  auto set = [&](int32_t px, int32_t py, uint32_t c) { p[py * stride + px] = c; };
  for (int32_t i = 0; i < kCornerArm; ++i) {
    const uint32_t c = colour - static_cast<uint32_t>(i) * kCornerFade;
    set(x + i, y, c);
    set(x, y + i, c);
    set(x + w - 1 - i, y, c);
    set(x + w - 1, y + i, c);
    set(x + i, y + h - 1, c);
    set(x, y + h - 1 - i, c);
    set(x + w - 1 - i, y + h - 1, c);
    set(x + w - 1, y + h - 1 - i, c);
  }
}

void DemoDrawPanel() {
  if (!panelText) {
    panelText = static_cast<char*>(std::calloc(9, 1));
    if (!panelText) DemoFatal("allocate the panel text", "out of memory");
  }
  DemoDrawLogo();
  FONTDrawString(font, "frames: ", 0, 48, screen);
  FONTDrawHex32(font, static_cast<uint32_t>(FPS.rate), 0, 56, screen);
  FONTDrawString(font, "F.P.S.: ", 0, 64, screen);
  FONTDrawHex32(font, static_cast<uint32_t>(FPS.rate), 0, 72, screen);
  FONTDrawString(font, "video:  ", 0, 88, screen);
  // The screen image's address stands in for the video handle: its low 32 bits.
  DrawPanelValue(static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(screen))),
                 96);
  FONTDrawString(font, "speed:  ", 0, 112, screen);
  DrawPanelValue(speed, 120);
  FONTDrawString(font, "zoom:   ", 0, 128, screen);
  DrawPanelValue(zoom, 136);
  FONTDrawString(font, "X dist.:", 0, 152, screen);
  DrawPanelValue(xDist, 160);
  FONTDrawString(font, "Y dist.:", 0, 168, screen);
  DrawPanelValue(yDist, 176);
}

void SceneSineTextureKey(uint8_t key) {
  switch (key) {
    case 'a':
      if (xDist < kMaxShift) ++xDist;
      break;
    case 's':
      if (xDist > kMinShift) --xDist;
      break;
    case 'd':
      if (yDist < kMaxShift) ++yDist;
      break;
    case 'e':
      if (yDist > kMinShift) --yDist;
      break;
    case 'r':
      TextureZoomUp();
      break;
    case 'f':
      TextureZoomDown();
      break;
    case 'w':
      if (speed > kMinShift) --speed;
      break;
    case 'q':
      // q also quits (common table), so this slower speed is never shown.
      if (speed < kMaxShift) ++speed;
      break;
    case 'g':
      panelMode ^= kPanelLayout;
      break;
    default:
      break;
  }
}

void SceneSineTexture() {
  DemoFadeOut();
  DemoSceneKeys = SceneSineTextureKey;
  for (int32_t frame = 0; frame < kFrames; ++frame) {
    if (panelMode & kPanelLayout) {
      TextureDraw(0, 0, screenWidth - kPanelWidth, screenHeight);
      StripDraw(0, 0, kPanelWidth, screenHeight);
      DemoDrawPanel();
      DemoDrawCorners(screen, kPanelWidth, 0, screenWidth - kPanelWidth, screenHeight,
                      kTextureCorners);
      DemoDrawCorners(screen, 0, 0, kPanelWidth, screenHeight, kStripCorners);
    } else {
      TextureDraw(0, 0, screenWidth, screenHeight);
      DemoDrawLogo();
      DemoDrawCorners(screen, 0, 0, screenWidth, screenHeight, kFullCorners);
    }
    DemoEndFrame();
    if (exitRequest) break;
  }
  DemoSceneKeys = nullptr;
}

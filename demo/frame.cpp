// The frame tail every scene shares: pacing, overlay, presentation, music, keys; the fade
// to black, the bobbing logo and the music feed.
#include <SDL.h>

#include "base/sine.h"
#include "demo/demo.h"
#include "platform/fps.h"

void (*DemoFrameHook)(void) = nullptr;
void (*DemoFadeHook)(void) = nullptr;
void (*DemoSceneKeys)(uint8_t key) = nullptr;

int32_t DemoLogoPhase = 0;

namespace {
constexpr int32_t kLogoStep = 16;
constexpr int32_t kLogoLineOffset = 32;
constexpr int32_t kFeedThreshold = 4;  // queued loops that keep the sound busy
constexpr int32_t kFadeSteps = 32;
constexpr uint32_t kFadeAmount = 8;   // 32 x 8 = 256: any picture ends black
}  // namespace

void DemoEndFrame() {
  FPSTick();
  FPSWait();
  if (overlayFlags & 1) FONTDrawHex8(font, FPS.rate, 0, screenHeight - 8, screen);
  SDLDPYShowIMG(display, screen);
  if (DemoFrameHook) DemoFrameHook();
  DemoFeedMusic();
  SDLKBDGetKey(keyboard);
  uint8_t key = keyboard->keys[0];
  DemoHandleKey(key);
  if (DemoSceneKeys) DemoSceneKeys(key);
  keyboard->keys[0] = 0;  // one press acts on one frame only
}

void DemoHandleKey(uint8_t key) {
  switch (key) {
    case 27:   // Escape
    case 81:   // Q
    case 113:  // q
      exitRequest = 1;
      break;
    case 32:  // space
      exitRequest = 2;
      break;
    case 56:  // 8
      overlayFlags ^= 1;
      break;
    default:
      break;
  }
}

void DemoFadeOut() {
  for (int32_t i = 0; i < kFadeSteps; ++i) {
    IMGDarken(screen, kFadeAmount);
    SDLDPYShowIMG(display, screen);
    if (DemoFadeHook) DemoFadeHook();
  }
}

void DemoDrawLogo() {
  // Only phase AND 1023 is ever read, so the phase is kept masked and cannot overflow.
  DemoLogoPhase = (DemoLogoPhase + kLogoStep) & 1023;
  static const char* const kLines[3] = {"M A R L ", "6 0 1 5 ", "20101117"};
  for (int32_t line = 0; line < 3; ++line) {
    int32_t y = 16 + 8 * line + (Sine(DemoLogoPhase + kLogoLineOffset * line) >> 13);
    FONTDrawString(font, kLines[line], 0, y, screen);
  }
}

void DemoStartMusic() {
  music = MUSICNew();
  if (!music) return;
  for (int32_t i = 0; i < MUSICClipTable.count && i < 8; ++i)
    MUSICAddSAMPLE(music, &MUSICClipTable.clip[i]);
}

void DemoFeedMusic() {
  MUSICStep(music);
  if (!sound || !music) return;
  SDL_LockAudio();
  int32_t queued = sound->queue ? sound->queue->count : 0;
  SDL_UnlockAudio();
  if (queued < kFeedThreshold) SDLSNDPlaySAMPLE(sound, music->output);
}

// screenshots OUTDIR: runs the demo once, headless (SDL's dummy video and audio drivers),
// with a scripted 20 ms frame clock and no sleeping, and writes OUTDIR/scene1.ppm ..
// scene4.ppm: scene 1 in its palette cycle, scene 2 in the panel layout, scene 3 and
// scene 4 some frames in. Keys pushed as SDL events move on to the next scene after each
// picture and quit after the fourth. The generator's fixed seed makes the pictures the same
// on every run, except the panel's "video:" row, which shows the screen image's address
// (run with address randomisation off, as tools/screenshots.sh does, to pin that too).
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "demo/demo.h"
#include "platform/fps.h"

const uint32_t SDLDPYBuildFlags = 0x10000001u;  // the windowed build's flag word

namespace {

std::string outDir;
int scene = 0;       // 0..3 while the ring runs, by fades seen
bool inFade = true;
int sceneFrame = 0;  // frames of the running scene (scene 1: palette-cycle frames only)
int32_t lastLogoPhase = 0;
bool failed = false;

// Which frame of each scene to keep.
constexpr int kShotFrame[4] = {120, 150, 40, 12};

uint32_t ScriptedClock() {
  static uint32_t ms = 0;
  return ms += 20;
}
void NoSleep(uint32_t) {}

void Press(SDLKey key) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  e.key.keysym.sym = key;
  SDL_PushEvent(&e);
}

void OnFade() {
  if (!inFade) ++scene;
  inFade = true;
  sceneFrame = 0;
}

void OnFrame() {
  inFade = false;
  // Scene 1 draws the logo only in its palette cycle: count from there.
  const bool logo = DemoLogoPhase != lastLogoPhase;
  lastLogoPhase = DemoLogoPhase;
  if (scene == 0 && !logo) return;
  if (sceneFrame++ != kShotFrame[scene]) return;
  const std::string path = outDir + "/scene" + std::to_string(scene + 1) + ".ppm";
  if (!IMGWritePPM(screen, path.c_str())) {
    std::fprintf(stderr, "screenshots: cannot write %s\n", path.c_str());
    failed = true;
  }
  Press(scene == 3 ? SDLK_ESCAPE : SDLK_SPACE);
}

}  // namespace

int main(int argc, char** argv) {
  constexpr const char* kUsage = "usage: screenshots OUTDIR\n";
  if (argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"))) {
    std::printf("%sRuns the demo headless and writes OUTDIR/scene1.ppm .. scene4.ppm, one "
                "picture of each scene\n(tools/screenshots.sh makes the README's pictures "
                "from them).\n", kUsage);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "screenshots: %s\n%s",
                 argc != 2 ? "expects one output directory" : "unknown option", kUsage);
    return 2;
  }
  outDir = argv[1];
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  FPSClock = ScriptedClock;
  FPSSleep = NoSleep;
  DemoStartUp();
  DemoFrameHook = OnFrame;
  DemoFadeHook = OnFade;
  DemoSceneRing();
  DemoShutDown();
  return failed ? 1 : 0;
}

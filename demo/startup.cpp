// Program state, start-up, the scene ring and shutdown.
#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <initializer_list>
#include <cstdio>
#include <cstdlib>

#include "base/random.h"
#include "demo/demo.h"
#include "platform/fps.h"

SDLDPY* display = nullptr;
SDLKBD* keyboard = nullptr;
SDLSND* sound = nullptr;
IMG* screen = nullptr;
BYTEMAP* bytemap = nullptr;
PALETTE* palette = nullptr;
FONT* font = nullptr;
MUSIC* music = nullptr;
int32_t screenWidth = 256;
int32_t screenHeight = 256;
uint8_t exitRequest = 0;
uint8_t overlayFlags = 0;

uint8_t DemoReport = 0;

void DemoError() {
  if (DemoReport) std::fputs("KESTREL8 Error.\n", stdout);
}

void DemoFatal(const char* what, const char* detail) {
  if (!detail) detail = SDL_GetError();
  if (!detail || !*detail) detail = "no further detail";
  std::fprintf(stderr, "kestrel8: cannot %s: %s\n", what, detail);
  std::fflush(stderr);
  // SDL_Quit closes the audio thread and gives a full-screen mode back. When the video mode
  // itself failed there is no mode to give back, and SDL 1.2's video shutdown after a mode
  // that failed half-way (out of memory) frees a block twice and aborts: then everything but
  // video is closed.
  if (SDLDPYSurface)
    SDL_Quit();
  else if (const Uint32 open = SDL_WasInit(SDL_INIT_EVERYTHING) & ~Uint32{SDL_INIT_VIDEO})
    SDL_QuitSubSystem(open);
  std::exit(2);
}

static void OpenDisplay() {
  display = SDLDPYNew();
  if (!display) DemoFatal("create the display", nullptr);
  SDLDPYSetMode(display, screenWidth, screenHeight);
  if (!SDLDPYSurface) {
    char what[64];
    std::snprintf(what, sizeof what, "open the %dx%d video mode", (int)screenWidth,
                  (int)screenHeight);
    DemoFatal(what, nullptr);
  }
  screenWidth = display->width;
  screenHeight = display->height;
}

static void CreateFont() {
  font = FONTNewBuiltIn();
  if (!font) DemoFatal("create the font", "out of memory");
}

// SDL (classic 1.2, and SDL 2 under sdl12-compat) turns an interrupt (Ctrl-C) or a
// termination request into a quit event, which the demo drops like the window's close button,
// so a terminal or a process manager could no longer stop the program. SDL takes a signal over
// only while it still has its default action, so a handler of the program's own, set before
// the first SDL call, keeps both signals for the whole run: from the first instant, through a
// sound start-up that waits on a server that never answers, to the end. The handler gives the
// signal its default action back and sends it again, so the process ends exactly as it would
// without one. A signal the caller set to be ignored stays ignored.
static void DemoStopSignal(int sig) {
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

// Standard C's signal alone, because Windows' C runtime has no sigaction: it cannot read a
// disposition without setting one, so ours is set and an ignored signal is put back.
static void KeepStopSignals() {
  for (int sig : {SIGINT, SIGTERM})
    if (std::signal(sig, DemoStopSignal) == SIG_IGN) std::signal(sig, SIG_IGN);
}

void DemoStartUp() {
  KeepStopSignals();  // before SDL_Init, which would take both signals over
  DemoSeedRandom(DemoRandomSeedValue);
  OpenDisplay();

  keyboard = SDLKBDNew();
  if (!keyboard || !keyboard->keys) DemoFatal("create the keyboard", nullptr);

  sound = SDLSNDNew();  // may stay null: the demo then runs silent

  screen = IMGNew();
  if (screen) IMGResize(screen, screenWidth, screenHeight);
  if (!screen || !screen->pixels) DemoFatal("create the screen image", "out of memory");

  bytemap = BYTEMAPNew();
  if (bytemap) BYTEMAPResize(bytemap, screenWidth, screenHeight);
  if (!bytemap || !bytemap->pixels) DemoFatal("create the byte map", "out of memory");

  palette = PALETTENew();
  if (!palette || !palette->items || palette->length < 256)
    DemoFatal("create the palette", "out of memory");
  PALETTEFillHueCircle(palette);

  // The eight clips are part of the music: one that could not be added is a failed start-up,
  // not a quieter soundtrack.
  DemoStartMusic();
  if (!music || !music->output || !music->output->items || !music->instruments ||
      music->instruments->count != std::min<int32_t>(MUSICClipTable.count, 8))
    DemoFatal("create the music", "out of memory");

  CreateFont();
  FPS.target = 50;
}

void DemoSceneRing() {
  static void (*const kScenes[])() = {SceneSubdivide, SceneSineTexture, SceneRings,
                                      SceneMosaic};
  for (;;) {
    for (auto scene : kScenes) {
      scene();
      if (exitRequest & 1) return;
      exitRequest = 0;
    }
  }
}

void DemoShutDown() {
  DemoFadeOut();
  FONTFree(&font);
  IMGFree(&screen);
  BYTEMAPFree(&bytemap);
  SDLKBDFree(&keyboard);
  SDLDPYFree(&display);
  SDLSNDFree(&sound);
  SDL_Quit();  // without it a full-screen mode may stay set after the process ends
}

void DemoReset() {
  if (music) {
    // The clips are static data: take them out so that MUSICFree releases only what it owns.
    if (music->instruments)
      while (music->instruments->count > 0) ARRAYPop(music->instruments);
    MUSICFree(&music);
  }
  if (palette) PALETTEFree(&palette);
  screenWidth = 256;
  screenHeight = 256;
  exitRequest = 0;
  overlayFlags = 0;
  DemoLogoPhase = 0;
  DemoFrameHook = nullptr;
  DemoFadeHook = nullptr;
  DemoSceneKeys = nullptr;
  Texture = TEXTURESTATE{{0, 0, 0, 0, 0, 0}, {8, 5, 7, 9, 11, 5}, {0, 0, 0, 0, 0, 0},
                         {0, 0, 0, 0, 0, 0}};
  panelMode = 0x10;
  zoom = 2;
  speed = 10;
  xDist = 9;
  yDist = 4;
  MosaicClearList();
  FPS = FPSSTATE{};
}

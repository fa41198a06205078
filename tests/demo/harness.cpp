#include "harness.h"

#include <cstdlib>
#include <string>

#include "demo/demo.h"
#include "platform/fps.h"

namespace {

const DemoScript* script = nullptr;
DemoRunLog* runLog = nullptr;
bool lastWasFrame = true;
std::vector<SDLKey> held;  // keys pressed in the previous frame, released in this one
uint32_t clockMs = 0;

uint32_t ScriptedClock() { return clockMs += 20; }
void NoSleep(uint32_t) {}

void PushKey(SDLKey key, bool down) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.type = e.type;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = key;
  SDL_PushEvent(&e);
}

void OnFade() {
  if (lastWasFrame) {
    if (!script->recordHashes && runLog->visits.size() == runLog->visits.capacity()) return;
    runLog->visits.emplace_back();
  }
  lastWasFrame = false;
  ++runLog->visits.back().fades;
}

void OnFrame() {
  lastWasFrame = true;
  const int visit = static_cast<int>(runLog->visits.size()) - 1;
  VisitLog& log = runLog->visits.back();
  const int frame = log.frames++;
  if (script->recordHashes) log.hashes.push_back(HashScreen());
  ++runLog->frames;
  if (script->onFrame) script->onFrame(visit, frame);
  for (SDLKey key : held) PushKey(key, false);
  held.clear();
  auto it = script->keys.find({visit, frame});
  if (it != script->keys.end()) held = it->second;
  if (runLog->frames >= script->frameLimit) held.push_back(SDLK_ESCAPE);
  for (SDLKey key : held) PushKey(key, true);
}

class Env {
 public:
  Env(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv(name, value, 1);
  }
  ~Env() {
    if (had_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

}  // namespace

uint64_t HashScreen() {
  uint64_t h = 1469598103934665603ull;
  for (int32_t y = 0; y < screen->height; ++y)
    for (int32_t x = 0; x < screen->width; ++x) {
      if (x < 64 && y >= 96 && y < 104) continue;
      h = (h ^ screen->pixels[y * screen->width + x]) * 1099511628211ull;
    }
  return h;
}

bool LogoVisible() {
  for (int32_t y = 8; y < 48; ++y)
    for (int32_t x = 0; x < 64; ++x)
      if (screen->pixels[y * screen->width + x] == 0xFFFFFFu) return true;
  return false;
}

DemoRunLog RunDemo(const DemoScript& s) {
  Env video("SDL_VIDEODRIVER", "dummy");
  Env audio("SDL_AUDIODRIVER", s.audioDriver);
  DemoRunLog result;
  result.visits.reserve(64);
  script = &s;
  runLog = &result;
  lastWasFrame = true;
  held.clear();
  clockMs = 0;
  auto* oldClock = FPSClock;
  auto* oldSleep = FPSSleep;
  FPSClock = ScriptedClock;
  FPSSleep = NoSleep;

  DemoStartUp();
  if (s.afterStartUp) s.afterStartUp();
  DemoFrameHook = OnFrame;
  DemoFadeHook = OnFade;
  DemoSceneRing();
  DemoShutDown();
  DemoReset();

  FPSClock = oldClock;
  FPSSleep = oldSleep;
  script = nullptr;
  runLog = nullptr;
  return result;
}

namespace {
struct Model {
  uint32_t state = 0xFACE5718u;
  int countdown = 0;
  int frames = 0;
  int exitFrame = -1;
  bool exit = false;

  int Rand() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  }
  void Frame() {
    if (--countdown <= 0) {
      countdown = 300;
      for (int i = 0; i < 5; ++i) Rand();  // clip, then four position bits
    }
    if (frames == exitFrame) exit = true;
    ++frames;
  }
  int Split(int n) { return (n >> 1) + Rand() % (n >> 1) - (n >> 2); }
  void Step(int w, int h) {
    if (w < 3 || h < 3) return;
    Frame();
    if (exit) return;
    int sw = Split(w), sh = Split(h);
    Step(sw - 2, sh - 2);
    Step(w - sw - 2, sh - 2);
    Step(sw - 2, h - sh - 2);
    Step(w - sw - 2, h - sh - 2);
  }
};
}  // namespace

int ModelFirstSubdivision(int exitFrame) {
  Model m;
  m.exitFrame = exitFrame;
  int sx = m.Split(256), sy = m.Split(256);
  m.Rand();  // base colour
  m.Step(sx, sy);
  m.Step(256 - sx, sy);
  m.Step(sx, 256 - sy);
  m.Step(256 - sx, 256 - sy);
  return m.frames;
}

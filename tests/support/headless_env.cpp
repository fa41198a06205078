// Every test program runs against SDL's dummy video and audio drivers unless the caller
// chose drivers: no display and no sound card needed. Set before main, so before any SDL
// call; a test that wants another driver sets the variable itself.
#include <cstdlib>

namespace {
const bool kHeadless = [] {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  return true;
}();
}  // namespace

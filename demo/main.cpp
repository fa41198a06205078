// The program's entry. Compiled once per build with its own video flag word: windowed
// (0x10000001) or full screen (0x90000001); everything else is shared. SDL's start-up code
// calls it; the arguments are ignored and the exit status is always 1.
#include "demo/demo.h"
#include "platform/sdldpy.h"

const uint32_t SDLDPYBuildFlags = K8_VIDEO_FLAGS;

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  DemoStartUp();
  DemoSceneRing();
  DemoShutDown();
  return 1;
}

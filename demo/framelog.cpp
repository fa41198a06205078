// kestrel8-framelog: the windowed program with the frame log as its display backend
// (platform/framelog.h), on the virtual clock and printing a hash of every present. The
// comparisons of two builds (desktop and browser, Windows, the capture) run it with the same
// keys; it is a test program and never installed.
#include "demo/demo.h"
#include "platform/framelog.h"
#include "platform/sdldpy.h"

const uint32_t SDLDPYBuildFlags = 0x10000001u;

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  SDLDPYBackend = &FRAMELOGBackend;
  DemoStartUp();
  DemoSceneRing();
  DemoShutDown();
  return 1;
}

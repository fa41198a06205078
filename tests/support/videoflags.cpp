// Test programs, benchmarks and fuzzers open the display like the windowed build.
#include "platform/sdldpy.h"

const uint32_t SDLDPYBuildFlags = 0x10000001u;

// Fuzzes BYTEMAPParsePNM over exactly the input bytes (ASan sees any read past them). Whatever
// it accepts has a positive size that the data could hold: at least one bit per pixel.
#include <cstdio>
#include <cstdlib>

#include "bytemap/bytemap.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reporter prints a line per refusal; keep the fuzzer's log to its own messages.
  return std::freopen("/dev/null", "w", stdout) ? 0 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BYTEMAP* map = BYTEMAPParsePNM(data, size);
  if (!map) return 0;
  if (map->width <= 0 || map->height <= 0 || !map->pixels) abort();
  if (uint64_t(map->width) * uint64_t(map->height) > 8 * uint64_t(size)) abort();
  BYTEMAPFree(&map);
  return 0;
}

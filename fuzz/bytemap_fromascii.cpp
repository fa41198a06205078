// Fuzzes BYTEMAPFromASCII on the input as a zero-terminated text. An accepted map of nonzero
// size survives BYTEMAPToASCII and BYTEMAPFromASCII again with every pixel divided by 3.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bytemap/bytemap.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  return std::freopen("/dev/null", "w", stdout) ? 0 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  BYTEMAP* map = BYTEMAPFromASCII(text.c_str());
  if (!map) return 0;
  if (map->width < 0 || map->height < 0 || !map->pixels) abort();
  const size_t count = size_t(map->width) * size_t(map->height);
  if (count != 0) {
    char* again = BYTEMAPToASCII(map);
    if (!again) abort();
    BYTEMAP* back = BYTEMAPFromASCII(again);
    free(again);
    if (!back || back->width != map->width || back->height != map->height) abort();
    for (size_t i = 0; i < count; ++i)
      if (back->pixels[i] != map->pixels[i] / 3) abort();
    BYTEMAPFree(&back);
  }
  BYTEMAPFree(&map);
  return 0;
}

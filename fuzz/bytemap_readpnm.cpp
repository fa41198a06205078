// Fuzzes BYTEMAPReadPNM: each input is written to a private temporary file and read back.
// Whatever is accepted has a positive size that the file could hold: one bit per pixel.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bytemap/bytemap.h"

static std::string path;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  path = "/tmp/k8fuzz_bytemap_readpnm_" + std::to_string(getpid());
  std::atexit([] { std::remove(path.c_str()); });
  return std::freopen("/dev/null", "w", stdout) ? 0 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) abort();
  if (std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) abort();
  BYTEMAP* map = BYTEMAPReadPNM(path.c_str());
  if (!map) return 0;
  if (map->width <= 0 || map->height <= 0 || !map->pixels) abort();
  if (uint64_t(map->width) * uint64_t(map->height) > 8 * uint64_t(size)) abort();
  BYTEMAPFree(&map);
  return 0;
}

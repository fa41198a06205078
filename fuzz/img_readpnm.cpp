// Fuzzes IMGReadPNM: each input is written to a private temporary file and read back. Whatever
// is accepted has a positive size that the file could hold: at least one bit per pixel.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/img.h"

static std::string path;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  path = "/tmp/k8fuzz_img_readpnm_" + std::to_string(getpid());
  std::atexit([] { std::remove(path.c_str()); });
  return std::freopen("/dev/null", "w", stdout) ? 0 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) abort();
  if (std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) abort();
  IMG* image = IMGReadPNM(path.c_str());
  if (!image) return 0;
  if (image->width <= 0 || image->height <= 0 || !image->pixels) abort();
  if (uint64_t(image->width) * uint64_t(image->height) > 8 * uint64_t(size)) abort();
  IMGFree(&image);
  return 0;
}

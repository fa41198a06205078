// Fuzzes IMGParsePNM over exactly the input bytes (ASan sees any read past them). Whatever it
// accepts has a positive size that the data could hold: at least one bit per pixel.
#include <cstdio>
#include <cstdlib>

#include "image/img.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reporter prints a line per refusal; keep the fuzzer's log to its own messages.
  return std::freopen("/dev/null", "w", stdout) ? 0 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IMG* image = IMGParsePNM(data, size);
  if (!image) return 0;
  if (image->width <= 0 || image->height <= 0 || !image->pixels) abort();
  if (uint64_t(image->width) * uint64_t(image->height) > 8 * uint64_t(size)) abort();
  IMGFree(&image);
  return 0;
}

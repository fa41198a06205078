// Fuzzes IMGFromASCII on the input as a zero-terminated text. An accepted image of nonzero
// size must survive IMGToASCII and IMGFromASCII again, losing only the top byte of each pixel.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/img.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  return std::freopen("/dev/null", "w", stdout) ? 0 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  IMG* image = IMGFromASCII(text.c_str());
  if (!image) return 0;
  if (image->width < 0 || image->height < 0 || !image->pixels) abort();
  const size_t count = size_t(image->width) * size_t(image->height);
  if (count != 0) {
    char* again = IMGToASCII(image);
    if (!again) abort();
    IMG* back = IMGFromASCII(again);
    free(again);
    if (!back || back->width != image->width || back->height != image->height) abort();
    for (size_t i = 0; i < count; ++i)
      if (back->pixels[i] != (image->pixels[i] & 0x00FFFFFFu)) abort();
    IMGFree(&back);
  }
  IMGFree(&image);
  return 0;
}

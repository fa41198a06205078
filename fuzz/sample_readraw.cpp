// Fuzzes SAMPLEReadRaw through an in-memory stream. The first byte chooses the encoding: bit 0
// the width (8 or 16), bit 1 the order ('l' or 'b'), bit 2 the sign ('s' or 'u'); bit 3 hands
// over a deliberately wrong parameter. The rest is the stream.
#include <cstdio>
#include <cstdlib>

#include "audio/sample.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0];
  int32_t width = mode & 1 ? 16 : 8;
  const char order = mode & 2 ? 'b' : 'l';
  const char sign = mode & 4 ? 'u' : 's';
  if (mode & 8) width = 24;
  FILE* stream = fmemopen(const_cast<uint8_t*>(data + 1), size - 1, "rb");
  if (!stream) return 0;
  SAMPLE* sample = SAMPLEReadRaw(stream, width, order, sign);
  fclose(stream);
  if (!sample) {
    if (!(mode & 8)) abort();  // valid parameters never fail on a readable stream
    return 0;
  }
  if (mode & 8) abort();
  const size_t expected = (size - 1) / size_t(width / 8);
  if (size_t(sample->length) != expected) abort();
  for (int32_t i = 0; i < sample->length; i++)
    if (sample->items[i] < -32768 || sample->items[i] > 32767) abort();
  SAMPLEFree(&sample);
  return 0;
}

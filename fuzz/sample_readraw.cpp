// Fuzzes SAMPLEReadRaw through an in-memory stream. The first byte chooses the encoding: bit 0
// the width (8 or 16), bit 1 the order ('l' or 'b'), bit 2 the sign ('s' or 'u'); bit 3 hands
// over a deliberately wrong parameter. The rest is the stream.
//
// Every accepted read must survive SAMPLEWriteRaw at 16 bits as the same bytes (8-bit samples
// as their high byte; unsigned ones with the top bit turned). And the same stream read again
// failing after some bytes (bits 5 to 7: after that many eighths of it) must give null.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/sample.h"

namespace {

struct Failing {
  const uint8_t* data;
  size_t left;
};

ssize_t FailingRead(void* cookie, char* out, size_t size) {
  auto* f = static_cast<Failing*>(cookie);
  if (f->left == 0) {
    errno = EIO;
    return -1;
  }
  const size_t n = size < f->left ? size : f->left;
  memcpy(out, f->data, n);
  f->data += n;
  f->left -= n;
  return ssize_t(n);
}

std::string Written(const SAMPLE* sample, char order) {
  char* buffer = nullptr;
  size_t size = 0;
  FILE* out = open_memstream(&buffer, &size);
  if (!out) abort();
  SAMPLEWriteRaw(sample, out, 16, order);
  fclose(out);
  std::string bytes(buffer, size);
  free(buffer);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0];
  int32_t width = mode & 1 ? 16 : 8;
  const char order = mode & 2 ? 'b' : 'l';
  const char sign = mode & 4 ? 'u' : 's';
  if (mode & 8) width = 24;
  const uint8_t* bytes = data + 1;
  const size_t length = size - 1;
  FILE* stream = fmemopen(const_cast<uint8_t*>(bytes), length, "rb");
  if (!stream) return 0;
  SAMPLE* sample = SAMPLEReadRaw(stream, width, order, sign);
  fclose(stream);
  if (!sample) {
    if (!(mode & 8)) abort();  // valid parameters never fail on a readable stream
    return 0;
  }
  if (mode & 8) abort();
  const size_t expected = length / size_t(width / 8);
  if (size_t(sample->length) != expected) abort();
  for (int32_t i = 0; i < sample->length; i++)
    if (sample->items[i] < -32768 || sample->items[i] > 32767) abort();

  // The raw writer at 16 bits gives the samples back as they were read.
  std::string want;
  for (size_t i = 0; i < expected; i++) {
    const uint8_t turn = sign == 'u' ? 0x80 : 0;
    if (width == 8) {
      const uint8_t high = bytes[i] ^ turn;
      want += order == 'b' ? std::string{char(high), '\0'} : std::string{'\0', char(high)};
    } else {
      const uint8_t first = bytes[2 * i], second = bytes[2 * i + 1];
      want += order == 'b' ? std::string{char(first ^ turn), char(second)}
                           : std::string{char(first), char(second ^ turn)};
    }
  }
  if (Written(sample, order) != want) abort();
  SAMPLEFree(&sample);

  // A stream that fails part-way is a failed read.
  Failing failing{bytes, ((mode >> 5) * length) / 8};
  FILE* broken = fopencookie(&failing, "rb", {FailingRead, nullptr, nullptr, nullptr});
  if (!broken) return 0;
  SAMPLE* cut = SAMPLEReadRaw(broken, width, order, sign);
  fclose(broken);
  if (cut) abort();
  return 0;
}

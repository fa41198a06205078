// framehash: reads raw frames of 0x00RRGGBB words (ffmpeg's "bgr0") from standard input and
// prints the frame log's lines for them, "present <n> <hash>" and "end <frames>", so that a
// decoded video compares line for line with a frame log.
// Usage: framehash WIDTH HEIGHT [x,y,w,h]
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/framelog.h"

int main(int argc, char** argv) {
  const int width = argc > 2 ? std::atoi(argv[1]) : 0;
  const int height = argc > 2 ? std::atoi(argv[2]) : 0;
  SDL_Rect mask = {0, 0, 0, 0};
  if (width <= 0 || height <= 0 || width > 16383 || height > 16383 ||
      (argc > 3 && !FRAMELOGParseMask(argv[3], &mask)) || argc > 4) {
    std::fputs("usage: framehash WIDTH HEIGHT [x,y,w,h] < frames\n", stderr);
    return 2;
  }
  std::vector<uint32_t> frame(static_cast<size_t>(width) * height);
  std::vector<uint8_t> bytes(4 * frame.size());
  long n = 0;
  while (std::fread(bytes.data(), 1, bytes.size(), stdin) == bytes.size()) {
    // Bytes B, G, R, 0 are the word 0x00RRGGBB whatever the machine's byte order.
    for (size_t i = 0; i < frame.size(); ++i)
      frame[i] = uint32_t{bytes[4 * i]} | uint32_t{bytes[4 * i + 1]} << 8 |
                 uint32_t{bytes[4 * i + 2]} << 16;
    std::printf("present %ld %016" PRIx64 "\n", n++,
                FRAMELOGHashWords(frame.data(), width, height, width, mask));
  }
  if (std::ferror(stdin)) {
    std::perror("framehash");
    return 1;
  }
  std::printf("end %ld\n", n);
  return 0;
}

// soundtrack - renders the music as the demo plays it into a WAV file, for listening.
//
// Usage: soundtrack OUTPUT.wav [EVENTS]     (soundtrack --help for more)
//
// A MUSIC with the eight built-in clips and the demo's seed is stepped once per frame at 50
// frames per second, and the loop is written back to back as the sound output plays it: a
// change made by an event is heard from the next sample on, without restarting the loop.
// EVENTS (default 12) events are rendered, one every 300 frames (6 s), so 72 s by default.
// Only the music draws from the generator here; in the demo the scenes draw too, so the
// choices differ, but the sound is of the same kind. The file is 44100 Hz mono 16-bit PCM.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/music.h"
#include "base/random.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kFramesPerSecond = 50;
constexpr int32_t kSamplesPerFrame = kRate / kFramesPerSecond;

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// A canonical 44-byte header for mono 16-bit PCM.
std::vector<uint8_t> WavHeader(uint32_t samples) {
  std::vector<uint8_t> h;
  const uint32_t dataBytes = samples * 2;
  PutTag(h, "RIFF");
  PutLittleEndian(h, 36 + dataBytes, 4);
  PutTag(h, "WAVE");
  PutTag(h, "fmt ");
  PutLittleEndian(h, 16, 4);
  PutLittleEndian(h, 1, 2);  // PCM
  PutLittleEndian(h, 1, 2);  // mono
  PutLittleEndian(h, kRate, 4);
  PutLittleEndian(h, kRate * 2, 4);
  PutLittleEndian(h, 2, 2);
  PutLittleEndian(h, 16, 2);
  PutTag(h, "data");
  PutLittleEndian(h, dataBytes, 4);
  return h;
}

const char* const kUsage = "usage: soundtrack OUTPUT.wav [EVENTS]\n";

int Refuse(const char* what, const char* arg) {
  std::fprintf(stderr, "soundtrack: %s '%s'\n%s", what, arg, kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const char* args[2] = {nullptr, nullptr};
  int count = 0;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (options && (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help"))) {
      std::printf(
          "%s\n"
          "Renders the demo's soundtrack into OUTPUT.wav (44100 Hz, mono, 16-bit PCM): the music\n"
          "stepped at 50 frames per second with the demo's seed, EVENTS clip events (1 to 1000,\n"
          "default 12), one every 6 seconds, so 72 seconds by default. Prints the file's length\n"
          "and peak. Exit status: 0 written, 1 the file could not be written, 2 bad arguments.\n",
          kUsage);
      return 0;
    }
    if (options && !std::strcmp(arg, "--")) {
      options = false;
    } else if (options && arg[0] == '-' && arg[1] != '\0') {
      return Refuse("unknown option", arg);
    } else if (count < 2) {
      args[count++] = arg;
    } else {
      return Refuse("too many arguments:", arg);
    }
  }
  if (count == 0) {
    std::fprintf(stderr, "soundtrack: no OUTPUT.wav given\n%s", kUsage);
    return 2;
  }
  const char* path = args[0];
  long events = 12;
  if (args[1]) {
    char* end = nullptr;
    errno = 0;
    events = std::strtol(args[1], &end, 10);
    if (errno || end == args[1] || *end != '\0' || events < 1 || events > 1000)
      return Refuse("EVENTS must be a whole number from 1 to 1000, not", args[1]);
  }
  MUSIC* music = MUSICNew();
  if (!music) {
    std::fputs("soundtrack: out of memory\n", stderr);
    return 1;
  }
  for (int32_t i = 0; i < MUSICClipTable.count; ++i) MUSICAddSAMPLE(music, &MUSICClipTable.clip[i]);
  DemoSeedRandom(DemoRandomSeedValue);

  const int64_t frames = events * music->period;
  std::vector<uint8_t> pcm;
  pcm.reserve(static_cast<size_t>(frames * kSamplesPerFrame * 2));
  int32_t position = 0, peak = 0;
  for (int64_t frame = 0; frame < frames; ++frame) {
    MUSICStep(music);
    const SAMPLE* loop = music->output;
    for (int32_t i = 0; i < kSamplesPerFrame; ++i) {
      const int32_t v = loop->items[position];
      if (v > peak) peak = v;
      if (-v > peak) peak = -v;
      PutLittleEndian(pcm, static_cast<uint32_t>(v), 2);  // the low half, as the device plays it
      position = (position + 1) % loop->length;
    }
  }

  FILE* f = std::fopen(path, "wb");
  if (!f) {
    std::fprintf(stderr, "soundtrack: cannot write %s: %s\n", path, std::strerror(errno));
    MUSICFree(&music);
    return 1;
  }
  const std::vector<uint8_t> header = WavHeader(static_cast<uint32_t>(pcm.size() / 2));
  const bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size() &&
                  std::fwrite(pcm.data(), 1, pcm.size(), f) == pcm.size();
  if (std::fclose(f) != 0 || !ok) {
    std::fprintf(stderr, "soundtrack: cannot write %s: %s\n", path, std::strerror(errno));
    MUSICFree(&music);
    return 1;
  }
  std::printf("%s: %ld events, %lld frames, %.1f s, peak %d\n", path, events,
              static_cast<long long>(frames), static_cast<double>(pcm.size() / 2) / kRate, peak);
  MUSICFree(&music);
  return 0;
}

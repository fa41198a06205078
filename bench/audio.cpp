// Sound output callback and raw PCM reading, the latter beside libsndfile reading the same
// bytes as headerless 16-bit PCM.
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/sdlsnd.h"
#include "bench/ratios.h"

namespace {

// One 4096-sample buffer from a queue that always holds the music's 40000-sample loop.
void BM_SDLSNDCallback(benchmark::State& state) {
  SAMPLE* loop = SAMPLENew();
  SAMPLEResize(loop, 40000);
  for (int32_t i = 0; i < 40000; i++) loop->items[i] = (i * 37) % 65536 - 32768;
  SDLSND sound{44100, 16, 0, ARRAYNew(), 's', 'l', 0};
  std::vector<uint8_t> buffer(8192);
  for (auto _ : state) {
    if (sound.queue->count < 2) ARRAYPush(sound.queue, reinterpret_cast<intptr_t>(loop));
    SDLSNDCallback(&sound, buffer.data(), int(buffer.size()));
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 8192);
  ARRAYFree(&sound.queue);
  SAMPLEFree(&loop);
}
BENCHMARK(BM_SDLSNDCallback);

constexpr size_t kRawBytes = 10 * 1024 * 1024;

// 10 MB of 16-bit little-endian PCM in a temporary file, removed at exit.
struct RawFile {
  std::string path;
  RawFile() {
    char name[] = "/tmp/k8-bench-raw-XXXXXX";
    const int fd = mkstemp(name);
    std::vector<uint8_t> bytes(kRawBytes);
    for (size_t i = 0; i < bytes.size(); i++) bytes[i] = uint8_t(i * 2654435761u >> 13);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) abort();
    close(fd);
    path = name;
  }
  ~RawFile() { unlink(path.c_str()); }
};

const std::string& RawPath() {
  static const RawFile file;
  return file.path;
}

void BM_SAMPLEReadRaw(benchmark::State& state) {
  const std::string& path = RawPath();
  for (auto _ : state) {
    FILE* f = fopen(path.c_str(), "rb");
    SAMPLE* sample = SAMPLEReadRaw(f, 16, 'l', 's');
    fclose(f);
    if (!sample || size_t(sample->length) != kRawBytes / 2) state.SkipWithError("short read");
    benchmark::DoNotOptimize(sample->items);
    SAMPLEFree(&sample);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kRawBytes));
}
BENCHMARK(BM_SAMPLEReadRaw)->Unit(benchmark::kMillisecond);

// libsndfile reading the same file in blocks of 16384 samples into an int buffer sized once
// from the frame count libsndfile reports.
void BM_LibsndfileReadRaw(benchmark::State& state) {
  const std::string& path = RawPath();
  for (auto _ : state) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
      state.SkipWithError(sf_strerror(nullptr));
      break;
    }
    std::vector<short> block(16384);
    std::vector<int32_t> samples;
    samples.reserve(size_t(info.frames));
    sf_count_t got;
    while ((got = sf_read_short(file, block.data(), sf_count_t(block.size()))) > 0)
      samples.insert(samples.end(), block.begin(), block.begin() + got);
    sf_close(file);
    if (samples.size() != kRawBytes / 2) state.SkipWithError("short read");
    benchmark::DoNotOptimize(samples.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kRawBytes));
}
BENCHMARK(BM_LibsndfileReadRaw)->Unit(benchmark::kMillisecond);

}  // namespace

// Runs the benchmarks, then prints how SAMPLEReadRaw compares with libsndfile. Most of either
// reader's time is first touches of fresh memory: the SAMPLE's 32 MB block is always fresh
// (glibc maps blocks that large anew), while libsndfile's 20 MB buffer is recycled by malloc
// from one iteration to the next. MALLOC_MMAP_THRESHOLD_=131072 gives both fresh memory, as a
// single read in a program would have.
int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  bench::PrintRatios(reporter, {{"BM_SAMPLEReadRaw", "BM_LibsndfileReadRaw"}});
  benchmark::Shutdown();
  return 0;
}

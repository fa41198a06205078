// Sound output callback and raw PCM reading and writing, the latter beside libsndfile reading
// and writing the same samples as headerless 16-bit PCM (each pair checked equal first).
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
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

// Both readers give the same values for the benchmark's file.
bool ReadersAgree(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  SAMPLE* ours = f ? SAMPLEReadRaw(f, 16, 'l', 's') : nullptr;
  if (f) fclose(f);
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 1;
  info.format = SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  std::vector<short> theirs(kRawBytes / 2);
  const sf_count_t got = file ? sf_read_short(file, theirs.data(), sf_count_t(theirs.size())) : 0;
  if (file) sf_close(file);
  bool same = ours && size_t(ours->length) == theirs.size() && size_t(got) == theirs.size();
  for (size_t i = 0; same && i < theirs.size(); i++) same = ours->items[i] == theirs[i];
  if (ours) SAMPLEFree(&ours);
  return same;
}

void BM_SAMPLEReadRaw(benchmark::State& state) {
  const std::string& path = RawPath();
  if (!ReadersAgree(path)) return state.SkipWithError("SAMPLEReadRaw and libsndfile differ");
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

// The floor under SAMPLEReadRaw that libsndfile does not pay: its result's capacity stays a
// power-of-two multiple of 1024, so 5 Mi samples live in a block of 8 Mi slots (32 MiB), which
// glibc always maps afresh (its largest recycled size is 32 MiB), and the 20 MiB the samples
// fill are first touches. This is only that: the block allocated, filled and released.
void BM_RawReadFloor(benchmark::State& state) {
  for (auto _ : state) {
    auto* items = static_cast<int32_t*>(calloc(size_t(8) << 20, sizeof(int32_t)));
    for (size_t i = 0; i < kRawBytes / 2; i++) items[i] = int32_t(i);
    benchmark::DoNotOptimize(items);
    free(items);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kRawBytes));
}
BENCHMARK(BM_RawReadFloor)->Unit(benchmark::kMillisecond);


// Writing 5 Mi samples as 16-bit little-endian PCM to /dev/null, so the cost is the encoding
// and the calls, not a disk. The values cover more than the 16-bit range, so both clamp.
constexpr int32_t kWriteSamples = 5 << 20;

SAMPLE* WriteSource() {
  SAMPLE* sample = SAMPLENew();
  SAMPLEResize(sample, kWriteSamples);
  for (int32_t i = 0; i < kWriteSamples; i++)
    sample->items[i] = int32_t(uint32_t(i) * 2654435761u) >> 14;  // about -131072..131071
  return sample;
}

// What a libsndfile user does with a SAMPLE's values: clamp each to 16 bits into a short block,
// then sf_write_short the block.
void LibsndfileWrite(SNDFILE* file, const SAMPLE* sample) {
  short block[16384];
  for (int32_t done = 0; done < sample->length;) {
    const int32_t n = std::min<int32_t>(16384, sample->length - done);
    for (int32_t i = 0; i < n; i++)
      block[i] = short(std::clamp<int32_t>(sample->items[done + i], -32768, 32767));
    sf_write_short(file, block, n);
    done += n;
  }
}

SNDFILE* OpenRawForWriting(const char* path) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 1;
  info.format = SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
  return sf_open(path, SFM_WRITE, &info);
}

// Both writers give the same bytes for the benchmark's samples.
bool WritersAgree(const SAMPLE* sample) {
  char ours[] = "/tmp/k8-bench-write-XXXXXX", theirs[] = "/tmp/k8-bench-write-XXXXXX";
  const int a = mkstemp(ours), b = mkstemp(theirs);
  if (a < 0 || b < 0) return false;
  close(a);
  close(b);
  FILE* f = fopen(ours, "wb");
  SAMPLEWriteRaw(sample, f, 16, 'l');
  fclose(f);
  SNDFILE* file = OpenRawForWriting(theirs);
  if (file) {
    LibsndfileWrite(file, sample);
    sf_close(file);
  }
  auto slurp = [](const char* path) {
    std::string bytes;
    FILE* in = fopen(path, "rb");
    char chunk[65536];
    for (size_t n; in && (n = fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.append(chunk, n);
    if (in) fclose(in);
    return bytes;
  };
  const bool same = file && slurp(ours) == slurp(theirs) &&
                    slurp(ours).size() == 2 * size_t(sample->length);
  unlink(ours);
  unlink(theirs);
  return same;
}

void BM_SAMPLEWriteRaw(benchmark::State& state) {
  SAMPLE* sample = WriteSource();
  if (!WritersAgree(sample)) state.SkipWithError("SAMPLEWriteRaw and libsndfile differ");
  FILE* sink = fopen("/dev/null", "wb");
  for (auto _ : state) {
    SAMPLEWriteRaw(sample, sink, 16, 'l');
    fflush(sink);
  }
  fclose(sink);
  SAMPLEFree(&sample);
  state.SetBytesProcessed(int64_t(state.iterations()) * 2 * kWriteSamples);
}
BENCHMARK(BM_SAMPLEWriteRaw)->Unit(benchmark::kMillisecond);

void BM_LibsndfileWriteRaw(benchmark::State& state) {
  SAMPLE* sample = WriteSource();
  SNDFILE* sink = OpenRawForWriting("/dev/null");
  if (!sink) state.SkipWithError(sf_strerror(nullptr));
  for (auto _ : state) {
    if (!sink) break;
    LibsndfileWrite(sink, sample);
  }
  if (sink) sf_close(sink);
  SAMPLEFree(&sample);
  state.SetBytesProcessed(int64_t(state.iterations()) * 2 * kWriteSamples);
}
BENCHMARK(BM_LibsndfileWriteRaw)->Unit(benchmark::kMillisecond);

}  // namespace

// Runs the benchmarks, then prints how the raw reader and writer compare with libsndfile, and
// the reader with its floor (a fresh block of the capacity it must have, filled once). Most of either
// reader's time is first touches of fresh memory: the SAMPLE's 32 MB block is always fresh
// (glibc maps blocks that large anew), while libsndfile's 20 MB buffer is recycled by malloc
// from one iteration to the next. MALLOC_MMAP_THRESHOLD_=131072 gives both fresh memory, as a
// single read in a program would have.
int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv,
                              {{"BM_SAMPLEReadRaw", "BM_LibsndfileReadRaw"},
                               {"BM_SAMPLEReadRaw", "BM_RawReadFloor"},
                               {"BM_SAMPLEWriteRaw", "BM_LibsndfileWriteRaw"}});
}

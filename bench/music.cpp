// MUSICStep on a frame with an event (clear, rotation, three additions, two shifts over the
// 40000-sample loop) and on a quiet frame (a decrement and a test), beside the same blend
// written directly on a plain array without temporaries, as the floor for what an event
// could cost.
#include <benchmark/benchmark.h>

#include <climits>
#include <vector>

#include "audio/music.h"
#include "base/random.h"

namespace {

MUSIC* MusicWithClips() {
  MUSIC* m = MUSICNew();
  for (int32_t i = 0; i < MUSICClipTable.count; ++i) MUSICAddSAMPLE(m, &MUSICClipTable.clip[i]);
  DemoSeedRandom(DemoRandomSeedValue);
  return m;
}

void BM_MusicStepEvent(benchmark::State& state) {
  MUSIC* m = MusicWithClips();
  for (auto _ : state) {
    m->countdown = 1;
    MUSICStep(m);
    benchmark::DoNotOptimize(m->output->items[0]);
  }
  MUSICFree(&m);
}
BENCHMARK(BM_MusicStepEvent)->Unit(benchmark::kMicrosecond);

void BM_MusicStepQuiet(benchmark::State& state) {
  MUSIC* m = MusicWithClips();
  MUSICStep(m);
  m->countdown = INT_MAX;
  for (auto _ : state) {
    MUSICStep(m);
    benchmark::DoNotOptimize(m->countdown);
  }
  MUSICFree(&m);
}
BENCHMARK(BM_MusicStepQuiet);

// loop[i] = (3 * loop[i] + clip placed at offset) >> 2 in place, no temporary buffers.
void BM_FusedBlendReference(benchmark::State& state) {
  std::vector<int32_t> loop(40000, 1234);
  const SAMPLE& clip = MUSICClipTable.clip[4];
  int32_t offset = 0;
  for (auto _ : state) {
    for (int32_t i = 0; i < 40000; ++i) loop[i] *= 3;
    for (int32_t j = 0; j < clip.length; ++j) loop[(offset + j) % 40000] += clip.items[j];
    for (int32_t i = 0; i < 40000; ++i) loop[i] >>= 2;
    offset = (offset + 2500) % 40000;
    benchmark::DoNotOptimize(loop.data());
  }
}
BENCHMARK(BM_FusedBlendReference)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// MUSICStep on a frame with an event (clear, rotation, three additions, two shifts over the
// 40000-sample loop) and on a quiet frame (a decrement and a test), beside the same blend
// written directly on a plain array without temporaries, as the floor for what an event
// could cost. The fused blend draws the clip and the position as the sequencer does, from
// the same generator state, over the same loop; one event of each is checked to agree.
#include <benchmark/benchmark.h>

#include <climits>
#include <cstring>
#include <vector>

#include "audio/music.h"
#include "base/random.h"
#include "bench/ratios.h"

namespace {

constexpr int32_t kLoop = 40000;

MUSIC* MusicWithClips() {
  MUSIC* m = MUSICNew();
  for (int32_t i = 0; i < MUSICClipTable.count; ++i) MUSICAddSAMPLE(m, &MUSICClipTable.clip[i]);
  DemoSeedRandom(DemoRandomSeedValue);
  return m;
}

// A loop that has heard a few events, so that both sides start from sound, not silence.
std::vector<int32_t> WarmLoop() {
  MUSIC* m = MusicWithClips();
  for (int i = 0; i < 8; ++i) {
    m->countdown = 1;
    MUSICStep(m);
  }
  std::vector<int32_t> loop(m->output->items, m->output->items + kLoop);
  MUSICFree(&m);
  return loop;
}

void BM_MusicStepEvent(benchmark::State& state) {
  MUSIC* m = MusicWithClips();
  const std::vector<int32_t> warm = WarmLoop();
  std::memcpy(m->output->items, warm.data(), sizeof(int32_t) * kLoop);
  for (auto _ : state) {
    m->countdown = 1;
    MUSICStep(m);
    benchmark::DoNotOptimize(m->output->items[0]);
  }
  state.SetItemsProcessed(state.iterations() * kLoop);
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

// loop[i] = (3 * loop[i] + clip placed at offset) >> 2 in place, no temporary buffers, with
// the clip and the offset drawn as an event draws them. Sums wrap as the SAMPLE sums do.
void FusedEvent(std::vector<int32_t>& loop) {
  const int32_t index = DemoRandom() % MUSICClipTable.count;
  int32_t offset = 0;
  for (int shift = 1; shift <= 4; ++shift) offset += (DemoRandom() % 2) * (kLoop >> shift);
  const SAMPLE& clip = MUSICClipTable.clip[index];
  uint32_t* v = reinterpret_cast<uint32_t*>(loop.data());
  for (int32_t i = 0; i < kLoop; ++i) v[i] *= 3;
  const int32_t n = clip.length < kLoop ? clip.length : kLoop;
  const int32_t first = n < kLoop - offset ? n : kLoop - offset;
  for (int32_t j = 0; j < first; ++j) v[offset + j] += uint32_t(clip.items[j]);
  for (int32_t j = first; j < n; ++j) v[j - first] += uint32_t(clip.items[j]);
  for (int32_t i = 0; i < kLoop; ++i) loop[i] >>= 2;
}

void BM_FusedBlendReference(benchmark::State& state) {
  std::vector<int32_t> loop = WarmLoop();
  {
    MUSIC* m = MusicWithClips();
    std::memcpy(m->output->items, loop.data(), sizeof(int32_t) * kLoop);
    std::vector<int32_t> fused = loop;
    DemoSeedRandom(12345);
    m->countdown = 1;
    MUSICStep(m);
    DemoSeedRandom(12345);
    FusedEvent(fused);
    if (std::memcmp(fused.data(), m->output->items, sizeof(int32_t) * kLoop) != 0)
      state.SkipWithError("the fused blend differs from MUSICStep");
    MUSICFree(&m);
  }
  for (auto _ : state) {
    FusedEvent(loop);
    benchmark::DoNotOptimize(loop.data());
  }
  state.SetItemsProcessed(state.iterations() * kLoop);
}
BENCHMARK(BM_FusedBlendReference)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv, {{"BM_MusicStepEvent", "BM_FusedBlendReference"}});
}

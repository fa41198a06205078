// SAMPLE whole-buffer operations over the music's 40000-sample loop, each beside the plain
// standard-library loop a user would write instead on a std::vector of the same values, the
// results checked equal once before timing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "audio/sample.h"
#include "bench/ratios.h"

namespace {

constexpr int32_t kLength = 40000;

int32_t Value(int32_t i) { return int32_t(uint32_t(i) * 2654435761u >> 16) - 32768; }

SAMPLE* Loop() {
  SAMPLE* s = SAMPLENew();
  SAMPLEResize(s, kLength);
  for (int32_t i = 0; i < kLength; ++i) s->items[i] = Value(i);
  return s;
}

std::vector<int32_t> Vector() {
  std::vector<int32_t> v(kLength);
  for (int32_t i = 0; i < kLength; ++i) v[i] = Value(i);
  return v;
}

// The value searched for stands only in the last element: a search over the whole loop.
constexpr int32_t kNeedle = 77777;

void BM_SAMPLEFind(benchmark::State& state) {
  SAMPLE* s = Loop();
  s->items[kLength - 1] = kNeedle;
  for (auto _ : state) benchmark::DoNotOptimize(SAMPLEFind(s, kNeedle, 0));
  state.SetItemsProcessed(state.iterations() * kLength);
  SAMPLEFree(&s);
}
BENCHMARK(BM_SAMPLEFind);

void BM_StdFind(benchmark::State& state) {
  std::vector<int32_t> v = Vector();
  v[kLength - 1] = kNeedle;
  {
    SAMPLE* s = Loop();
    s->items[kLength - 1] = kNeedle;
    if (SAMPLEFind(s, kNeedle, 0) != std::find(v.begin(), v.end(), kNeedle) - v.begin() ||
        SAMPLEFind(s, Value(100), 0) != std::find(v.begin(), v.end(), Value(100)) - v.begin())
      state.SkipWithError("the searches differ");
    SAMPLEFree(&s);
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.data());
    benchmark::DoNotOptimize(std::find(v.begin(), v.end(), kNeedle) - v.begin());
  }
  state.SetItemsProcessed(state.iterations() * kLength);
}
BENCHMARK(BM_StdFind);

// range(0): 0 shift left by 1, 1 shift right by 2, 2 scale by 3, 3 add a second loop (the
// passes of a music event).
SAMPLE* Other() {
  static SAMPLE* other = [] {
    SAMPLE* s = Loop();
    for (int32_t i = 0; i < kLength; ++i) s->items[i] = Value(i + 7);
    return s;
  }();
  return other;
}

void Apply(SAMPLE* s, int64_t op) {
  if (op == 0) SAMPLEShiftLeft(s, 1);
  else if (op == 1) SAMPLEShiftRight(s, 2);
  else if (op == 2) SAMPLEScale(s, 3);
  else SAMPLEAdd(s, Other());
}

// The amounts are read at run time, as the SAMPLE operations receive them, so the compiler
// cannot turn the multiplication into a shift and an addition.
volatile int32_t amounts[3] = {1, 2, 3};

void Apply(std::vector<int32_t>& v, int64_t op) {
  auto* u = reinterpret_cast<uint32_t*>(v.data());
  if (op == 3) {
    const auto* o = reinterpret_cast<const uint32_t*>(Other()->items);
    for (size_t i = 0; i < v.size(); ++i) u[i] += o[i];
    return;
  }
  const int32_t amount = amounts[op];
  if (op == 0) for (uint32_t& x : std::span(u, v.size())) x <<= amount;
  else if (op == 1) for (int32_t& x : v) x >>= amount;
  else for (uint32_t& x : std::span(u, v.size())) x *= uint32_t(amount);
}

void BM_SAMPLEOperation(benchmark::State& state) {
  SAMPLE* s = Loop();
  for (auto _ : state) {
    Apply(s, state.range(0));
    benchmark::DoNotOptimize(s->items);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kLength);
  SAMPLEFree(&s);
}
BENCHMARK(BM_SAMPLEOperation)->Arg(0)->Arg(1)->Arg(2)->Arg(3);

void BM_VectorLoop(benchmark::State& state) {
  std::vector<int32_t> v = Vector();
  {
    SAMPLE* s = Loop();
    std::vector<int32_t> w = v;
    Apply(s, state.range(0));
    Apply(w, state.range(0));
    if (std::memcmp(s->items, w.data(), sizeof(int32_t) * kLength) != 0)
      state.SkipWithError("the results differ");
    SAMPLEFree(&s);
  }
  for (auto _ : state) {
    Apply(v, state.range(0));
    benchmark::DoNotOptimize(v.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kLength);
}
BENCHMARK(BM_VectorLoop)->Arg(0)->Arg(1)->Arg(2)->Arg(3);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv,
                              {
                                  {"BM_SAMPLEFind", "BM_StdFind"},
                                  {"BM_SAMPLEOperation/0", "BM_VectorLoop/0"},
                                  {"BM_SAMPLEOperation/1", "BM_VectorLoop/1"},
                                  {"BM_SAMPLEOperation/2", "BM_VectorLoop/2"},
                                  {"BM_SAMPLEOperation/3", "BM_VectorLoop/3"},
                              });
}

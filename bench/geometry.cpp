// Geometry benchmarks: IMG and BYTEMAP scaling and rotation beside their SDL counterparts
// (SDL_SoftStretch on surfaces of the same depth, SDL_gfx rotozoomSurface without
// smoothing), with a closing table of time ratios (ours / theirs; below 1 means faster).
//
// The rotations are not quite the same work: ours always makes a 1.414-times larger result
// (361 x 361 from 256 x 256), rotozoom only the bounding box of the turned picture (about
// 350 x 350 at 30 degrees); items per second count result pixels so rates compare fairly.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bytemap/bytemap.h"
#include "image/img.h"

#if __has_include(<SDL_rotozoom.h>)
#include <SDL_rotozoom.h>
#define K8_HAVE_SDLGFX 1
#elif __has_include(<SDL/SDL_rotozoom.h>)
#include <SDL/SDL_rotozoom.h>
#define K8_HAVE_SDLGFX 1
#endif

namespace {

constexpr int32_t kAngle = 85;           // 1/1024 turns, about 30 degrees
constexpr double kAngleDegrees = 30.0;

uint32_t Noise(int32_t i) { return uint32_t(i) * 2654435761u >> 8; }

IMG* MakeImage(int32_t w, int32_t h) {
  IMG* image = IMGNew();
  IMGResize(image, w, h);
  for (int32_t i = 0; i < w * h; ++i) image->pixels[i] = Noise(i) & 0xFFFFFF;
  return image;
}

BYTEMAP* MakeMap(int32_t w, int32_t h) {
  BYTEMAP* map = BYTEMAPNew();
  BYTEMAPResize(map, w, h);
  for (int32_t i = 0; i < w * h; ++i) map->pixels[i] = uint8_t(Noise(i));
  return map;
}

SDL_Surface* MakeSurface(int w, int h, int depth) {
  SDL_Surface* s = depth == 32
                       ? SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0)
                       : SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0);
  auto* row = static_cast<uint8_t*>(s->pixels);
  for (int y = 0; y < h; ++y, row += s->pitch)
    for (int x = 0; x < w; ++x) {
      uint32_t v = Noise(x + y * w);
      if (depth == 32) reinterpret_cast<uint32_t*>(row)[x] = v & 0xFFFFFF;
      else row[x] = uint8_t(v);
    }
  return s;
}

void BM_IMGScale(benchmark::State& state) {
  const int32_t from = int32_t(state.range(0)), to = int32_t(state.range(1));
  IMG* src = MakeImage(from, from);
  IMG* dst = MakeImage(to, to);
  for (auto _ : state) {
    IMGScale(src, dst);
    benchmark::DoNotOptimize(dst->pixels);
  }
  state.SetItemsProcessed(state.iterations() * to * to);
  IMGFree(&src);
  IMGFree(&dst);
}

void BM_BYTEMAPScale(benchmark::State& state) {
  const int32_t from = int32_t(state.range(0)), to = int32_t(state.range(1));
  BYTEMAP* src = MakeMap(from, from);
  BYTEMAP* dst = MakeMap(to, to);
  for (auto _ : state) {
    BYTEMAPScale(src, dst);
    benchmark::DoNotOptimize(dst->pixels);
  }
  state.SetItemsProcessed(state.iterations() * to * to);
  BYTEMAPFree(&src);
  BYTEMAPFree(&dst);
}

// range(2) is the depth: 32 for IMG's counterpart, 8 for BYTEMAP's.
void BM_SDL_SoftStretch(benchmark::State& state) {
  const int from = int(state.range(0)), to = int(state.range(1)), depth = int(state.range(2));
  SDL_Surface* src = MakeSurface(from, from, depth);
  SDL_Surface* dst = MakeSurface(to, to, depth);
  for (auto _ : state) {
    if (SDL_SoftStretch(src, nullptr, dst, nullptr) != 0) state.SkipWithError(SDL_GetError());
    benchmark::DoNotOptimize(dst->pixels);
  }
  state.SetItemsProcessed(state.iterations() * to * to);
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
}

void BM_IMGRotate(benchmark::State& state) {
  IMG* src = MakeImage(int32_t(state.range(0)), int32_t(state.range(0)));
  int64_t pixels = 0;
  for (auto _ : state) {
    IMG* r = IMGRotate(src, kAngle);
    pixels += int64_t(r->width) * r->height;
    IMGFree(&r);
  }
  state.SetItemsProcessed(pixels);
  IMGFree(&src);
}

void BM_BYTEMAPRotate(benchmark::State& state) {
  BYTEMAP* src = MakeMap(int32_t(state.range(0)), int32_t(state.range(0)));
  int64_t pixels = 0;
  for (auto _ : state) {
    BYTEMAP* r = BYTEMAPRotate(src, kAngle);
    pixels += int64_t(r->width) * r->height;
    BYTEMAPFree(&r);
  }
  state.SetItemsProcessed(pixels);
  BYTEMAPFree(&src);
}

#ifdef K8_HAVE_SDLGFX
void BM_SDLgfx_rotozoom(benchmark::State& state) {
  SDL_Surface* src = MakeSurface(int(state.range(0)), int(state.range(0)), int(state.range(1)));
  int64_t pixels = 0;
  for (auto _ : state) {
    SDL_Surface* r = rotozoomSurface(src, kAngleDegrees, 1.0, SMOOTHING_OFF);
    pixels += int64_t(r->w) * r->h;
    SDL_FreeSurface(r);
  }
  state.SetItemsProcessed(pixels);
  SDL_FreeSurface(src);
}
#endif

BENCHMARK(BM_IMGScale)->Args({256, 1024})->Args({1024, 256})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SDL_SoftStretch)
    ->Args({256, 1024, 32})
    ->Args({1024, 256, 32})
    ->Args({256, 1024, 8})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BYTEMAPScale)->Args({256, 1024})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IMGRotate)->Arg(256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BYTEMAPRotate)->Arg(256)->Unit(benchmark::kMicrosecond);
#ifdef K8_HAVE_SDLGFX
BENCHMARK(BM_SDLgfx_rotozoom)->Args({256, 32})->Args({256, 8})->Unit(benchmark::kMicrosecond);
#endif

// Prints the usual table and keeps each run's time for the closing comparison.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> nsPerPixel;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      auto items = run.counters.find("items_per_second");
      if (!run.error_occurred && items != run.counters.end() && items->second.value > 0)
        nsPerPixel[run.benchmark_name()] = 1e9 / items->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void PrintRatios(const RatioReporter& r) {
  const std::pair<const char*, const char*> pairs[] = {
      {"BM_IMGScale/256/1024", "BM_SDL_SoftStretch/256/1024/32"},
      {"BM_IMGScale/1024/256", "BM_SDL_SoftStretch/1024/256/32"},
      {"BM_BYTEMAPScale/256/1024", "BM_SDL_SoftStretch/256/1024/8"},
      {"BM_IMGRotate/256", "BM_SDLgfx_rotozoom/256/32"},
      {"BM_BYTEMAPRotate/256", "BM_SDLgfx_rotozoom/256/8"},
  };
  std::printf("\n%-28s %-32s %s\n", "ours", "theirs", "time per result pixel, ours/theirs");
  for (auto [ours, theirs] : pairs) {
    auto a = r.nsPerPixel.find(ours), b = r.nsPerPixel.find(theirs);
    if (a == r.nsPerPixel.end() || b == r.nsPerPixel.end()) continue;
    std::printf("%-28s %-32s %.2f\n", ours, theirs, a->second / b->second);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter);
  benchmark::Shutdown();
  return 0;
}

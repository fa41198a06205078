// What drawing one frame of each scene costs, without pacing and without presenting, and
// what share of the 20 ms frame budget (50 frames per second) that is: printed after the
// usual table, one line per scene.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/random.h"
#include "bench/ratios.h"
#include "demo/demo.h"

namespace {

// The objects the scenes draw with, made as start-up makes them but without a display.
struct Objects {
  Objects() {
    DemoSeedRandom(DemoRandomSeedValue);
    screen = IMGNew();
    IMGResize(screen, screenWidth, screenHeight);
    bytemap = BYTEMAPNew();
    BYTEMAPResize(bytemap, screenWidth, screenHeight);
    palette = PALETTENew();
    PALETTEFillHueCircle(palette);
    font = FONTNew();
    font->sheet = IMGParsePNM(FONTSheetPBM, FONTSheetPBMSize);
    font->glyphWidth = 8;
    font->glyphHeight = 8;
  }
};

void EnsureObjects() { static Objects objects; }


struct Rect {
  int32_t x, y, w, h;
  uint8_t colour;
};

// The rectangles of one whole subdivision, in drawing order, by scene 1's rule.
void Subdivide(std::vector<Rect>& out, int32_t x, int32_t y, int32_t w, int32_t h, uint8_t c) {
  if (w < 3 || h < 3) return;
  out.push_back({x, y, w, h, c});
  c = static_cast<uint8_t>(c + 10);
  int32_t sw = DemoSplitPoint(w), sh = DemoSplitPoint(h);
  Subdivide(out, x + 1, y + 1, sw - 2, sh - 2, c);
  Subdivide(out, x + sw + 1, y + 1, w - sw - 2, sh - 2, c);
  Subdivide(out, x + 1, y + sh + 1, sw - 2, h - sh - 2, c);
  Subdivide(out, x + sw + 1, y + sh + 1, w - sw - 2, h - sh - 2, c);
}

void BM_Scene1SubdivisionFrame(benchmark::State& state) {
  EnsureObjects();
  std::vector<Rect> rects;
  Subdivide(rects, 0, 0, screenWidth, screenHeight, 0);
  size_t i = 0;
  for (auto _ : state) {
    const Rect& r = rects[i++ % rects.size()];
    BYTEMAPFillRect(bytemap, r.x, r.y, r.w, r.h, r.colour);
    BYTEMAPToIMG(bytemap, screen, palette);
  }
  state.counters["rects"] = static_cast<double>(rects.size());
}
BENCHMARK(BM_Scene1SubdivisionFrame);

void BM_Scene1CycleFrame(benchmark::State& state) {
  EnsureObjects();
  for (auto _ : state) {
    BYTEMAPAdd(bytemap, 1);
    BYTEMAPToIMG(bytemap, screen, palette);
    DemoDrawLogo();
  }
}
BENCHMARK(BM_Scene1CycleFrame);

void BM_Scene2PanelFrame(benchmark::State& state) {
  EnsureObjects();
  for (auto _ : state) {
    TextureDraw(0, 0, screenWidth - 64, screenHeight);
    StripDraw(0, 0, 64, screenHeight);
    DemoDrawPanel();
    DemoDrawCorners(screen, 64, 0, screenWidth - 64, screenHeight, 0x4080F0);
    DemoDrawCorners(screen, 0, 0, 64, screenHeight, 0xF08040);
  }
}
BENCHMARK(BM_Scene2PanelFrame);

void BM_Scene2FullFrame(benchmark::State& state) {
  EnsureObjects();
  for (auto _ : state) {
    TextureDraw(0, 0, screenWidth, screenHeight);
    DemoDrawLogo();
    DemoDrawCorners(screen, 0, 0, screenWidth, screenHeight, 0x80F040);
  }
}
BENCHMARK(BM_Scene2FullFrame);

void BM_Scene3Frame(benchmark::State& state) {
  EnsureObjects();
  uint8_t c = 0;
  for (auto _ : state) {
    IMGClear(screen);
    c = static_cast<uint8_t>(c + 4);
    DemoDrawRings(screen, 0, 0, screenWidth, screenHeight, c);
    DemoDrawLogo();
  }
}
BENCHMARK(BM_Scene3Frame);

void BM_Scene4Frame(benchmark::State& state) {
  EnsureObjects();
  MosaicClearList();
  MosaicRecord(0, 0, screenWidth, screenHeight, 17, 8);
  for (auto _ : state) {
    for (int i = 0; i < 4; ++i) MosaicRedraw();
    DemoDrawLogo();
  }
}
BENCHMARK(BM_Scene4Frame);

// After the console table, each scene's median CPU time per frame as a share of 20 ms.
void PrintBudget(const bench::MedianReporter& reporter) {
  std::printf("\nShare of the 20 ms frame budget (CPU time per frame):\n");
  for (const std::string& name : reporter.Names())
    if (auto t = reporter.Median(name))
      std::printf("  %-28s %9.3f ms  %6.2f %%\n", name.c_str(), t->seconds * 1e3,
                  t->seconds / 0.020 * 100.0);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::MedianReporter reporter(benchmark::ConsoleReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintBudget(reporter);
  benchmark::Shutdown();
  return 0;
}

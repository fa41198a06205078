// Byte map benchmarks for the per-frame work of scene 1: the palette conversion of a
// 256 x 256 map into a true-colour image, beside SDL 1.2 blitting an 8-bit palettised surface
// (same pixels, same palette) onto a 32-bit one; and the colour-cycling add.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>

#include "audio/palette.h"
#include "bench/ratios.h"
#include "bytemap/bytemap.h"

namespace {

constexpr int32_t kSide = 256;

struct Scene1Frame {
  BYTEMAP* map = BYTEMAPNew();
  IMG* image = IMGNew();
  PALETTE* palette = PALETTENew();
  Scene1Frame() {
    BYTEMAPResize(map, kSide, kSide);
    IMGResize(image, kSide, kSide);
    PALETTEFillHueCircle(palette);
    for (int32_t i = 0; i < kSide * kSide; ++i)
      map->pixels[i] = static_cast<uint8_t>((i * 7 + (i >> 8) * 13) & 0xFF);
  }
  ~Scene1Frame() {
    BYTEMAPFree(&map);
    IMGFree(&image);
    PALETTEFree(&palette);
  }
};

void BM_BYTEMAPToIMG(benchmark::State& state) {
  Scene1Frame f;
  for (auto _ : state) {
    BYTEMAPToIMG(f.map, f.image, f.palette);
    benchmark::DoNotOptimize(f.image->pixels[0]);
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_BYTEMAPToIMG);

// The same conversion done by SDL: an 8-bit surface holding the map's bytes with the
// palette's colours, blitted onto a 32-bit surface in the IMG layout.
void BM_SDL_BlitPalettisedTo32(benchmark::State& state) {
  Scene1Frame f;
  SDL_Surface* indexed = SDL_CreateRGBSurface(SDL_SWSURFACE, kSide, kSide, 8, 0, 0, 0, 0);
  SDL_Surface* truecolour =
      SDL_CreateRGBSurface(SDL_SWSURFACE, kSide, kSide, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  SDL_Color colours[256];
  for (int i = 0; i < 256; ++i) {
    const uint32_t c = static_cast<uint32_t>(f.palette->items[i]);
    colours[i] = {static_cast<Uint8>(c >> 16), static_cast<Uint8>(c >> 8), static_cast<Uint8>(c), 0};
  }
  SDL_SetColors(indexed, colours, 0, 256);
  for (int32_t y = 0; y < kSide; ++y)
    std::memcpy(static_cast<uint8_t*>(indexed->pixels) + y * indexed->pitch,
                f.map->pixels + y * kSide, kSide);
  for (auto _ : state) {
    SDL_BlitSurface(indexed, nullptr, truecolour, nullptr);
    benchmark::DoNotOptimize(truecolour->pixels);
  }
  // Both paths give the same picture.
  BYTEMAPToIMG(f.map, f.image, f.palette);
  for (int32_t y = 0; y < kSide; ++y)
    if (std::memcmp(static_cast<uint8_t*>(truecolour->pixels) + y * truecolour->pitch,
                    f.image->pixels + y * kSide, kSide * 4) != 0)
      state.SkipWithError("SDL's conversion differs from BYTEMAPToIMG");
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  SDL_FreeSurface(indexed);
  SDL_FreeSurface(truecolour);
}
BENCHMARK(BM_SDL_BlitPalettisedTo32);

void BM_BYTEMAPAdd(benchmark::State& state) {
  Scene1Frame f;
  for (auto _ : state) {
    BYTEMAPAdd(f.map, 1);
    benchmark::DoNotOptimize(f.map->pixels[0]);
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_BYTEMAPAdd);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv, {{"BM_BYTEMAPToIMG", "BM_SDL_BlitPalettisedTo32"}});
}

// Block transfers and copies on 256 x 256 pictures, each beside the library routine a user
// would reach for instead: the blends beside SDL_gfx's byte mean, the colour-keyed byte map
// blit beside SDL 1.2's colour-keyed 8-bit blit, IMGCopy beside malloc and memcpy. Where the
// two compute the same thing, each benchmark checks once, before timing, that they agree.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "bench/ratios.h"
#include "bytemap/bytemap.h"
#include "image/img.h"

#if __has_include(<SDL_imageFilter.h>)
#include <SDL_imageFilter.h>
#define K8_HAVE_SDLGFX 1
#endif

namespace {

constexpr int32_t kSide = 256;
constexpr int32_t kPixels = kSide * kSide;

uint32_t Noise(int32_t i) { return uint32_t(i) * 2654435761u >> 8; }

// Pictures without a transparent pixel, so that a blend averages every pixel, as the byte
// mean does. Colours keep their top byte 0, as everything the program makes does.
IMG* OpaqueImage(uint32_t seed) {
  IMG* image = IMGNew();
  IMGResize(image, kSide, kSide);
  for (int32_t i = 0; i < kPixels; ++i) image->pixels[i] = (Noise(i + seed) & 0xFFFFFF) | 1;
  return image;
}

BYTEMAP* OpaqueMap(uint32_t seed) {
  BYTEMAP* map = BYTEMAPNew();
  BYTEMAPResize(map, kSide, kSide);
  for (int32_t i = 0; i < kPixels; ++i) map->pixels[i] = uint8_t(Noise(i + seed) | 1);
  return map;
}

// A sprite: a noisy disc of radius 120 on 0, the transparent value.
BYTEMAP* SpriteMap() {
  BYTEMAP* map = OpaqueMap(7);
  for (int32_t y = 0; y < kSide; ++y)
    for (int32_t x = 0; x < kSide; ++x) {
      const int32_t dx = x - kSide / 2, dy = y - kSide / 2;
      if (dx * dx + dy * dy > 120 * 120) map->pixels[x + y * kSide] = 0;
    }
  return map;
}

// The blends' pictures, made once and shared by ours and SDL_gfx's, so that both work on
// the same blocks at the same addresses (how two blocks lie relative to each other changes
// the speed of a loop that reads one and writes the other); each benchmark starts them
// afresh.
struct BlendPictures {
  IMG* src = OpaqueImage(1);
  IMG* dst = OpaqueImage(2);
  BYTEMAP* srcMap = OpaqueMap(1);
  BYTEMAP* dstMap = OpaqueMap(2);
  void Reset() {
    for (int32_t i = 0; i < kPixels; ++i) {
      src->pixels[i] = (Noise(i + 1) & 0xFFFFFF) | 1;
      dst->pixels[i] = (Noise(i + 2) & 0xFFFFFF) | 1;
      srcMap->pixels[i] = uint8_t(Noise(i + 1) | 1);
      dstMap->pixels[i] = uint8_t(Noise(i + 2) | 1);
    }
  }
};

BlendPictures& Pictures() {
  static BlendPictures pictures;
  pictures.Reset();
  return pictures;
}

void BM_IMGBlend(benchmark::State& state) {
  BlendPictures& p = Pictures();
  for (auto _ : state) {
    IMGBlend(p.src, p.dst, 0, 0);
    benchmark::DoNotOptimize(p.dst->pixels);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_IMGBlend);

void BM_BYTEMAPBlend(benchmark::State& state) {
  BlendPictures& p = Pictures();
  for (auto _ : state) {
    BYTEMAPBlend(p.srcMap, p.dstMap, 0, 0);
    benchmark::DoNotOptimize(p.dstMap->pixels);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_BYTEMAPBlend);

#ifdef K8_HAVE_SDLGFX
// D = S1 / 2 + S2 / 2 on every byte, in place over the destination: the blend of an opaque
// source. range(0) is the bytes per pixel: 4 beside IMGBlend, 1 beside BYTEMAPBlend.
void BM_SDLgfx_Mean(benchmark::State& state) {
  const bool words = state.range(0) == 4;
  {
    // One blend each from the same start: the same bytes.
    BlendPictures& p = Pictures();
    IMG* image = IMGCopy(p.dst);
    BYTEMAP* map = BYTEMAPCopy(p.dstMap);
    IMGBlend(p.src, image, 0, 0);
    BYTEMAPBlend(p.srcMap, map, 0, 0);
    SDL_imageFilterMean(reinterpret_cast<unsigned char*>(p.src->pixels),
                        reinterpret_cast<unsigned char*>(p.dst->pixels),
                        reinterpret_cast<unsigned char*>(p.dst->pixels), kPixels * 4);
    SDL_imageFilterMean(p.srcMap->pixels, p.dstMap->pixels, p.dstMap->pixels, kPixels);
    if (!IMGEqual(image, p.dst) || !BYTEMAPEqual(map, p.dstMap))
      state.SkipWithError("the blends differ");
    IMGFree(&image);
    BYTEMAPFree(&map);
  }
  BlendPictures& p = Pictures();
  auto* src = words ? reinterpret_cast<unsigned char*>(p.src->pixels) : p.srcMap->pixels;
  auto* dst = words ? reinterpret_cast<unsigned char*>(p.dst->pixels) : p.dstMap->pixels;
  const unsigned length = unsigned(kPixels * state.range(0));
  for (auto _ : state) {
    SDL_imageFilterMean(src, dst, dst, length);
    benchmark::DoNotOptimize(dst);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_SDLgfx_Mean)->Arg(4)->Arg(1);
#endif

void BM_BYTEMAPBlitKeyed(benchmark::State& state) {
  BYTEMAP* src = SpriteMap();
  BYTEMAP* dst = OpaqueMap(2);
  for (auto _ : state) {
    BYTEMAPBlit(src, dst, 0, 0, 0, 0, kSide, kSide);
    benchmark::DoNotOptimize(dst->pixels);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
  BYTEMAPFree(&src);
  BYTEMAPFree(&dst);
}
BENCHMARK(BM_BYTEMAPBlitKeyed);

SDL_Surface* MapSurface(const BYTEMAP* map) {
  SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, kSide, kSide, 8, 0, 0, 0, 0);
  SDL_Color grey[256];
  for (int i = 0; i < 256; ++i) grey[i] = {Uint8(i), Uint8(i), Uint8(i), 0};
  SDL_SetColors(s, grey, 0, 256);
  for (int32_t y = 0; y < kSide; ++y)
    std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, map->pixels + y * kSide, kSide);
  return s;
}

bool SameAsMap(const SDL_Surface* s, const BYTEMAP* map) {
  for (int32_t y = 0; y < kSide; ++y)
    if (std::memcmp(static_cast<const uint8_t*>(s->pixels) + y * s->pitch,
                    map->pixels + y * kSide, kSide) != 0)
      return false;
  return true;
}

// The same sprite as an 8-bit surface with colour key 0, blitted onto an 8-bit surface with
// the same palette (SDL's keyed byte-to-byte copy).
void BM_SDL_BlitKeyed8(benchmark::State& state) {
  BYTEMAP* sprite = SpriteMap();
  BYTEMAP* back = OpaqueMap(2);
  SDL_Surface* src = MapSurface(sprite);
  SDL_Surface* dst = MapSurface(back);
  SDL_SetColorKey(src, SDL_SRCCOLORKEY, 0);
  SDL_BlitSurface(src, nullptr, dst, nullptr);
  BYTEMAPBlit(sprite, back, 0, 0, 0, 0, kSide, kSide);
  if (!SameAsMap(dst, back)) state.SkipWithError("the keyed blits differ");
  for (auto _ : state) {
    SDL_BlitSurface(src, nullptr, dst, nullptr);
    benchmark::DoNotOptimize(dst->pixels);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
  BYTEMAPFree(&sprite);
  BYTEMAPFree(&back);
}
BENCHMARK(BM_SDL_BlitKeyed8);

// Both copies read the same picture, so that the copy loop sees the same source address.
IMG* CopySource() {
  static IMG* source = OpaqueImage(1);
  return source;
}

void BM_IMGCopy(benchmark::State& state) {
  IMG* src = CopySource();
  for (auto _ : state) {
    IMG* copy = IMGCopy(src);
    benchmark::DoNotOptimize(copy->pixels);
    IMGFree(&copy);
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_IMGCopy);

// A record and a block from malloc, the pixels copied with memcpy: the least a copy costs.
void BM_MallocMemcpy(benchmark::State& state) {
  IMG* src = CopySource();
  const size_t bytes = size_t(kPixels) * sizeof(uint32_t);
  {
    IMG* ours = IMGCopy(src);
    if (!IMGEqual(ours, src)) state.SkipWithError("IMGCopy differs from its source");
    IMGFree(&ours);
  }
  for (auto _ : state) {
    auto* copy = static_cast<IMG*>(std::malloc(sizeof(IMG)));
    copy->width = src->width;
    copy->height = src->height;
    copy->pixels = static_cast<uint32_t*>(std::malloc(bytes));
    std::memcpy(copy->pixels, src->pixels, bytes);
    benchmark::DoNotOptimize(copy->pixels);
    std::free(copy->pixels);
    std::free(copy);
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_MallocMemcpy);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv,
                              {
                                  {"BM_IMGBlend", "BM_SDLgfx_Mean/4"},
                                  {"BM_BYTEMAPBlend", "BM_SDLgfx_Mean/1"},
                                  {"BM_BYTEMAPBlitKeyed", "BM_SDL_BlitKeyed8"},
                                  {"BM_IMGCopy", "BM_MallocMemcpy"},
                              });
}

// Geometry benchmarks: IMG and BYTEMAP scaling and rotation beside their SDL counterparts
// (SDL_SoftStretch on surfaces of the same depth, SDL_gfx rotozoomSurface without
// smoothing) and pixman's nearest-neighbour transformed copies (x8r8g8b8 for IMG, a8 for
// BYTEMAP), with a closing table of time ratios (ours / theirs; below 1 means faster).
// pixman samples at pixel centres, so its picks differ from the run tables' by a pixel here
// and there: the same work, not the same bytes.
//
// The rotations are not quite the same work: ours always makes a 1.414-times larger result
// (361 x 361 from 256 x 256), rotozoom only the bounding box of the turned picture (about
// 350 x 350 at 30 degrees); items per second count result pixels so rates compare fairly.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "bench/ratios.h"
#include "bytemap/bytemap.h"
#include "image/img.h"

#if __has_include(<SDL_rotozoom.h>)
#include <SDL_rotozoom.h>
#define K8_HAVE_SDLGFX 1
#elif __has_include(<SDL/SDL_rotozoom.h>)
#include <SDL/SDL_rotozoom.h>
#define K8_HAVE_SDLGFX 1
#endif
#ifdef K8_HAVE_PIXMAN
#include <pixman.h>
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

#ifdef K8_HAVE_PIXMAN
// A pixman image over a fresh block of noise: x8r8g8b8 (depth 32) or a8 (depth 8).
pixman_image_t* MakePixmanImage(int w, int h, int depth) {
  const int stride = depth == 32 ? w * 4 : (w + 3) / 4 * 4;
  auto* bits = static_cast<uint32_t*>(std::calloc(size_t(stride) * h / 4 + 1, 4));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t v = Noise(x + y * w);
      if (depth == 32) bits[x + y * w] = v & 0xFFFFFF;
      else reinterpret_cast<uint8_t*>(bits)[x + y * stride] = uint8_t(v);
    }
  pixman_image_t* image = pixman_image_create_bits(depth == 32 ? PIXMAN_x8r8g8b8 : PIXMAN_a8,
                                                   w, h, bits, stride);
  pixman_image_set_destroy_function(
      image, [](pixman_image_t*, void* data) { std::free(data); }, bits);
  return image;
}

// Copies src through the transform (destination to source coordinates) into a new w x h
// image, nearest neighbour, 0 outside the source.
void TransformedCopy(pixman_image_t* src, const pixman_f_transform& f, pixman_image_t* dst) {
  pixman_transform_t t;
  pixman_transform_from_pixman_f_transform(&t, &f);
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0,
                           pixman_image_get_width(dst), pixman_image_get_height(dst));
}

// range: source side, result side, depth.
void BM_pixman_Scale(benchmark::State& state) {
  const int from = int(state.range(0)), to = int(state.range(1)), depth = int(state.range(2));
  pixman_image_t* src = MakePixmanImage(from, from, depth);
  pixman_image_t* dst = MakePixmanImage(to, to, depth);
  pixman_f_transform f;
  pixman_f_transform_init_scale(&f, double(from) / to, double(from) / to);
  for (auto _ : state) {
    TransformedCopy(src, f, dst);
    benchmark::DoNotOptimize(pixman_image_get_data(dst));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * to * to);
  pixman_image_unref(src);
  pixman_image_unref(dst);
}

// Turned by 30 degrees about the centre into a new image of the size ours makes (361 x 361
// from 256 x 256), made and released each time as IMGRotate's is.
void BM_pixman_Rotate(benchmark::State& state) {
  const int side = int(state.range(0)), depth = int(state.range(1));
  const int turned = int((int64_t(side) * 92667) >> 16);
  pixman_image_t* src = MakePixmanImage(side, side, depth);
  const double a = kAngleDegrees * M_PI / 180.0;
  pixman_f_transform f;
  pixman_f_transform_init_translate(&f, -turned / 2.0, -turned / 2.0);
  pixman_f_transform_rotate(&f, nullptr, std::cos(a), std::sin(a));
  pixman_f_transform_translate(&f, nullptr, side / 2.0, side / 2.0);
  int64_t pixels = 0;
  for (auto _ : state) {
    pixman_image_t* dst = pixman_image_create_bits(depth == 32 ? PIXMAN_x8r8g8b8 : PIXMAN_a8,
                                                   turned, turned, nullptr, 0);
    TransformedCopy(src, f, dst);
    benchmark::DoNotOptimize(pixman_image_get_data(dst));
    pixels += int64_t(turned) * turned;
    pixman_image_unref(dst);
  }
  state.SetItemsProcessed(pixels);
  pixman_image_unref(src);
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
#ifdef K8_HAVE_PIXMAN
BENCHMARK(BM_pixman_Scale)
    ->Args({256, 1024, 32})
    ->Args({1024, 256, 32})
    ->Args({256, 1024, 8})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_pixman_Rotate)->Args({256, 32})->Args({256, 8})->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

int main(int argc, char** argv) {
  // Per result pixel: the rotations' results differ in size.
  return bench::RunWithRatios(argc, argv,
                              {
                                  {"BM_IMGScale/256/1024", "BM_SDL_SoftStretch/256/1024/32"},
                                  {"BM_IMGScale/256/1024", "BM_pixman_Scale/256/1024/32"},
                                  {"BM_IMGScale/1024/256", "BM_SDL_SoftStretch/1024/256/32"},
                                  {"BM_IMGScale/1024/256", "BM_pixman_Scale/1024/256/32"},
                                  {"BM_BYTEMAPScale/256/1024", "BM_SDL_SoftStretch/256/1024/8"},
                                  {"BM_BYTEMAPScale/256/1024", "BM_pixman_Scale/256/1024/8"},
                                  {"BM_IMGRotate/256", "BM_SDLgfx_rotozoom/256/32"},
                                  {"BM_IMGRotate/256", "BM_pixman_Rotate/256/32"},
                                  {"BM_BYTEMAPRotate/256", "BM_SDLgfx_rotozoom/256/8"},
                                  {"BM_BYTEMAPRotate/256", "BM_pixman_Rotate/256/8"},
                              });
}

// Platform benchmarks: presenting a 256 x 256 frame, and the two IMG operations that run
// next to it every frame of a fade (darken) and of most scenes (fill), each beside its SDL
// or SDL_gfx counterpart. Headless: SDL's dummy video driver on a 32-bit screen.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "image/img.h"
#include "platform/sdldpy.h"

#if __has_include(<SDL_imageFilter.h>)
#include <SDL_imageFilter.h>
#define K8_HAVE_SDLGFX 1
#endif

namespace {

constexpr int32_t kSide = 256;

IMG* Frame() {
  IMG* image = IMGNew();
  IMGResize(image, kSide, kSide);
  for (int32_t i = 0; i < kSide * kSide; ++i) image->pixels[i] = uint32_t(i) * 2654435761u >> 8;
  return image;
}

// Opens a 32-bit mode first so the display's depth-0 mode inherits 32 bits (the dummy
// driver otherwise starts at 8).
SDLDPY* OpenDisplay() {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  SDL_InitSubSystem(SDL_INIT_VIDEO);
  SDL_SetVideoMode(16, 16, 32, SDL_SWSURFACE);
  return SDLDPYNew();
}

void CloseDisplay(SDLDPY* display) {
  SDLDPYFree(&display);
  SDL_Quit();
}

void BM_SDLDPYShowIMG(benchmark::State& state) {
  SDLDPY* display = OpenDisplay();
  IMG* image = Frame();
  for (auto _ : state) SDLDPYShowIMG(display, image);
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  IMGFree(&image);
  CloseDisplay(display);
}
BENCHMARK(BM_SDLDPYShowIMG);

// The same present with one surface made around the image up front and no conversion:
// what the per-frame temporaries and SDL_DisplayFormat cost.
void BM_SDL_BlitPreparedSurface(benchmark::State& state) {
  SDLDPY* display = OpenDisplay();
  IMG* image = Frame();
  SDL_Surface* wrapped = SDL_CreateRGBSurfaceFrom(image->pixels, kSide, kSide, 32, kSide * 4,
                                                  0xFF0000, 0xFF00, 0xFF, 0);
  for (auto _ : state) {
    SDL_Rect origin = {0, 0, 0, 0};
    SDL_UpperBlit(wrapped, nullptr, SDLDPYSurface, &origin);
    SDL_UpdateRect(SDLDPYSurface, 0, 0, 0, 0);
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  SDL_FreeSurface(wrapped);
  IMGFree(&image);
  CloseDisplay(display);
}
BENCHMARK(BM_SDL_BlitPreparedSurface);

void BM_IMGDarken(benchmark::State& state) {
  IMG* image = Frame();
  for (auto _ : state) {
    IMGDarken(image, 8);
    benchmark::DoNotOptimize(image->pixels[0]);
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  IMGFree(&image);
}
BENCHMARK(BM_IMGDarken);

#ifdef K8_HAVE_SDLGFX
// Saturating byte subtraction over the whole block (the top byte included).
void BM_SDLgfx_SubByte(benchmark::State& state) {
  IMG* image = Frame();
  auto* bytes = reinterpret_cast<unsigned char*>(image->pixels);
  for (auto _ : state) {
    SDL_imageFilterSubByte(bytes, bytes, kSide * kSide * 4, 8);
    benchmark::DoNotOptimize(image->pixels[0]);
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  IMGFree(&image);
}
BENCHMARK(BM_SDLgfx_SubByte);
#endif

void BM_IMGFillRect(benchmark::State& state) {
  IMG* image = Frame();
  uint32_t colour = 0;
  for (auto _ : state) {
    IMGFillRect(image, 0, 0, kSide, kSide, ++colour);
    benchmark::DoNotOptimize(image->pixels[0]);
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  IMGFree(&image);
}
BENCHMARK(BM_IMGFillRect);

void BM_SDL_FillRect(benchmark::State& state) {
  SDL_Surface* surface =
      SDL_CreateRGBSurface(SDL_SWSURFACE, kSide, kSide, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  uint32_t colour = 0;
  for (auto _ : state) {
    SDL_FillRect(surface, nullptr, ++colour);
    benchmark::DoNotOptimize(surface->pixels);
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  SDL_FreeSurface(surface);
}
BENCHMARK(BM_SDL_FillRect);

}  // namespace

BENCHMARK_MAIN();

// Platform benchmarks: presenting a 256 x 256 frame, and the IMG operations that run next to
// it every frame of a fade (darken) and of most scenes (fill, clear), each beside its SDL,
// SDL_gfx or pixman counterpart. Headless: SDL's dummy video driver on a 32-bit screen.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "bench/ratios.h"
#include "image/img.h"
#include "platform/sdldpy.h"

#if __has_include(<SDL_imageFilter.h>)
#include <SDL_imageFilter.h>
#define K8_HAVE_SDLGFX 1
#endif
#ifdef K8_HAVE_PIXMAN
#include <pixman.h>
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
// Saturating byte subtraction over the whole block (the top byte included, which ours
// clears instead: on the program's pictures, whose top byte is 0, the two agree).
void BM_SDLgfx_SubByte(benchmark::State& state) {
  IMG* image = Frame();
  auto* bytes = reinterpret_cast<unsigned char*>(image->pixels);
  {
    IMG* ours = Frame();
    SDL_imageFilterSubByte(bytes, bytes, kSide * kSide * 4, 8);
    IMGDarken(ours, 8);
    if (!IMGEqual(ours, image)) state.SkipWithError("the darkened pictures differ");
    IMGFree(&ours);
  }
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

void BM_IMGClear(benchmark::State& state) {
  IMG* image = Frame();
  for (auto _ : state) {
    IMGClear(image);
    benchmark::DoNotOptimize(image->pixels[0]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  IMGFree(&image);
}
BENCHMARK(BM_IMGClear);

void BM_SDL_FillRectClear(benchmark::State& state) {
  SDL_Surface* surface =
      SDL_CreateRGBSurface(SDL_SWSURFACE, kSide, kSide, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  for (auto _ : state) {
    SDL_FillRect(surface, nullptr, 0);
    benchmark::DoNotOptimize(surface->pixels);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  SDL_FreeSurface(surface);
}
BENCHMARK(BM_SDL_FillRectClear);

#ifdef K8_HAVE_PIXMAN
// pixman's solid fill over the frame's own block (stride in words, 32 bits per pixel).
// range(0) 1: a new colour each time, as BM_IMGFillRect; 0: always 0, as BM_IMGClear.
void BM_pixman_fill(benchmark::State& state) {
  IMG* image = Frame();
  const bool colours = state.range(0) != 0;
  {
    IMG* ours = Frame();
    IMGFillRect(ours, 0, 0, kSide, kSide, 0x123456);
    pixman_fill(image->pixels, kSide, 32, 0, 0, kSide, kSide, 0x123456);
    if (!IMGEqual(ours, image)) state.SkipWithError("the fills differ");
    IMGFree(&ours);
  }
  uint32_t colour = 0;
  for (auto _ : state) {
    pixman_fill(image->pixels, kSide, 32, 0, 0, kSide, kSide, colours ? ++colour : 0);
    benchmark::DoNotOptimize(image->pixels[0]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  IMGFree(&image);
}
BENCHMARK(BM_pixman_fill)->Arg(1)->Arg(0);
#endif

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv,
                              {
                                  {"BM_SDLDPYShowIMG", "BM_SDL_BlitPreparedSurface"},
                                  {"BM_IMGDarken", "BM_SDLgfx_SubByte"},
                                  {"BM_IMGFillRect", "BM_pixman_fill/1"},
                                  {"BM_IMGFillRect", "BM_SDL_FillRect"},
                                  {"BM_IMGClear", "BM_pixman_fill/0"},
                                  {"BM_IMGClear", "BM_SDL_FillRectClear"},
                              });
}

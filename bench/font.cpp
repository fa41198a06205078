// The font beside SDL: a 32-character line drawn with FONTDrawString into a 256 x 256 IMG,
// and the same 32 glyph cells blitted with SDL_BlitSurface from a 32-bit surface holding the
// sheet (colour key 0, as our blit treats 0 as transparent) into a 256 x 256 32-bit surface.
// Also IMGParsePNM of the built-in sheet beside a bare unpacking of its bits, the floor for
// any reader. The ratios are printed after the table.
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/ratios.h"
#include "image/font.h"
#include "image/img.h"

namespace {

const char kLine[] = "KESTREL8 font: 0123456789 ABC.:!";
static_assert(sizeof kLine - 1 == 32);

FONT* DemoFont() {
  FONT* font = FONTNew();
  font->sheet = IMGParsePNM(FONTSheetPBM, FONTSheetPBMSize);
  font->glyphWidth = font->glyphHeight = 8;
  return font;
}

IMG* Screen() {
  IMG* screen = IMGNew();
  IMGResize(screen, 256, 256);
  return screen;
}

void BM_FontDrawString(benchmark::State& state) {
  FONT* font = DemoFont();
  IMG* screen = Screen();
  for (auto _ : state) {
    FONTDrawString(font, kLine, 0, 100, screen);
    benchmark::DoNotOptimize(screen->pixels);
    benchmark::ClobberMemory();
  }
  IMGFree(&screen);
  FONTFree(&font);
}
BENCHMARK(BM_FontDrawString);

SDL_Surface* Surface32(int w, int h) {
  return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
}

void BM_SDLBlitString(benchmark::State& state) {
  FONT* font = DemoFont();
  SDL_Surface* sheet = Surface32(128, 144);
  SDL_Surface* screen = Surface32(256, 256);
  if (!sheet || !screen) {
    state.SkipWithError("no SDL surface");
    return;
  }
  for (int y = 0; y < 144; ++y)
    std::memcpy(static_cast<uint8_t*>(sheet->pixels) + y * sheet->pitch,
                font->sheet->pixels + y * 128, 128 * sizeof(uint32_t));
  SDL_SetColorKey(sheet, SDL_SRCCOLORKEY, 0);
  for (auto _ : state) {
    for (int i = 0; i < 32; ++i) {
      const int c = static_cast<unsigned char>(kLine[i]);
      SDL_Rect src{Sint16(8 * (c % 16)), Sint16(8 * (c / 16)), 8, 8};
      SDL_Rect dst{Sint16(8 * i), 100, 8, 8};
      SDL_BlitSurface(sheet, &src, screen, &dst);
    }
    benchmark::DoNotOptimize(screen->pixels);
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(screen);
  SDL_FreeSurface(sheet);
  FONTFree(&font);
}
BENCHMARK(BM_SDLBlitString);

void BM_ParseSheet(benchmark::State& state) {
  for (auto _ : state) {
    IMG* sheet = IMGParsePNM(FONTSheetPBM, FONTSheetPBMSize);
    benchmark::DoNotOptimize(sheet->pixels);
    IMGFree(&sheet);
  }
}
BENCHMARK(BM_ParseSheet);

// The least a reader must do: allocate the words and expand 2304 bytes of bits into them.
void BM_UnpackSheetFloor(benchmark::State& state) {
  const uint8_t* bits = FONTSheetPBM + FONTSheetPBMSize - 2304;
  for (auto _ : state) {
    auto* words = static_cast<uint32_t*>(std::calloc(128 * 144, sizeof(uint32_t)));
    for (int i = 0; i < 128 * 144; ++i)
      words[i] = (bits[i >> 3] >> (7 - (i & 7)) & 1) ? 0x00FFFFFFu : 0u;
    benchmark::DoNotOptimize(words);
    std::free(words);
  }
}
BENCHMARK(BM_UnpackSheetFloor);

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) std::printf("SDL_Init: %s\n", SDL_GetError());
  const int status = bench::RunWithRatios(
      argc, argv,
      {{"BM_FontDrawString", "BM_SDLBlitString"}, {"BM_ParseSheet", "BM_UnpackSheetFloor"}});
  SDL_Quit();
  return status;
}

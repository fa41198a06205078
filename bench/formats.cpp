// The image readers beside stb_image reading the same PNM data (from memory and from a file),
// its bytes then turned into what IMG and BYTEMAP hold, and beside SDL_LoadBMP_RW of the same
// picture as a 24-bit BMP in memory converted to a 32-bit surface (what an SDL 1.2 program has
// at hand). Each pair is checked to give the same pixels before it is timed. Also the text form
// both ways, whose cost is the per-number formatting and scanning.
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>
#include <stb/stb_image.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/ratios.h"
#include "bytemap/bytemap.h"
#include "image/img.h"

namespace {

constexpr int kSide = 256;

uint8_t Channel(int x, int y, int c) { return static_cast<uint8_t>(x * (c + 1) + y * (3 - c)); }

std::string Pixmap() {
  std::string data = "P6\n256 256\n255\n";
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      for (int c = 0; c < 3; ++c) data += static_cast<char>(Channel(x, y, c));
  return data;
}

std::string Greymap() {
  std::string data = "P5\n256 256\n255\n";
  for (int i = 0; i < kSide * kSide; ++i) data += static_cast<char>(i * 7);
  return data;
}

void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

// A bottom-up 24-bit BMP of the pixmap's picture (rows of 768 bytes need no padding).
std::string Bitmap() {
  std::string s = "BM";
  Put32(s, 54 + kSide * kSide * 3);
  Put32(s, 0);
  Put32(s, 54);
  Put32(s, 40);
  Put32(s, kSide);
  Put32(s, kSide);
  Put32(s, 1 | 24 << 16);  // planes, bits per pixel
  for (int i = 0; i < 6; ++i) Put32(s, 0);
  for (int y = kSide - 1; y >= 0; --y)
    for (int x = 0; x < kSide; ++x)
      for (int c = 2; c >= 0; --c) s += static_cast<char>(Channel(x, y, c));
  return s;
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

void BM_IMGParsePNM(benchmark::State& state) {
  const std::string data = Pixmap();
  for (auto _ : state) {
    IMG* image = IMGParsePNM(Bytes(data), data.size());
    benchmark::DoNotOptimize(image->pixels);
    IMGFree(&image);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_IMGParsePNM);

void BM_SDLLoadBMP(benchmark::State& state) {
  const std::string data = Bitmap();
  SDL_PixelFormat format{};
  format.BitsPerPixel = 32;
  format.BytesPerPixel = 4;
  format.Rmask = 0x00FF0000;
  format.Gmask = 0x0000FF00;
  format.Bmask = 0x000000FF;
  format.Rshift = 16;
  format.Gshift = 8;
  for (auto _ : state) {
    SDL_Surface* loaded = SDL_LoadBMP_RW(SDL_RWFromConstMem(data.data(), int(data.size())), 1);
    if (!loaded) {
      state.SkipWithError("SDL_LoadBMP_RW failed");
      return;
    }
    SDL_Surface* converted = SDL_ConvertSurface(loaded, &format, SDL_SWSURFACE);
    benchmark::DoNotOptimize(converted->pixels);
    SDL_FreeSurface(converted);
    SDL_FreeSurface(loaded);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_SDLLoadBMP);

void BM_BYTEMAPParsePNM(benchmark::State& state) {
  const std::string data = Greymap();
  for (auto _ : state) {
    BYTEMAP* map = BYTEMAPParsePNM(Bytes(data), data.size());
    benchmark::DoNotOptimize(map->pixels);
    BYTEMAPFree(&map);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_BYTEMAPParsePNM);

// stb_image's pixels turned into IMG's words (0x00RRGGBB), as a program using it would.
uint32_t* Swizzle(const stbi_uc* rgb, size_t count) {
  auto* words = static_cast<uint32_t*>(std::malloc(count * sizeof(uint32_t)));
  for (size_t i = 0; i < count; ++i, rgb += 3)
    words[i] = uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
  return words;
}

void BM_StbLoadPPMToWords(benchmark::State& state) {
  const std::string data = Pixmap();
  auto load = [&] {
    int w, h, n;
    stbi_uc* rgb = stbi_load_from_memory(Bytes(data), int(data.size()), &w, &h, &n, 3);
    uint32_t* words = Swizzle(rgb, size_t(w) * size_t(h));
    stbi_image_free(rgb);
    return words;
  };
  IMG* ours = IMGParsePNM(Bytes(data), data.size());
  uint32_t* theirs = load();
  const bool same = std::memcmp(theirs, ours->pixels, kSide * kSide * 4) == 0;
  std::free(theirs);
  IMGFree(&ours);
  if (!same) return state.SkipWithError("stb_image and IMGParsePNM differ");
  for (auto _ : state) {
    uint32_t* words = load();
    benchmark::DoNotOptimize(words);
    std::free(words);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_StbLoadPPMToWords);

void BM_StbLoadPGM(benchmark::State& state) {
  const std::string data = Greymap();
  auto load = [&] {
    int w, h, n;
    return stbi_load_from_memory(Bytes(data), int(data.size()), &w, &h, &n, 1);
  };
  BYTEMAP* ours = BYTEMAPParsePNM(Bytes(data), data.size());
  stbi_uc* theirs = load();
  const bool same = std::memcmp(theirs, ours->pixels, kSide * kSide) == 0;
  stbi_image_free(theirs);
  BYTEMAPFree(&ours);
  if (!same) return state.SkipWithError("stb_image and BYTEMAPParsePNM differ");
  for (auto _ : state) {
    stbi_uc* grey = load();
    benchmark::DoNotOptimize(grey);
    stbi_image_free(grey);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_StbLoadPGM);

// The pixmap as a file in /tmp for the file readers, removed when the benchmark ends.
struct PixmapFile {
  std::string path = "/tmp/k8bench_formats_" + std::to_string(getpid()) + ".ppm";
  std::string data = Pixmap();
  PixmapFile() {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data.data(), 1, data.size(), file) != data.size() ||
        std::fclose(file) != 0)
      std::abort();
  }
  ~PixmapFile() { std::remove(path.c_str()); }
};

void BM_IMGReadPNMFile(benchmark::State& state) {
  const PixmapFile file;
  for (auto _ : state) {
    IMG* image = IMGReadPNM(file.path.c_str());
    benchmark::DoNotOptimize(image->pixels);
    IMGFree(&image);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.data.size()));
}
BENCHMARK(BM_IMGReadPNMFile);

void BM_StbLoadPPMFileToWords(benchmark::State& state) {
  const PixmapFile file;
  auto load = [&] {
    int w, h, n;
    stbi_uc* rgb = stbi_load(file.path.c_str(), &w, &h, &n, 3);
    uint32_t* words = Swizzle(rgb, size_t(w) * size_t(h));
    stbi_image_free(rgb);
    return words;
  };
  IMG* ours = IMGReadPNM(file.path.c_str());
  uint32_t* theirs = load();
  const bool same = std::memcmp(theirs, ours->pixels, kSide * kSide * 4) == 0;
  std::free(theirs);
  IMGFree(&ours);
  if (!same) return state.SkipWithError("stb_image and IMGReadPNM differ");
  for (auto _ : state) {
    uint32_t* words = load();
    benchmark::DoNotOptimize(words);
    std::free(words);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.data.size()));
}
BENCHMARK(BM_StbLoadPPMFileToWords);

void BM_IMGToASCII(benchmark::State& state) {
  const std::string data = Pixmap();
  IMG* image = IMGParsePNM(Bytes(data), data.size());
  for (auto _ : state) {
    char* text = IMGToASCII(image);
    benchmark::DoNotOptimize(text);
    free(text);
  }
  IMGFree(&image);
}
BENCHMARK(BM_IMGToASCII);

void BM_IMGFromASCII(benchmark::State& state) {
  const std::string data = Pixmap();
  IMG* image = IMGParsePNM(Bytes(data), data.size());
  char* text = IMGToASCII(image);
  for (auto _ : state) {
    IMG* back = IMGFromASCII(text);
    benchmark::DoNotOptimize(back->pixels);
    IMGFree(&back);
  }
  free(text);
  IMGFree(&image);
}
BENCHMARK(BM_IMGFromASCII);

}  // namespace

// Runs the benchmarks, then prints each reader beside the counterparts that read the same
// picture.
int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv,
                              {{"BM_IMGParsePNM", "BM_StbLoadPPMToWords"},
                               {"BM_IMGParsePNM", "BM_SDLLoadBMP"},
                               {"BM_BYTEMAPParsePNM", "BM_StbLoadPGM"},
                               {"BM_IMGReadPNMFile", "BM_StbLoadPPMFileToWords"}});
}

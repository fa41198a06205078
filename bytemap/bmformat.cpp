// BYTEMAP text form and PNM files: the readers and writers of image/pnm.h with 8-bit pixels.
// A colour sample becomes the mean of its three channels; set bits become 255. The text form
// is written as a plain RGB image whose blue is the pixel, so it reads back divided by 3.
#include <array>

#include "bytemap/bytemap.h"
#include "image/pixelblock.h"
#include "image/pnm.h"

namespace {

struct BytemapTraits {
  using Map = BYTEMAP;
  using Pixel = uint8_t;
  static constexpr char kKeyword[] = "BYTEMAP";
  static constexpr char kMagic = '5';
  static constexpr size_t kChannels = 1;
  static constexpr bool kGreyIsByte = true;
  static constexpr bool kRgbIsWord = false;

  static Map* New() { return BYTEMAPNew(); }
  static void Resize(Map* map, int32_t width, int32_t height) {
    BYTEMAPResize(map, width, height);
  }
  static void Free(Map* map) { BYTEMAPFree(&map); }
  static void Report() { BYTEMAPError(); }

  static Pixel Bit(bool set) { return set ? 255 : 0; }
  static Pixel Grey(uint32_t v) { return static_cast<Pixel>(v); }
  static Pixel Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<Pixel>((uint64_t{r} + g + b) / 3);
  }
  static Pixel TextRgb(uint32_t r, uint32_t g, uint32_t b) { return Rgb(r, g, b); }
  static std::array<uint32_t, 3> TextChannels(Pixel p) { return {0, 0, p}; }
  static void Put(Pixel p, uint8_t* out) { *out = p; }
};

}  // namespace

// A map without pixels (a refused or failed resize) has no text; a 0 x 0 map that has a
// block is "BYTEMAP{}".
char* BYTEMAPToASCII(const BYTEMAP* map) {
  if (!pixelblock::HasPixels(map)) {
    BYTEMAPError();
    return nullptr;
  }
  return pnm::ToASCII<BytemapTraits>(map);
}

BYTEMAP* BYTEMAPFromASCII(const char* text) { return pnm::FromASCII<BytemapTraits>(text); }

uint8_t BYTEMAPWritePGM(const BYTEMAP* map, const char* path) {
  return pnm::WritePNM<BytemapTraits>(map, path);
}

BYTEMAP* BYTEMAPReadPNM(const char* path) { return pnm::ReadPNMFile<BytemapTraits>(path); }

BYTEMAP* BYTEMAPParsePNM(const uint8_t* data, size_t size) {
  return pnm::ParsePNM<BytemapTraits>(data, size);
}

// IMG text form and PNM files: the shared readers and writers of image/pnm.h with 32-bit
// pixels. Bitmaps come out white on black (a set bit is 0x00FFFFFF), which the font relies on:
// its strokes are set bits and black is what the blits treat as transparent.
#include <array>

#include "image/img.h"
#include "image/pixelblock.h"
#include "image/pnm.h"

namespace {

struct ImgTraits {
  using Map = IMG;
  using Pixel = uint32_t;
  static constexpr char kKeyword[] = "IMG";
  static constexpr char kMagic = '6';
  static constexpr size_t kChannels = 3;
  static constexpr bool kGreyIsByte = false;
  static constexpr bool kRgbIsWord = true;

  static Map* New() { return IMGNew(); }
  static void Resize(Map* image, int32_t width, int32_t height) {
    IMGResize(image, width, height);
  }
  static void Free(Map* image) { IMGFree(&image); }
  static void Report() { IMGError(); }

  static Pixel Bit(bool set) { return set ? 0x00FFFFFFu : 0u; }
  static Pixel Grey(uint32_t v) { return v * 0x010101u; }
  // Plain samples above 255 spill into the channel above: no masking.
  static Pixel Rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }
  static Pixel TextRgb(uint32_t r, uint32_t g, uint32_t b) { return r * 65536u + g * 256u + b; }
  static std::array<uint32_t, 3> TextChannels(Pixel p) {
    return {p >> 16 & 0xFFu, p >> 8 & 0xFFu, p & 0xFFu};
  }
  static void Put(Pixel p, uint8_t* out) {
    out[0] = static_cast<uint8_t>(p >> 16);
    out[1] = static_cast<uint8_t>(p >> 8);
    out[2] = static_cast<uint8_t>(p);
  }
};

}  // namespace

// An image without pixels (a refused or failed resize) has no text; a 0 x 0 image that has a
// block is "IMG{}".
char* IMGToASCII(const IMG* image) {
  if (!pixelblock::HasPixels(image)) {
    IMGError();
    return nullptr;
  }
  return pnm::ToASCII<ImgTraits>(image);
}

IMG* IMGFromASCII(const char* text) { return pnm::FromASCII<ImgTraits>(text); }

IMG* IMGReadPNM(const char* path) { return pnm::ReadPNMFile<ImgTraits>(path); }

IMG* IMGParsePNM(const uint8_t* data, size_t size) {
  return pnm::ParsePNM<ImgTraits>(data, size);
}

uint8_t IMGWritePPM(const IMG* image, const char* path) {
  return pnm::WritePNM<ImgTraits>(image, path);
}

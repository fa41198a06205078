// IMG record and core operations; the shared record logic lives in pixelblock.h.
#include "image/img.h"

#include <cstdio>

#include "image/pixelblock.h"

void IMGError() { fputs("IMG error\n", stdout); }

IMG* IMGNew() { return pixelblock::New<IMG, IMGError>(); }
void IMGFree(IMG** image) { pixelblock::Free<IMG, IMGError>(image); }
void IMGResize(IMG* image, int32_t width, int32_t height) {
  pixelblock::Resize<IMG, IMGError>(image, width, height);
}
IMG* IMGCopy(const IMG* image) { return pixelblock::Copy<IMG, IMGError>(image); }
void IMGCopyPixels(const IMG* source, IMG* destination) {
  pixelblock::CopyPixels<IMG, IMGError>(source, destination);
}
uint8_t IMGEqual(const IMG* a, const IMG* b) { return pixelblock::Equal<IMG, IMGError>(a, b); }
void IMGClear(IMG* image) { pixelblock::Clear<IMG, IMGError>(image); }
void IMGSetPixel(IMG* image, int32_t x, int32_t y, uint32_t colour) {
  pixelblock::SetPixel<IMG, IMGError>(image, x, y, colour);
}
uint32_t IMGGetPixel(const IMG* image, int32_t x, int32_t y) {
  return pixelblock::GetPixel<IMG, IMGError>(image, x, y);
}
void IMGFillRect(IMG* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
  pixelblock::FillRect<IMG, IMGError>(image, x, y, w, h, colour);
}
void IMGDrawRect(IMG* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
  pixelblock::DrawRect<IMG, IMGError>(image, x, y, w, h, colour);
}

// Lowers red, green and blue by the low byte of amount, stopping at 0; the top byte
// becomes 0. 32 steps of 8 take any picture to black, which is how the demo fades.
void IMGDarken(IMG* image, uint32_t amount) {
  if (!pixelblock::HasPixels(image)) return IMGError();
  const uint32_t a = amount & 0xFF;
  auto channel = [a](uint32_t word, int shift) -> uint32_t {
    const uint32_t c = (word >> shift) & 0xFF;
    return (c > a ? c - a : 0) << shift;
  };
  uint32_t* p = image->pixels;
  for (size_t i = pixelblock::Count(image); i-- > 0;)
    p[i] = channel(p[i], 16) | channel(p[i], 8) | channel(p[i], 0);
}

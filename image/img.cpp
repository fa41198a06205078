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
// Done as a saturating subtraction on every byte of the block, then a mask of the top
// byte: two plain loops the compiler turns into vector code, whatever the byte order.
void IMGDarken(IMG* image, uint32_t amount) {
  if (!pixelblock::HasPixels(image)) return IMGError();
  const uint8_t a = static_cast<uint8_t>(amount & 0xFF);
  const size_t count = pixelblock::Count(image);
  uint8_t* bytes = reinterpret_cast<uint8_t*>(image->pixels);
  for (size_t i = 0; i < count * sizeof(uint32_t); ++i)
    bytes[i] = bytes[i] > a ? static_cast<uint8_t>(bytes[i] - a) : 0;
  uint32_t* words = image->pixels;
  for (size_t i = 0; i < count; ++i) words[i] &= 0x00FFFFFFu;
}

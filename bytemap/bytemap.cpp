// BYTEMAP record, core operations, drawing and colour conversion. The record logic is
// shared with IMG (image/pixelblock.h); what is left here is what 8-bit pixels need.
#include "bytemap/bytemap.h"

#include <cstdio>

#include "image/pixelblock.h"

void BYTEMAPError() { fputs("BYTEMAP error\n", stdout); }

namespace {
uint8_t LowByte(int32_t value) { return static_cast<uint8_t>(value & 0xFF); }
}  // namespace

BYTEMAP* BYTEMAPNew() { return pixelblock::New<BYTEMAP, BYTEMAPError>(); }
void BYTEMAPFree(BYTEMAP** map) { pixelblock::Free<BYTEMAP, BYTEMAPError>(map); }
void BYTEMAPResize(BYTEMAP* map, int32_t width, int32_t height) {
  pixelblock::Resize<BYTEMAP, BYTEMAPError>(map, width, height);
}
BYTEMAP* BYTEMAPCopy(const BYTEMAP* map) { return pixelblock::Copy<BYTEMAP, BYTEMAPError>(map); }
void BYTEMAPCopyPixels(const BYTEMAP* source, BYTEMAP* destination) {
  pixelblock::CopyPixels<BYTEMAP, BYTEMAPError>(source, destination);
}
uint8_t BYTEMAPEqual(const BYTEMAP* a, const BYTEMAP* b) {
  return pixelblock::Equal<BYTEMAP, BYTEMAPError>(a, b);
}
void BYTEMAPClear(BYTEMAP* map) { pixelblock::Clear<BYTEMAP, BYTEMAPError>(map); }
void BYTEMAPSetPixel(BYTEMAP* map, int32_t x, int32_t y, int32_t value) {
  pixelblock::SetPixel<BYTEMAP, BYTEMAPError>(map, x, y, LowByte(value));
}
uint8_t BYTEMAPGetPixel(const BYTEMAP* map, int32_t x, int32_t y) {
  return pixelblock::GetPixel<BYTEMAP, BYTEMAPError>(map, x, y);
}
void BYTEMAPFillRect(BYTEMAP* map, int32_t x, int32_t y, int32_t w, int32_t h, int32_t value) {
  pixelblock::FillRect<BYTEMAP, BYTEMAPError>(map, x, y, w, h, LowByte(value));
}
void BYTEMAPDrawRect(BYTEMAP* map, int32_t x, int32_t y, int32_t w, int32_t h, int32_t value) {
  pixelblock::DrawRect<BYTEMAP, BYTEMAPError>(map, x, y, w, h, LowByte(value));
}

// Image pixel i = palette entry (map pixel i). The palette must have all 256 entries, so
// every byte value has a colour and no read leaves the palette's storage.
void BYTEMAPToIMG(const BYTEMAP* map, IMG* image, const PALETTE* palette) {
  if (!pixelblock::HasPixels(map) || !pixelblock::HasPixels(image) || palette == nullptr ||
      palette->items == nullptr || map->width != image->width || map->height != image->height ||
      palette->length < 256)
    return BYTEMAPError();
  const int32_t* colour = palette->items;
  const uint8_t* in = map->pixels;
  uint32_t* out = image->pixels;
  const size_t count = pixelblock::Count(map);
  for (size_t i = 0; i < count; ++i) out[i] = static_cast<uint32_t>(colour[in[i]]);
}

// Adding a constant to every index turns all colours along the palette at once.
void BYTEMAPAdd(BYTEMAP* map, int32_t amount) {
  if (!pixelblock::HasPixels(map)) return BYTEMAPError();
  const uint8_t a = LowByte(amount);
  uint8_t* p = map->pixels;
  const size_t count = pixelblock::Count(map);
  for (size_t i = 0; i < count; ++i) p[i] = static_cast<uint8_t>(p[i] + a);
}

void BYTEMAPDarken(BYTEMAP* map, int32_t amount) {
  if (!pixelblock::HasPixels(map)) return BYTEMAPError();
  const uint8_t a = LowByte(amount);
  uint8_t* p = map->pixels;
  const size_t count = pixelblock::Count(map);
  for (size_t i = 0; i < count; ++i) p[i] = p[i] >= a ? static_cast<uint8_t>(p[i] - a) : 0;
}

// The mask and the target must be the same size, so the loop stays inside both blocks.
void BYTEMAPAnd(const BYTEMAP* mask, BYTEMAP* target) {
  if (!pixelblock::HasPixels(mask) || !pixelblock::HasPixels(target) ||
      mask->width != target->width || mask->height != target->height)
    return BYTEMAPError();
  const uint8_t* m = mask->pixels;
  uint8_t* t = target->pixels;
  const size_t count = pixelblock::Count(mask);
  for (size_t i = 0; i < count; ++i) t[i] &= m[i];
}

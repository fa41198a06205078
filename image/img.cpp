// IMG record and core operations; the shared record logic lives in pixelblock.h.
#include "image/img.h"

#include <cstdio>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
// One pass of saturating subtractions over the bytes of the block, each byte less its own
// subtrahend: the amount for the colour bytes of a word and 255 for the top byte, which
// thus becomes 0. The subtrahends are a word repeated, so they line up with the pixels
// whatever the byte order. Where the processor has a 16-byte saturating subtraction (every
// x86-64 has), the pass uses it directly: compilers turn the plain loop into three vector
// operations a piece instead of one.
void IMGDarken(IMG* image, uint32_t amount) {
  if (!pixelblock::HasPixels(image)) return IMGError();
  const uint32_t word = 0x00010101u * (amount & 0xFF) | 0xFF000000u;
  uint8_t pattern[sizeof(uint32_t)];
  std::memcpy(pattern, &word, sizeof word);
  const size_t n = pixelblock::Count(image) * sizeof(uint32_t);
  uint8_t* bytes = reinterpret_cast<uint8_t*>(image->pixels);
  size_t i = 0;
#ifdef __SSE2__
  const __m128i sub = _mm_set1_epi32(static_cast<int32_t>(word));
  for (; i + 64 <= n; i += 64) {
    auto* p = reinterpret_cast<__m128i*>(bytes + i);
    const __m128i a = _mm_loadu_si128(p), b = _mm_loadu_si128(p + 1);
    const __m128i c = _mm_loadu_si128(p + 2), d = _mm_loadu_si128(p + 3);
    _mm_storeu_si128(p, _mm_subs_epu8(a, sub));
    _mm_storeu_si128(p + 1, _mm_subs_epu8(b, sub));
    _mm_storeu_si128(p + 2, _mm_subs_epu8(c, sub));
    _mm_storeu_si128(p + 3, _mm_subs_epu8(d, sub));
  }
#endif
  for (; i < n; ++i) {
    const uint8_t by = pattern[i % sizeof(uint32_t)];
    bytes[i] = bytes[i] > by ? static_cast<uint8_t>(bytes[i] - by) : 0;
  }
}

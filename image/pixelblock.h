// pixelblock.h - the record operations that IMG and BYTEMAP share.
//
// Both records are { int32_t width; int32_t height; Pixel* pixels; } with width * height
// pixels row after row and no stride. Everything here is written once over the record type;
// the modules instantiate it with their pixel type and their error reporter.
//
// A block is always allocated with at least one element, so a 0 x 0 record still has a
// pixel block and counts as a record with pixels; only a refused or failed allocation leaves
// `pixels` null, and every operation that needs pixels refuses such a record.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <optional>
#include <type_traits>

namespace pixelblock {

template <class Rec>
using Pixel = std::remove_pointer_t<decltype(Rec::pixels)>;

// Given, with a block, and of a non-negative size (which Resize guarantees; a record whose
// fields were set by hand is checked too).
template <class Rec>
bool HasPixels(const Rec* r) {
  return r != nullptr && r->pixels != nullptr && r->width >= 0 && r->height >= 0;
}

// width * height, or nothing when a side is negative or the product leaves 32 bits.
inline std::optional<int32_t> PixelCount(int32_t width, int32_t height) {
  if (width < 0 || height < 0) return std::nullopt;
  const int64_t n = static_cast<int64_t>(width) * height;
  if (n > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(n);
}

template <class Rec>
size_t Count(const Rec* r) {
  return static_cast<size_t>(r->width) * static_cast<size_t>(r->height);
}

template <class Rec>
Pixel<Rec>* AllocateBlock(int32_t count) {
  return static_cast<Pixel<Rec>*>(calloc(count > 0 ? count : 1, sizeof(Pixel<Rec>)));
}

// Size and clear. A negative or overflowing size leaves a 0 x 0 record without pixels and
// allocates nothing; a failed allocation keeps the new size without pixels. Both report.
template <class Rec, void (*Report)()>
void Resize(Rec* r, int32_t width, int32_t height) {
  if (r == nullptr) return Report();
  free(r->pixels);
  r->pixels = nullptr;
  const std::optional<int32_t> n = PixelCount(width, height);
  if (!n) {
    r->width = r->height = 0;
    return Report();
  }
  r->width = width;
  r->height = height;
  r->pixels = AllocateBlock<Rec>(*n);
  if (r->pixels == nullptr) Report();
}

template <class Rec, void (*Report)()>
Rec* New() {
  Rec* r = static_cast<Rec*>(calloc(1, sizeof(Rec)));
  if (r == nullptr) {
    Report();
    return nullptr;
  }
  r->width = r->height = 16;
  r->pixels = AllocateBlock<Rec>(16 * 16);
  if (r->pixels == nullptr) {
    free(r);
    Report();
    return nullptr;
  }
  return r;
}

template <class Rec, void (*Report)()>
void Free(Rec** handle) {
  if (handle == nullptr || *handle == nullptr) return Report();
  free((*handle)->pixels);
  free(*handle);
  *handle = nullptr;
}

// The same result as a new record resized to the source's size and filled from it, and the
// same single report when that would fail, but without the new record's 16 x 16 block and
// without zero-filling memory that is written at once: every field of the record is set,
// and the block is filled from the source (only the one element of an empty record's block
// is not written, and that one is zeroed).
template <class Rec, void (*Report)()>
Rec* Copy(const Rec* source) {
  if (!HasPixels(source)) {
    Report();
    return nullptr;
  }
  const std::optional<int32_t> n = PixelCount(source->width, source->height);
  static_assert(sizeof(Rec) == sizeof(int32_t) * 2 + sizeof(Pixel<Rec>*),
                "the record holds its two sides and its block and nothing else");
  Rec* copy = static_cast<Rec*>(malloc(sizeof(Rec)));
  Pixel<Rec>* block = nullptr;
  if (copy != nullptr && n)
    block = *n > 0 ? static_cast<Pixel<Rec>*>(malloc(size_t(*n) * sizeof(Pixel<Rec>)))
                   : AllocateBlock<Rec>(0);
  if (block == nullptr) {
    free(copy);
    Report();
    return nullptr;
  }
  *copy = Rec{source->width, source->height, block};
  memcpy(block, source->pixels, size_t(*n) * sizeof(Pixel<Rec>));
  return copy;
}

template <class Rec, void (*Report)()>
void CopyPixels(const Rec* source, Rec* destination) {
  if (!HasPixels(source) || !HasPixels(destination) || source->width != destination->width ||
      source->height != destination->height)
    return Report();
  memmove(destination->pixels, source->pixels, Count(source) * sizeof(Pixel<Rec>));
}

// 1 when both have the same size and pixels; sizes that differ are an answer, not an error.
template <class Rec, void (*Report)()>
uint8_t Equal(const Rec* a, const Rec* b) {
  if (!HasPixels(a) || !HasPixels(b)) {
    Report();
    return 0;
  }
  if (a->width != b->width || a->height != b->height) return 0;
  return memcmp(a->pixels, b->pixels, Count(a) * sizeof(Pixel<Rec>)) == 0 ? 1 : 0;
}

template <class Rec, void (*Report)()>
void Clear(Rec* r) {
  if (!HasPixels(r)) return Report();
  memset(r->pixels, 0, Count(r) * sizeof(Pixel<Rec>));
}

template <class Rec>
bool Inside(const Rec* r, int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x < r->width && y < r->height;
}

// Outside the record a set does nothing and a get reads 0, silently.
template <class Rec, void (*Report)()>
void SetPixel(Rec* r, int32_t x, int32_t y, Pixel<Rec> value) {
  if (!HasPixels(r)) return Report();
  if (Inside(r, x, y)) r->pixels[x + static_cast<size_t>(y) * r->width] = value;
}

template <class Rec, void (*Report)()>
Pixel<Rec> GetPixel(const Rec* r, int32_t x, int32_t y) {
  if (!HasPixels(r)) {
    Report();
    return 0;
  }
  return Inside(r, x, y) ? r->pixels[x + static_cast<size_t>(y) * r->width] : 0;
}

// n pixels from p set to value. A long run has its first 16 KB set pixel by pixel and the
// rest copied from them a piece of that size at a time: the C library's copy stores wider
// than the compiler may assume the processor can, and was measured a fifth faster on a
// 256 x 256 image than the plain loop alone (and than pixman's fill).
template <class P>
void FillRun(P* p, size_t n, P value) {
  constexpr size_t kPiece = 16384 / sizeof(P);
  const size_t first = n < kPiece ? n : kPiece;
#pragma GCC unroll 4
  for (size_t i = 0; i < first; ++i) p[i] = value;
  for (size_t i = first; i < n; i += kPiece)
    memcpy(p + i, p, (n - i < kPiece ? n - i : kPiece) * sizeof(P));
}

// Rectangles are not clipped: one that does not lie wholly inside is refused.
template <class Rec>
bool RectInside(const Rec* r, int32_t x, int32_t y, int32_t w, int32_t h) {
  return HasPixels(r) && x >= 0 && y >= 0 && x < r->width && y < r->height && w > 0 && h > 0 &&
         static_cast<int64_t>(x) + w <= r->width && static_cast<int64_t>(y) + h <= r->height;
}

template <class Rec, void (*Report)()>
void FillRect(Rec* r, int32_t x, int32_t y, int32_t w, int32_t h, Pixel<Rec> value) {
  if (!RectInside(r, x, y, w, h)) return Report();
  // A rectangle as wide as the record is one run of its block, filled in one go.
  const bool whole = w == r->width;
  const size_t run = whole ? static_cast<size_t>(w) * static_cast<size_t>(h) : size_t(w);
  for (int32_t j = 0; j < (whole ? 1 : h); ++j)
    FillRun(r->pixels + x + static_cast<size_t>(y + j) * r->width, run, value);
}

template <class Rec, void (*Report)()>
void DrawRect(Rec* r, int32_t x, int32_t y, int32_t w, int32_t h, Pixel<Rec> value) {
  if (!RectInside(r, x, y, w, h)) return Report();
  auto at = [r](int32_t px, int32_t py) -> Pixel<Rec>& {
    return r->pixels[px + static_cast<size_t>(py) * r->width];
  };
  for (int32_t i = 0; i < w; ++i) at(x + i, y) = at(x + i, y + h - 1) = value;
  for (int32_t j = 0; j < h; ++j) at(x, y + j) = at(x + w - 1, y + j) = value;
}

}  // namespace pixelblock

// raster.h - pixel geometry shared by IMG and BYTEMAP (private to the two modules).
//
// IMG (32-bit words) and BYTEMAP (bytes) are the same record - width, height and a flat block
// of width * height pixels, row after row - and move their pixels the same way. Each piece
// of geometry is written here once, over the record type; image/imgblit.cpp, imgxform.cpp,
// bytemap/bmblit.cpp and bmxform.cpp wrap it and differ only where the pixels differ: the
// blend average they pass in (a template argument, so it is inlined into the loop) and the
// reporter they call.
//
//   Blit, Blend, BlitSpaced   clipped block copies; a source pixel of 0 is transparent
//   WrapRow, WrapColumn       a row or column copied round the destination's edge (Store/Or)
//   AndMask                   target[i] = mask[i] & target[i] over the mask's elements
//   MakeRunTable, Scale       nearest-neighbour resampling driven by integer run tables
//   RotatedSize, RotateInto   the 1.414-times larger turned copy on the sine table
//   LinePoints                the integer line walk as a malloc'ed point list
//
// Every operation that can refuse returns false (or null) having touched nothing, and its
// caller reports. Misses are not refusals: a block that lands wholly off returns true having
// drawn nothing. Coordinates arrive as signed 32-bit values and are widened to 64 bits before
// any sum or product, so no argument can overflow, and every loop runs over a range that has
// been cut to both blocks: nothing outside a pixel block is read or written as long as a
// record's block really holds width * height pixels.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

#include "base/sine.h"
#include "image/pixelblock.h"

namespace raster {

// The record basics are the record module's own: a pixel's type, whether a record has a
// block, and how many pixels it holds.
template <class Rec>
using PixelOf = pixelblock::Pixel<Rec>;
using pixelblock::HasPixels;
template <class Rec>
size_t PixelCount(const Rec* r) {
  return pixelblock::Count(r);
}

template <class Rec>
auto* PixelAt(Rec* r, int64_t x, int64_t y) {
  return r->pixels + (x + y * static_cast<int64_t>(r->width));
}

// Rounds toward minus infinity (the division operator truncates toward 0).
inline int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using Block = std::unique_ptr<T[], FreeDeleter>;

template <class T>
Block<T> AllocBlock(int64_t count) {
  if (count < 0 || static_cast<uint64_t>(count) > SIZE_MAX / sizeof(T)) return nullptr;
  return Block<T>(static_cast<T*>(std::calloc(count ? static_cast<size_t>(count) : 1, sizeof(T))));
}

// ---- Clipped block copies -------------------------------------------------------------

// One axis of a block: source start s, destination start d, length n.
struct Span {
  int64_t s, d, n;
};

// Cuts a span to [0, srcLen) at the source and [0, dstLen) at the destination, moving both
// starts together so that a pixel that is drawn lands where it would land uncut.
inline void ClipSpan(Span& a, int64_t srcLen, int64_t dstLen) {
  if (a.s < 0) { a.n += a.s; a.d -= a.s; a.s = 0; }
  if (a.s + a.n > srcLen) a.n = srcLen - a.s;
  if (a.d < 0) { a.n += a.d; a.s -= a.d; a.d = 0; }
  if (a.d + a.n > dstLen) a.n = dstLen - a.d;
}

// Copies the cut block, top row first and left to right; `pixel(s, d)` gives what a
// destination pixel d becomes under source pixel s. Every pixel of the block is stored, a
// kept one with its own value: a loop that stores only some pixels cannot be turned into
// vector code, one that stores a chosen value can. The compiler checks at run time whether
// the rows overlap (a record drawn onto itself) and keeps the pixel-by-pixel order then.
// A block as wide as both records is one run of pixels in each block, taken as one row
// in the same order. Two vector steps a turn: with one, the loop's speed was measured to
// swing by half depending on where it happened to lie in the code.
template <class Rec, class Pixel>
void CopyBlock(const Rec* src, Rec* dst, Span x, Span y, Pixel pixel) {
  if (x.n <= 0 || y.n <= 0) return;
  if (x.n == src->width && x.n == dst->width) {
    x.n *= y.n;
    y.n = 1;
  }
  for (int64_t j = 0; j < y.n; ++j) {
    const auto* from = PixelAt(src, x.s, y.s + j);
    auto* to = PixelAt(dst, x.d, y.d + j);
#pragma GCC unroll 2
    for (int64_t i = 0; i < x.n; ++i) to[i] = pixel(from[i], to[i]);
  }
}

// The w x h block at (srcX, srcY) of src, drawn at (dstX, dstY) of dst; 0 is transparent.
template <class Rec>
bool Blit(const Rec* src, Rec* dst, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
          int32_t w, int32_t h) {
  if (!HasPixels(src) || !HasPixels(dst)) return false;
  Span x{srcX, dstX, w}, y{srcY, dstY, h};
  if (x.d >= dst->width || x.d + x.n < 0 || y.d >= dst->height || y.d + y.n < 0 ||
      x.s >= src->width || x.s + x.n < 0 || y.s >= src->height || y.s + y.n < 0)
    return true;
  ClipSpan(x, src->width, dst->width);
  ClipSpan(y, src->height, dst->height);
  CopyBlock(src, dst, x, y, [](auto s, auto d) { return s ? s : d; });
  return true;
}

// The whole of src laid over dst at (x, y); where the source is not 0 the destination
// becomes Average(s, d).
template <auto Average, class Rec>
bool Blend(const Rec* src, Rec* dst, int32_t x, int32_t y) {
  if (!HasPixels(src) || !HasPixels(dst)) return false;
  Span sx{0, x, src->width}, sy{0, y, src->height};
  if (sx.d + sx.n <= 0 || sy.d + sy.n <= 0 || sx.d >= dst->width || sy.d >= dst->height)
    return true;
  ClipSpan(sx, src->width, dst->width);
  ClipSpan(sy, src->height, dst->height);
  CopyBlock(src, dst, sx, sy, [](auto s, auto d) { return s ? Average(s, d) : d; });
  return true;
}

// The spaced twin of ClipSpan: source position s + i lands at d + i * step.
inline void ClipSpacedSpan(Span& a, int64_t step, int64_t srcLen, int64_t dstLen) {
  if (a.s < 0) { a.n += a.s; a.d -= a.s * step; a.s = 0; }
  if (a.s + a.n >= srcLen) a.n = srcLen - a.s;
  if (a.d < 0) {
    int64_t k = (-a.d + step - 1) / step;  // source positions that land left of 0
    a.n -= k; a.s += k; a.d += k * step;
  }
  // Rounding down here may drop a last position that would still fit; that is how the
  // spaced copy has always cut its right and bottom edges.
  if (a.d + a.n * step > dstLen) a.n = FloorDiv(dstLen - a.d, step);
}

inline bool SpanMisses(const Span& a, int64_t step, int64_t srcLen, int64_t dstLen) {
  return a.d >= dstLen || a.d + a.n * step < 0 || a.s >= srcLen || a.s + a.n * step < 0;
}

// Like Blit, but source pixel (srcX + i, srcY + j) goes to (dstX + i*stepX, dstY + j*stepY).
// Steps below 1 place nothing sensible (and would divide by 0): refused.
template <class Rec>
bool BlitSpaced(const Rec* src, Rec* dst, int32_t srcX, int32_t srcY, int32_t dstX,
                int32_t dstY, int32_t w, int32_t h, int32_t stepX, int32_t stepY) {
  if (!HasPixels(src) || !HasPixels(dst) || stepX < 1 || stepY < 1) return false;
  Span x{srcX, dstX, w}, y{srcY, dstY, h};
  if (SpanMisses(x, stepX, src->width, dst->width) ||
      SpanMisses(y, stepY, src->height, dst->height))
    return true;
  ClipSpacedSpan(x, stepX, src->width, dst->width);
  ClipSpacedSpan(y, stepY, src->height, dst->height);
  if (x.n <= 0 || y.n <= 0) return true;
  for (int64_t j = 0; j < y.n; ++j) {
    const auto* from = PixelAt(src, x.s, y.s + j);
    auto* to = PixelAt(dst, x.d, y.d + j * stepY);
    for (int64_t i = 0; i < x.n; ++i)
      if (from[i]) to[i * stepX] = from[i];
  }
  return true;
}

// ---- Wrapping row and column copies ---------------------------------------------------

enum class WrapMode { Store, Or };  // Store: 0 is transparent; Or: every pixel ORed in

// A line of srcLen pixels (srcStep apart) into a line of dstLen pixels (dstStep apart),
// starting at position shift and wrapping past the end to position 0. At most dstLen pixels
// are placed, so the wrapped part never reaches the first run.
template <class P>
void WrapLine(const P* src, ptrdiff_t srcStep, int64_t srcLen, P* dst, ptrdiff_t dstStep,
              int64_t dstLen, int64_t shift, WrapMode mode) {
  shift %= dstLen;
  if (shift < 0) shift += dstLen;
  auto put = [&](int64_t from, int64_t to) {
    P s = src[from * srcStep];
    P& d = dst[to * dstStep];
    if (mode == WrapMode::Or) d = static_cast<P>(d | s);
    else if (s) d = s;
  };
  int64_t first = std::min(dstLen - shift, srcLen);
  for (int64_t i = 0; i < first; ++i) put(i, shift + i);
  int64_t total = std::min(srcLen, dstLen);
  for (int64_t i = first; i < total; ++i) put(i, i - first);
}

// Source row srcRow into destination row dstRow from column shift. A destination without
// columns has nowhere to wrap to: refused.
template <class Rec>
bool WrapRow(const Rec* src, Rec* dst, int32_t srcRow, int32_t dstRow, int32_t shift,
             WrapMode mode) {
  if (!HasPixels(src) || !HasPixels(dst)) return false;
  if (srcRow < 0 || srcRow >= src->height || dstRow < 0 || dstRow >= dst->height) return false;
  if (dst->width == 0) return false;
  WrapLine(PixelAt(src, 0, srcRow), 1, src->width, PixelAt(dst, 0, dstRow), 1, dst->width,
           shift, mode);
  return true;
}

// Source column srcCol into destination column dstCol from row shift; 0 is transparent.
template <class Rec>
bool WrapColumn(const Rec* src, Rec* dst, int32_t srcCol, int32_t dstCol, int32_t shift) {
  if (!HasPixels(src) || !HasPixels(dst)) return false;
  if (srcCol < 0 || srcCol >= src->width || dstCol < 0 || dstCol >= dst->width) return false;
  if (dst->height == 0) return false;
  WrapLine(PixelAt(src, srcCol, 0), src->width, src->height, PixelAt(dst, dstCol, 0),
           dst->width, dst->height, shift, WrapMode::Store);
  return true;
}

// ---- Mask ------------------------------------------------------------------------------

// target[i] = mask[i] & target[i] over the flat blocks for the mask's width * height
// elements, last element first, whatever the two shapes: a mask smaller than the target
// masks the target's leading elements and leaves the rest. A target with fewer elements
// than the mask would be written past its block: refused (false, caller reports).
template <class Rec>
bool AndMask(const Rec* mask, Rec* target) {
  if (!HasPixels(mask) || !HasPixels(target)) return false;
  if (PixelCount(target) < PixelCount(mask)) return false;
  const auto* m = mask->pixels;
  auto* t = target->pixels;
  for (size_t i = PixelCount(mask); i-- > 0;) t[i] = static_cast<PixelOf<Rec>>(m[i] & t[i]);
  return true;
}

// ---- Scaling ---------------------------------------------------------------------------

// Run table of a larger length L and a smaller length M: M + 1 counters, counter k holding
// how many positions of L belong to position k of M (step s of 0..L lands in counter
// floor(s * M / L)). The first M add up to L; the last is a left-over 1. Null when the
// table cannot be allocated.
inline Block<int32_t> MakeRunTable(int32_t larger, int32_t smaller) {
  int64_t l = larger < 0 ? -int64_t(larger) : larger;
  int64_t m = smaller < 0 ? -int64_t(smaller) : smaller;
  if (m > l) std::swap(l, m);
  Block<int32_t> table = AllocBlock<int32_t>(m + 1);
  if (!table) return nullptr;
  int64_t e = l, k = 0;
  for (int64_t step = 0; step <= l; ++step) {
    ++table[k];
    e -= m;
    if (e <= 0) { e += l; ++k; }
  }
  return table;
}

enum class RunPick { First, Last };

// For each of the dstLen positions of one axis, the source position it takes: enlarged or
// kept axes repeat each source position (its counter) times; reduced axes take the first or
// the last position of each run.
inline Block<int32_t> AxisMap(int32_t dstLen, int32_t srcLen, RunPick pick) {
  Block<int32_t> map = AllocBlock<int32_t>(dstLen);
  if (!map) return nullptr;
  if (dstLen >= srcLen) {
    Block<int32_t> runs = MakeRunTable(dstLen, srcLen);
    if (!runs) return nullptr;
    int32_t pos = 0;
    for (int32_t k = 0; k < srcLen; ++k)
      for (int32_t r = 0; r < runs[k]; ++r) map[pos++] = k;
  } else {
    Block<int32_t> runs = MakeRunTable(srcLen, dstLen);
    if (!runs) return nullptr;
    int32_t start = 0;
    for (int32_t k = 0; k < dstLen; ++k) {
      map[k] = pick == RunPick::First ? start : start + runs[k] - 1;
      start += runs[k];
    }
  }
  return map;
}

// Resamples the whole of src into the whole of dst (nearest neighbour, no filtering).
// Reduced columns take the last column of each run; reduced rows take the last row of each
// run when the columns are reduced too and the first row when they are not. Refused when
// a block is missing, when an empty source would have to fill a non-empty destination, or
// when the tables cannot be allocated.
template <class Rec>
bool Scale(const Rec* src, Rec* dst) {
  if (!HasPixels(src) || !HasPixels(dst)) return false;
  const int32_t sw = src->width, sh = src->height, dw = dst->width, dh = dst->height;
  if (dw == 0 || dh == 0) return true;
  if (sw == 0 || sh == 0) return false;
  if (sw == dw && sh == dh) {
    if (src != dst) std::memmove(dst->pixels, src->pixels, PixelCount(src) * sizeof(*src->pixels));
    return true;
  }
  RunPick rowPick = (dh < sh && dw >= sw) ? RunPick::First : RunPick::Last;
  Block<int32_t> columns = AxisMap(dw, sw, RunPick::Last);
  Block<int32_t> rows = AxisMap(dh, sh, rowPick);
  if (!columns || !rows) return false;
  for (int32_t y = 0; y < dh; ++y) {
    auto* to = PixelAt(dst, 0, y);
    if (y > 0 && rows[y] == rows[y - 1]) {  // a repeated source row: copy the finished one
      std::memcpy(to, to - dw, size_t(dw) * sizeof(*to));
      continue;
    }
    const auto* from = PixelAt(src, 0, rows[y]);
    // Unrolled: each pixel is two loads and a store with no arithmetic to hide the loop's
    // own in (measured a tenth faster, level with pixman's nearest-neighbour reduction).
#pragma GCC unroll 4
    for (int32_t x = 0; x < dw; ++x) to[x] = from[columns[x]];
  }
  return true;
}

// ---- Rotation --------------------------------------------------------------------------

// The turned copy is (n * 92667) >> 16 long on each axis (just under n * sqrt 2). Computed in
// 64 bits; false when the result would not fit a record (a side or the pixel count past
// the signed 32-bit range).
inline bool RotatedSize(int32_t w, int32_t h, int32_t* rw, int32_t* rh) {
  int64_t a = (int64_t(w) * 92667) >> 16, b = (int64_t(h) * 92667) >> 16;
  if (a < 0 || b < 0 || a > INT32_MAX || b > INT32_MAX || a * b > INT32_MAX) return false;
  *rw = int32_t(a);
  *rh = int32_t(b);
  return true;
}

// Fills dst with src turned about its centre: dst (x, y) takes src (scx + u, scy + v), 0
// outside, where s and c are the sine and the cosine of the negated angle (so the picture is
// turned by the angle plus half a turn) in 15-bit fixed point and each product is shifted on
// its own, rounding toward minus infinity. Rows and columns run from last to first. The
// products are kept as running sums, which are exact, so nothing is multiplied per pixel.
template <class Rec>
void RotateInto(const Rec* src, Rec* dst, int32_t angle) {
  const uint32_t phase = 0u - static_cast<uint32_t>(angle);  // -angle mod 2^32, then mod 1024
  const int64_t s = SineTable.entry[phase & 1023u];
  const int64_t c = SineTable.entry[(phase - 256u) & 1023u];
  const int64_t sw = src->width, sh = src->height, dw = dst->width, dh = dst->height;
  const int64_t scx = sw / 2, scy = sh / 2, dcx = dw / 2, dcy = dh / 2;
  const auto* from = src->pixels;
  for (int64_t y = dh - 1; y >= 0; --y) {
    const int64_t dy = y - dcy;
    const int64_t rowU = scx - ((dy * s) >> 15), rowV = scy + ((dy * c) >> 15);
    auto* to = PixelAt(dst, 0, y);
    int64_t dxc = (dw - 1 - dcx) * c, dxs = (dw - 1 - dcx) * s;
    for (int64_t x = dw - 1; x >= 0; --x, dxc -= c, dxs -= s) {
      const int64_t sx = rowU + (dxc >> 15), sy = rowV + (dxs >> 15);
      to[x] = (static_cast<uint64_t>(sx) < static_cast<uint64_t>(sw) &&
               static_cast<uint64_t>(sy) < static_cast<uint64_t>(sh))
                  ? from[sx + sy * sw]
                  : 0;
    }
  }
}

// A new record holding src turned by angle (1/1024 turns), made with the module's own
// make/resize/release. A source that cannot be turned is reported here; make and resize
// report their own failures, after which the half-made result is released.
template <class Rec>
Rec* Rotate(const Rec* src, int32_t angle, Rec* (*make)(), void (*resize)(Rec*, int32_t, int32_t),
            void (*release)(Rec**), void (*report)()) {
  int32_t rw = 0, rh = 0;
  if (!HasPixels(src) || !RotatedSize(src->width, src->height, &rw, &rh)) {
    report();
    return nullptr;
  }
  Rec* result = make();
  if (!result) return nullptr;
  resize(result, rw, rh);
  if (!HasPixels(result) || result->width != rw || result->height != rh) {
    release(&result);
    return nullptr;
  }
  RotateInto(src, result, angle);
  return result;
}

// ---- Line points -----------------------------------------------------------------------

// The points of the line from (x0, y0) to (x1, y1), both ends included, as a calloc'ed list:
// element 0 = 2N + 2, then x and y of the N + 1 points, N = max(|dx|, |dy|). The error term
// starts at half the major length and the minor coordinate moves when it reaches 0 or
// below, so an exact half step moves at once; a line with no minor length stays on its row
// or column (the one-step line, whose error term starts at 0, would otherwise move). Null
// when the list cannot be allocated or its count would not fit element 0.
inline int32_t* LinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;
  const int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  const int64_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
  const bool xMajor = ax > ay;
  const int64_t n = xMajor ? ax : ay;
  if (n > (INT32_MAX - 2) / 2) return nullptr;
  Block<int32_t> list = AllocBlock<int32_t>(2 * n + 3);
  if (!list) return nullptr;
  list[0] = int32_t(2 * n + 2);
  int64_t x = x0, y = y0, e = n / 2;
  for (int64_t i = 0; i <= n; ++i) {
    list[1 + 2 * i] = int32_t(x);
    list[2 + 2 * i] = int32_t(y);
    if (xMajor) {
      x += sx;
      e -= ay;
      if (e <= 0 && ay) { e += ax; y += sy; }
    } else {
      y += sy;
      e -= ax;
      if (e <= 0 && ax) { e += ay; x += sx; }
    }
  }
  return list.release();
}

}  // namespace raster

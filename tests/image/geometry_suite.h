// geometry_suite.h - the block transfer, scaling, rotation and line tests that IMG and
// BYTEMAP share, written once as a typed suite. Each module's test program instantiates it
// with its twin (ImgTwin in tests/image, MapTwin in tests/bytemap). Pixel values stay below
// 256 so that one picture means the same in both.
//
// Clipping, spacing, wrapping, scaling and rotation are checked against plain references
// that place every pixel with full bounds checks, over many random placements, besides the
// worked examples.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "base/sine.h"
#include "image/raster.h"
#include "support/k8test.h"

namespace geometry {

using k8test::Printed;

// An owned record of the twin T, freed on scope exit.
template <class T>
struct Pic {
  using Rec = typename T::Rec;
  using Pixel = raster::PixelOf<Rec>;
  Rec* p;
  Pic(int32_t w, int32_t h) : p(T::New()) { T::Resize(p, w, h); }
  Pic(int32_t w, int32_t h, std::initializer_list<int> values) : Pic(w, h) {
    int i = 0;
    for (int v : values) p->pixels[i++] = static_cast<Pixel>(v);
  }
  explicit Pic(Rec* owned) : p(owned) {}
  Pic(const Pic&) = delete;
  ~Pic() { if (p) T::Free(&p); }
  Pixel& at(int32_t x, int32_t y) { return p->pixels[x + y * p->width]; }
  std::vector<int> all() const {
    return std::vector<int>(p->pixels, p->pixels + p->width * p->height);
  }
  // Pixel i = first + i (a picture whose every pixel says where it came from).
  void Number(int first = 0) {
    for (int i = 0; i < p->width * p->height; ++i) p->pixels[i] = static_cast<Pixel>(first + i);
  }
  void Random(std::mt19937& rng, int zeroOneIn = 4) {
    for (int i = 0; i < p->width * p->height; ++i)
      p->pixels[i] = rng() % zeroOneIn == 0 ? 0 : static_cast<Pixel>(1 + rng() % 255);
  }
};

// Reference placement: source (sx + i, sy + j) goes to (dx + i*stepX, dy + j*stepY) when it
// lies inside the source and its whole step cell inside the destination (with steps of 1:
// when the pixel itself is inside). 0 is transparent.
template <class T>
void ReferenceBlit(Pic<T>& src, Pic<T>& dst, int sx, int sy, int dx, int dy, int w, int h,
                   int stepX = 1, int stepY = 1) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      int fx = sx + i, fy = sy + j, tx = dx + i * stepX, ty = dy + j * stepY;
      if (fx < 0 || fy < 0 || fx >= src.p->width || fy >= src.p->height) continue;
      if (tx < 0 || ty < 0 || tx + stepX > dst.p->width || ty + stepY > dst.p->height) continue;
      if (src.at(fx, fy)) dst.at(tx, ty) = src.at(fx, fy);
    }
}

// Where destination (x, y) of a dw x dh scale of an sw x sh source reads from.
inline int Ceil(int64_t a, int64_t b) { return int((a + b - 1) / b); }
inline std::pair<int, int> ScaleSource(int x, int y, int sw, int sh, int dw, int dh) {
  int sx = dw >= sw ? int(int64_t(x) * sw / dw) : Ceil(int64_t(x + 1) * sw, dw) - 1;
  int sy = dh >= sh   ? int(int64_t(y) * sh / dh)
           : dw < sw ? Ceil(int64_t(y + 1) * sh, dh) - 1
                     : Ceil(int64_t(y) * sh, dh);
  return {sx, sy};
}

// Rotation written straight from its formula: one multiplication per product, 0 outside.
template <class T>
std::vector<int> ReferenceRotate(Pic<T>& src, int32_t angle, int dw, int dh) {
  int64_t s = SineTable.entry[-int64_t(angle) & 1023], c = SineTable.entry[(-int64_t(angle) - 256) & 1023];
  int scx = src.p->width / 2, scy = src.p->height / 2, dcx = dw / 2, dcy = dh / 2;
  std::vector<int> out(size_t(dw) * dh);
  for (int y = 0; y < dh; ++y)
    for (int x = 0; x < dw; ++x) {
      int64_t dx = x - dcx, dy = y - dcy;
      int64_t u = ((dx * c) >> 15) - ((dy * s) >> 15), v = ((dx * s) >> 15) + ((dy * c) >> 15);
      int64_t fx = scx + u, fy = scy + v;
      bool in = fx >= 0 && fy >= 0 && fx < src.p->width && fy < src.p->height;
      out[x + y * dw] = in ? src.at(int(fx), int(fy)) : 0;
    }
  return out;
}

template <class T>
class Geometry : public testing::Test {};
TYPED_TEST_SUITE_P(Geometry);

TYPED_TEST_P(Geometry, BlitClipsAtEveryEdgeWithoutMovingPixels) {
  using T = TypeParam;
  Pic<T> src(4, 4);
  src.Number(1);
  {  // A 4 x 4 block at (-2, -2): the lower-right quarter at the top-left corner.
    Pic<T> dst(6, 6);
    T::Blit(src.p, dst.p, 0, 0, -2, -2, 4, 4);
    EXPECT_EQ(dst.all(), (std::vector<int>{11, 12, 0, 0, 0, 0, 15, 16, 0, 0, 0, 0,
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  }
  {  // Cut at the right and bottom edges.
    Pic<T> dst(6, 6);
    T::Blit(src.p, dst.p, 0, 0, 4, 5, 4, 4);
    EXPECT_EQ(dst.at(4, 5), 1);
    EXPECT_EQ(dst.at(5, 5), 2);
    EXPECT_EQ(dst.all()[0], 0);
  }
  {  // Negative source positions shift the drawing, they do not move it.
    Pic<T> dst(6, 6);
    T::Blit(src.p, dst.p, -1, -2, 0, 0, 3, 3);
    EXPECT_EQ(dst.at(1, 2), 1);
    EXPECT_EQ(dst.at(2, 2), 2);
    EXPECT_EQ(dst.at(0, 2), 0);
    EXPECT_EQ(dst.at(1, 1), 0);
  }
  // Random placements against the reference, blocks partly and wholly off on every side.
  std::mt19937 rng(7);
  for (int n = 0; n < 4000; ++n) {
    Pic<T> s(1 + rng() % 6, 1 + rng() % 6), d(1 + rng() % 6, 1 + rng() % 6);
    Pic<T> expect(d.p->width, d.p->height);
    s.Random(rng);
    d.Random(rng);
    for (int i = 0; i < d.p->width * d.p->height; ++i) expect.p->pixels[i] = d.p->pixels[i];
    int a[6];
    for (int& v : a) v = int(rng() % 17) - 8;
    int w = rng() % 9, h = rng() % 9;
    EXPECT_EQ(Printed([&] { T::Blit(s.p, d.p, a[0], a[1], a[2], a[3], w, h); }), "");
    ReferenceBlit(s, expect, a[0], a[1], a[2], a[3], w, h);
    ASSERT_EQ(d.all(), expect.all()) << a[0] << "," << a[1] << " -> " << a[2] << "," << a[3]
                                     << " " << w << "x" << h;
  }
  // Rows long enough to be copied in vector steps, half of them within one record whose two
  // areas overlap (every fourth as wide as the record, so whole rows run on as one): the
  // pixels still move one by one, top row first and left to right.
  for (int n = 0; n < 800; ++n) {
    const bool onto = n % 2 == 1, whole = n % 4 == 1;
    Pic<T> s(1 + rng() % 80, 1 + rng() % 6), d(1 + rng() % 80, 1 + rng() % 6);
    Pic<T> expect(d.p->width, d.p->height);
    s.Random(rng);
    d.Random(rng);
    for (int i = 0; i < d.p->width * d.p->height; ++i) expect.p->pixels[i] = d.p->pixels[i];
    int a[4] = {int(rng() % 41) - 20, int(rng() % 5) - 2, int(rng() % 41) - 20,
                int(rng() % 5) - 2};
    int w = rng() % 90, h = rng() % 8;
    if (whole) a[0] = a[2] = 0, w = d.p->width;
    T::Blit((onto ? d : s).p, d.p, a[0], a[1], a[2], a[3], w, h);
    ReferenceBlit(onto ? expect : s, expect, a[0], a[1], a[2], a[3], w, h);
    ASSERT_EQ(d.all(), expect.all()) << n << ": " << a[0] << "," << a[1] << " -> " << a[2]
                                     << "," << a[3] << " " << w << "x" << h;
  }
}

TYPED_TEST_P(Geometry, BlitSkipsZeroAndDrawsNothingWhenOff) {
  using T = TypeParam;
  Pic<T> src(2, 2, {5, 0, 0, 6}), dst(3, 3, {9, 9, 9, 9, 9, 9, 9, 9, 9});
  T::Blit(src.p, dst.p, 0, 0, 0, 0, 2, 2);
  EXPECT_EQ(dst.all(), (std::vector<int>{5, 9, 9, 9, 6, 9, 9, 9, 9}));
  const std::vector<int> before = dst.all();
  const int off[][8] = {{0, 0, 3, 0, 2, 2},  {0, 0, -3, 0, 2, 2}, {0, 0, 0, 3, 2, 2},
                        {0, 0, 0, -3, 2, 2}, {2, 0, 0, 0, 2, 2},  {-3, 0, 0, 0, 2, 2},
                        {0, 2, 0, 0, 2, 2},  {0, -8, 0, 0, 8, 8}, {0, 0, 0, 0, 0, 2},
                        {0, 0, 0, 0, 2, 0},  {0, 0, 0, 0, -1, 2}};
  for (auto& o : off)
    EXPECT_EQ(Printed([&] { T::Blit(src.p, dst.p, o[0], o[1], o[2], o[3], o[4], o[5]); }), "");
  EXPECT_EQ(dst.all(), before);
  // Far-off arguments must not overflow into a hit.
  EXPECT_EQ(Printed([&] { T::Blit(src.p, dst.p, INT32_MIN, 0, INT32_MAX, 0, INT32_MAX, 2); }), "");
  EXPECT_EQ(Printed([&] { T::Blit(src.p, dst.p, INT32_MAX, 0, INT32_MIN, 0, INT32_MAX, 2); }), "");
  EXPECT_EQ(dst.all(), before);
  // A block reaching past the 32-bit range is cut, not lost to an overflowed sum.
  T::Blit(src.p, dst.p, 0, 0, 1, 1, INT32_MAX, INT32_MAX);
  EXPECT_EQ(dst.all(), (std::vector<int>{5, 9, 9, 9, 5, 9, 9, 9, 6}));

  typename T::Rec bare{2, 2, nullptr};
  EXPECT_EQ(Printed([&] { T::Blit(nullptr, dst.p, 0, 0, 0, 0, 1, 1); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::Blit(src.p, nullptr, 0, 0, 0, 0, 1, 1); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::Blit(&bare, dst.p, 0, 0, 0, 0, 1, 1); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::Blit(src.p, &bare, 0, 0, 0, 0, 1, 1); }), T::kReport);
  EXPECT_EQ(dst.all(), (std::vector<int>{5, 9, 9, 9, 5, 9, 9, 9, 6}));
}

TYPED_TEST_P(Geometry, BlendAveragesInsideTheClippedArea) {
  using T = TypeParam;
  Pic<T> src(2, 2, {200, 0, 255, 3}), dst(2, 2, {100, 100, 255, 1});
  T::Blend(src.p, dst.p, 0, 0);
  EXPECT_EQ(dst.all(), (std::vector<int>{150, 100, 254, 1}));
  // Clipping against a reference, at every offset around a 3 x 3 destination.
  std::mt19937 rng(11);
  for (int y = -4; y <= 4; ++y)
    for (int x = -4; x <= 4; ++x) {
      Pic<T> s(3, 2), d(3, 3), expect(3, 3);
      s.Random(rng);
      d.Random(rng);
      for (int i = 0; i < 9; ++i) expect.p->pixels[i] = d.p->pixels[i];
      for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 3; ++i)
          if (x + i >= 0 && x + i < 3 && y + j >= 0 && y + j < 3 && s.at(i, j))
            expect.at(x + i, y + j) = T::Average(s.at(i, j), expect.at(x + i, y + j));
      EXPECT_EQ(Printed([&] { T::Blend(s.p, d.p, x, y); }), "");
      ASSERT_EQ(d.all(), expect.all()) << x << "," << y;
    }
  // Wide pictures, blended in vector steps, and a picture laid over itself a few rows or
  // columns on, where each pixel must be read before the blend reaches it.
  for (int n = 0; n < 400; ++n) {
    const bool onto = n % 2 == 1;
    Pic<T> s(1 + rng() % 80, 1 + rng() % 5), d(1 + rng() % 80, 1 + rng() % 5);
    Pic<T> expect(d.p->width, d.p->height);
    s.Random(rng);
    d.Random(rng);
    for (int i = 0; i < d.p->width * d.p->height; ++i) expect.p->pixels[i] = d.p->pixels[i];
    Pic<T>& from = onto ? expect : s;
    const int x = n % 3 ? int(rng() % 21) - 10 : 0, y = int(rng() % 7) - 3;
    for (int j = 0; j < from.p->height; ++j)
      for (int i = 0; i < from.p->width; ++i)
        if (x + i >= 0 && x + i < d.p->width && y + j >= 0 && y + j < d.p->height &&
            from.at(i, j))
          expect.at(x + i, y + j) = T::Average(from.at(i, j), expect.at(x + i, y + j));
    T::Blend((onto ? d : s).p, d.p, x, y);
    ASSERT_EQ(d.all(), expect.all()) << n << ": " << x << "," << y;
  }
  typename T::Rec bare{2, 2, nullptr};
  EXPECT_EQ(Printed([&] { T::Blend(nullptr, dst.p, 0, 0); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::Blend(&bare, dst.p, 0, 0); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::Blend(src.p, &bare, 0, 0); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::Blend(src.p, dst.p, INT32_MAX, INT32_MIN); }), "");
}

TYPED_TEST_P(Geometry, BlitSpacedPlacesOnItsGrid) {
  using T = TypeParam;
  Pic<T> src(4, 4);
  src.Number(1);
  {  // Steps of 2: a 3 x 3 block covers 5 x 5, the pixels between untouched. (Into a 5 x 5
     // destination the last grid cell, 6 wide, would not fit and the third column and row go.)
    Pic<T> dst(6, 6, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                      1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    T::BlitSpaced(src.p, dst.p, 0, 0, 0, 0, 3, 3, 2, 2);
    EXPECT_EQ(dst.all(), (std::vector<int>{1, 1, 2, 1, 3, 1, 1, 1, 1, 1, 1, 1,
                                           5, 1, 6, 1, 7, 1, 1, 1, 1, 1, 1, 1,
                                           9, 1, 10, 1, 11, 1, 1, 1, 1, 1, 1, 1}));
    Pic<T> five(5, 5);
    T::BlitSpaced(src.p, five.p, 0, 0, 0, 0, 3, 3, 2, 2);
    EXPECT_EQ(five.all(), (std::vector<int>{1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 5, 0, 6, 0, 0,
                                            0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  }
  {  // dstX = -3, stepX = 2: source column 2 at column 1, column 3 at column 3.
    Pic<T> dst(6, 1);
    T::BlitSpaced(src.p, dst.p, 0, 0, -3, 0, 4, 1, 2, 1);
    EXPECT_EQ(dst.all(), (std::vector<int>{0, 3, 0, 4, 0, 0}));
  }
  {  // Width 10, step 3, four columns: only 0, 3 and 6 are drawn.
    Pic<T> dst(10, 1);
    T::BlitSpaced(src.p, dst.p, 0, 0, 0, 0, 4, 1, 3, 1);
    EXPECT_EQ(dst.all(), (std::vector<int>{1, 0, 0, 2, 0, 0, 3, 0, 0, 0}));
  }
  // Steps below 1 are refused; so are missing blocks.
  Pic<T> dst(4, 4);
  for (auto [sx, sy] : {std::pair{0, 1}, {1, 0}, {-1, 1}, {1, -2}})
    EXPECT_EQ(Printed([&] { T::BlitSpaced(src.p, dst.p, 0, 0, 0, 0, 2, 2, sx, sy); }),
              T::kReport);
  typename T::Rec bare{2, 2, nullptr};
  EXPECT_EQ(Printed([&] { T::BlitSpaced(&bare, dst.p, 0, 0, 0, 0, 2, 2, 1, 1); }), T::kReport);
  EXPECT_EQ(dst.all(), std::vector<int>(16, 0));
  EXPECT_EQ(Printed([&] {
              T::BlitSpaced(src.p, dst.p, INT32_MIN, 0, 0, 0, INT32_MAX, 1, INT32_MAX, 1);
            }), "");
  EXPECT_EQ(dst.all(), std::vector<int>(16, 0));

  // Random placements against the reference; steps of 1 match the plain blit.
  std::mt19937 rng(5);
  for (int n = 0; n < 4000; ++n) {
    Pic<T> s(1 + rng() % 5, 1 + rng() % 5), d(1 + rng() % 9, 1 + rng() % 9);
    Pic<T> expect(d.p->width, d.p->height), plain(d.p->width, d.p->height);
    s.Random(rng);
    int a[4];
    for (int& v : a) v = int(rng() % 15) - 7;
    int w = rng() % 7, h = rng() % 7, stepX = 1 + rng() % 4, stepY = 1 + rng() % 4;
    T::BlitSpaced(s.p, d.p, a[0], a[1], a[2], a[3], w, h, stepX, stepY);
    ReferenceBlit(s, expect, a[0], a[1], a[2], a[3], w, h, stepX, stepY);
    ASSERT_EQ(d.all(), expect.all()) << a[0] << "," << a[1] << " -> " << a[2] << "," << a[3]
                                     << " " << w << "x" << h << " step " << stepX << ","
                                     << stepY;
    Pic<T> spaced1(d.p->width, d.p->height);
    T::Blit(s.p, plain.p, a[0], a[1], a[2], a[3], w, h);
    T::BlitSpaced(s.p, spaced1.p, a[0], a[1], a[2], a[3], w, h, 1, 1);
    ASSERT_EQ(spaced1.all(), plain.all());
  }
}

TYPED_TEST_P(Geometry, WrapRowAndColumnGoRoundTheEdge) {
  using T = TypeParam;
  Pic<T> row(4, 1, {1, 2, 3, 4});
  for (int shift : {6, -2, 14}) {
    Pic<T> dst(8, 2);
    T::WrapRow(row.p, dst.p, 0, 1, shift);
    EXPECT_EQ(dst.all(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 3, 4, 0, 0, 0, 0, 1, 2}))
        << shift;
  }
  {  // A row longer than the destination is cut at its width.
    Pic<T> ten(10, 1), dst(4, 1);
    ten.Number(1);
    T::WrapRow(ten.p, dst.p, 0, 0, 0);
    EXPECT_EQ(dst.all(), (std::vector<int>{1, 2, 3, 4}));
    T::WrapRow(ten.p, dst.p, 0, 0, INT32_MIN);  // INT32_MIN mod 4 = 0
    EXPECT_EQ(dst.all(), (std::vector<int>{1, 2, 3, 4}));
  }
  {  // Store skips 0; Or combines every pixel.
    Pic<T> src(3, 1, {0x0F, 0, 0x0F}), dst(3, 1, {0xF0, 0xF0, 7});
    T::WrapRow(src.p, dst.p, 0, 0, 0);
    EXPECT_EQ(dst.all(), (std::vector<int>{0x0F, 0xF0, 0x0F}));
    Pic<T> ord(3, 1, {0xF0, 0xF0, 0x30});
    T::WrapRowOr(src.p, ord.p, 0, 0, 1);
    EXPECT_EQ(ord.all(), (std::vector<int>{0xFF, 0xFF, 0x30}));
  }
  {  // Columns: a 3-pixel column into a 4-row column from row 3.
    Pic<T> col(2, 3, {0, 1, 0, 2, 0, 3}), dst(2, 4);
    T::WrapColumn(col.p, dst.p, 1, 0, 3);
    EXPECT_EQ(dst.all(), (std::vector<int>{2, 0, 3, 0, 0, 0, 1, 0}));
  }
  // Random shifts and sizes against "pixel i goes to (shift + i) mod length".
  std::mt19937 rng(3);
  for (int n = 0; n < 1000; ++n) {
    int len = 1 + rng() % 9, dlen = 1 + rng() % 9, shift = int(rng() % 41) - 20;
    Pic<T> s(len, 1), d(dlen, 1), e(dlen, 1), sc(1, len), dc(1, dlen);
    s.Random(rng);
    for (int i = 0; i < len; ++i) sc.p->pixels[i] = s.p->pixels[i];
    for (int i = 0; i < std::min(len, dlen); ++i)
      if (s.p->pixels[i]) e.p->pixels[((shift + i) % dlen + dlen) % dlen] = s.p->pixels[i];
    T::WrapRow(s.p, d.p, 0, 0, shift);
    T::WrapColumn(sc.p, dc.p, 0, 0, shift);
    ASSERT_EQ(d.all(), e.all()) << len << " into " << dlen << " shift " << shift;
    ASSERT_EQ(dc.all(), e.all()) << len << " into " << dlen << " shift " << shift;
  }
  // Rows or columns outside, missing blocks and a destination with nowhere to wrap: refused.
  Pic<T> dst(8, 2), flat(0, 2), low(2, 0);
  typename T::Rec bare{8, 2, nullptr};
  for (auto [s, d] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 2}})
    EXPECT_EQ(Printed([&] { T::WrapRow(row.p, dst.p, s, d, 0); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::WrapRowOr(row.p, dst.p, 0, 2, 0); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::WrapColumn(row.p, dst.p, 4, 0, 0); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::WrapColumn(row.p, dst.p, 0, 8, 0); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::WrapRow(row.p, flat.p, 0, 0, 3); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::WrapRowOr(row.p, flat.p, 0, 0, 3); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::WrapColumn(row.p, low.p, 0, 0, 3); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::WrapRow(row.p, &bare, 0, 0, 0); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::WrapColumn(&bare, dst.p, 0, 0, 0); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::WrapRow(nullptr, dst.p, 0, 0, 0); }), T::kReport);
  EXPECT_EQ(dst.all(), std::vector<int>(16, 0));
}

TYPED_TEST_P(Geometry, ScaleTakesTheStatedSourcePositions) {
  using T = TypeParam;
  auto scaled = [](Pic<T>& src, int w, int h) {
    Pic<T> dst(w, h);
    T::Scale(src.p, dst.p);
    return dst.all();
  };
  Pic<T> two(2, 2, {0, 1, 2, 3}), four(4, 4), row(4, 1, {0, 1, 2, 3}), col(1, 4, {0, 1, 2, 3});
  four.Number();
  EXPECT_EQ(scaled(two, 3, 3), (std::vector<int>{0, 0, 1, 0, 0, 1, 2, 2, 3}));
  EXPECT_EQ(scaled(two, 4, 4), (std::vector<int>{0, 0, 1, 1, 0, 0, 1, 1, 2, 2, 3, 3, 2, 2, 3, 3}));
  EXPECT_EQ(scaled(four, 2, 2), (std::vector<int>{5, 7, 13, 15}));
  EXPECT_EQ(scaled(four, 4, 2), (std::vector<int>{0, 1, 2, 3, 8, 9, 10, 11}));
  EXPECT_EQ(scaled(four, 2, 4), (std::vector<int>{1, 3, 5, 7, 9, 11, 13, 15}));
  EXPECT_EQ(scaled(row, 2, 1), (std::vector<int>{1, 3}));
  EXPECT_EQ(scaled(col, 1, 2), (std::vector<int>{0, 2}));
  EXPECT_EQ(scaled(four, 4, 4), four.all());
  EXPECT_EQ(scaled(four, 0, 3), std::vector<int>{});

  // Every combination of sizes up to 12 against the closed form of each case.
  std::mt19937 rng(1);
  for (int n = 0; n < 1500; ++n) {
    int sw = 1 + rng() % 12, sh = 1 + rng() % 12, dw = 1 + rng() % 12, dh = 1 + rng() % 12;
    Pic<T> s(sw, sh);
    s.Number();  // at most 144 pixels: every value names its position
    std::vector<int> got = scaled(s, dw, dh);
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) {
        auto [fx, fy] = ScaleSource(x, y, sw, sh, dw, dh);
        ASSERT_EQ(got[x + y * dw], fx + fy * sw)
            << sw << "x" << sh << " -> " << dw << "x" << dh << " at " << x << "," << y;
      }
  }
  // Missing blocks, negative sizes and an empty source for a non-empty destination: refused.
  Pic<T> dst(3, 3), empty(0, 4);
  dst.Number(1);
  typename T::Rec bare{2, 2, nullptr}, negative{-2, 2, dst.p->pixels};
  EXPECT_EQ(Printed([&] { T::Scale(nullptr, dst.p); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::Scale(two.p, nullptr); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::Scale(&bare, dst.p); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::Scale(two.p, &bare); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::Scale(two.p, &negative); }), T::kReport);
  EXPECT_EQ(Printed([&] { T::Scale(empty.p, dst.p); }), T::kReport);
  EXPECT_EQ(dst.all(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TYPED_TEST_P(Geometry, RotateTurnsAboutTheCentre) {
  using T = TypeParam;
  auto rotated = [](Pic<T>& src, int32_t angle) { return Pic<T>(T::Rotate(src.p, angle)); };
  Pic<T> hundred(100, 100), three(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  {
    Pic<T> r = rotated(hundred, 0);
    EXPECT_EQ(r.p->width, 141);
    EXPECT_EQ(r.p->height, 141);
  }
  Pic<T> r0 = rotated(three, 0), r256 = rotated(three, 256);
  ASSERT_EQ(r0.p->width, 4);
  ASSERT_EQ(r0.p->height, 4);
  EXPECT_EQ(r0.all(), (std::vector<int>{9, 8, 8, 7, 6, 5, 5, 4, 6, 5, 5, 4, 3, 2, 2, 1}));
  EXPECT_EQ(r256.all(), (std::vector<int>{7, 4, 4, 1, 8, 5, 5, 2, 8, 5, 5, 2, 9, 6, 6, 3}));
  EXPECT_EQ(rotated(three, 1024).all(), r0.all());
  EXPECT_EQ(rotated(three, -1024).all(), r0.all());
  EXPECT_EQ(rotated(three, INT32_MIN).all(), r0.all());  // a whole number of turns
  std::mt19937 rng(9);
  Pic<T> pic(23, 17);
  pic.Random(rng, 9);
  EXPECT_EQ(rotated(pic, -1).all(), rotated(pic, 1023).all());
  EXPECT_EQ(rotated(pic, 300 - 4096).all(), rotated(pic, 300).all());
  // Against the formula, one multiplication per product, at random angles and sizes.
  for (int n = 0; n < 60; ++n) {
    Pic<T> s(1 + rng() % 40, 1 + rng() % 40);
    s.Random(rng, 9);
    int32_t angle = int32_t(rng());
    Pic<T> r = rotated(s, angle);
    ASSERT_EQ(r.all(), ReferenceRotate(s, angle, r.p->width, r.p->height)) << angle;
  }
  typename T::Rec bare{2, 2, nullptr};
  EXPECT_EQ(Printed([&] { EXPECT_EQ(T::Rotate(nullptr, 0), nullptr); }), T::kReport);
  EXPECT_EQ(Printed([&] { EXPECT_EQ(T::Rotate(&bare, 0), nullptr); }), T::kReport);
}

TYPED_TEST_P(Geometry, LinePointsWalkFromEndToEnd) {
  using T = TypeParam;
  auto line = [](int x0, int y0, int x1, int y1) {
    int32_t* p = T::LinePoints(x0, y0, x1, y1);
    std::vector<int> v(p, p + 1 + p[0]);
    std::free(p);
    return v;
  };
  EXPECT_EQ(line(0, 0, 0, 0), (std::vector<int>{2, 0, 0}));
  EXPECT_EQ(line(0, 0, 4, 2), (std::vector<int>{10, 0, 0, 1, 1, 2, 1, 3, 2, 4, 2}));
  EXPECT_EQ(line(0, 0, 4, 1), (std::vector<int>{10, 0, 0, 1, 0, 2, 1, 3, 1, 4, 1}));
  EXPECT_EQ(line(0, 0, 2, 4), (std::vector<int>{10, 0, 0, 1, 1, 1, 2, 2, 3, 2, 4}));
  EXPECT_EQ(line(3, 3, 0, 0), (std::vector<int>{8, 3, 3, 2, 2, 1, 1, 0, 0}));
  EXPECT_EQ(line(0, 0, 1, 0), (std::vector<int>{4, 0, 0, 1, 0}));
  EXPECT_EQ(line(5, -2, 5, 1), (std::vector<int>{8, 5, -2, 5, -1, 5, 0, 5, 1}));
  // Any line: N + 1 points, unit steps along the major axis, ending at (x1, y1).
  std::mt19937 rng(2);
  for (int n = 0; n < 500; ++n) {
    int a[4];
    for (int& v : a) v = int(rng() % 41) - 20;
    std::vector<int> v = line(a[0], a[1], a[2], a[3]);
    int len = std::max(std::abs(a[2] - a[0]), std::abs(a[3] - a[1]));
    ASSERT_EQ(v[0], 2 * len + 2);
    EXPECT_EQ(v[1], a[0]);
    EXPECT_EQ(v[2], a[1]);
    EXPECT_EQ(v[v.size() - 2], a[2]);
    EXPECT_EQ(v.back(), a[3]);
    for (size_t i = 3; i + 1 < v.size(); i += 2)
      ASSERT_LE(std::max(std::abs(v[i] - v[i - 2]), std::abs(v[i + 1] - v[i - 1])), 1);
  }
  // Ends at opposite ends of the 32-bit range: no list could hold the count.
  EXPECT_EQ(Printed([] { EXPECT_EQ(T::LinePoints(INT32_MIN, 0, INT32_MAX, 0), nullptr); }),
            T::kReport);
  EXPECT_EQ(line(INT32_MAX - 1, INT32_MIN, INT32_MAX, INT32_MIN + 1),
            (std::vector<int>{4, INT32_MAX - 1, INT32_MIN, INT32_MAX, INT32_MIN + 1}));
}

REGISTER_TYPED_TEST_SUITE_P(Geometry, BlitClipsAtEveryEdgeWithoutMovingPixels,
                            BlitSkipsZeroAndDrawsNothingWhenOff,
                            BlendAveragesInsideTheClippedArea, BlitSpacedPlacesOnItsGrid,
                            WrapRowAndColumnGoRoundTheEdge, ScaleTakesTheStatedSourcePositions,
                            RotateTurnsAboutTheCentre, LinePointsWalkFromEndToEnd);

}  // namespace geometry

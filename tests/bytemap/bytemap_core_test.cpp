// BYTEMAP record, core operations, drawing and palette conversion.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>

#include "audio/palette.h"
#include "bytemap/bytemap.h"
#include "support/k8test.h"

namespace {

using k8test::Printed;

const std::string kError = "BYTEMAP error\n";

struct Map {
  BYTEMAP* p;
  Map(int32_t w, int32_t h) : p(BYTEMAPNew()) { BYTEMAPResize(p, w, h); }
  ~Map() { if (p) BYTEMAPFree(&p); }
  uint8_t at(int32_t x, int32_t y) const { return p->pixels[x + y * p->width]; }
  int count(uint8_t v) const {
    int n = 0;
    for (int i = 0; i < p->width * p->height; ++i) n += p->pixels[i] == v;
    return n;
  }
};

TEST(BytemapCore, NewResizeAndFree) {
  BYTEMAP* m = BYTEMAPNew();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->width, 16);
  EXPECT_EQ(m->height, 16);
  m->pixels[3] = 9;
  BYTEMAPResize(m, 16, 16);
  EXPECT_EQ(m->pixels[3], 0) << "resizing to the same size clears";
  BYTEMAPFree(&m);
  EXPECT_EQ(m, nullptr);
  EXPECT_EQ(Printed([&] { BYTEMAPFree(&m); }), kError);
}

TEST(BytemapCore, ZeroByZeroHasPixelsAndCompares) {
  Map a(0, 0), b(0, 0);
  EXPECT_NE(a.p->pixels, nullptr);
  EXPECT_EQ(Printed([&] { EXPECT_EQ(BYTEMAPEqual(a.p, b.p), 1); }), "");
  EXPECT_EQ(Printed([&] { BYTEMAPClear(a.p); BYTEMAPAdd(a.p, 3); }), "");
}

TEST(BytemapCore, ImpossibleSizesLeaveNoBlock) {
  Map m(4, 4);
  for (auto [w, h] : {std::pair{-3, 3}, {3, -3}, {100000, 100000}}) {
    EXPECT_EQ(Printed([&] { BYTEMAPResize(m.p, w, h); }), kError);
    EXPECT_EQ(m.p->pixels, nullptr);
    EXPECT_EQ(m.p->width, 0);
    EXPECT_EQ(m.p->height, 0);
  }
  EXPECT_EQ(Printed([&] { BYTEMAPAdd(m.p, 1); }), kError);
  EXPECT_EQ(Printed([&] { BYTEMAPDarken(m.p, 1); }), kError);
  EXPECT_EQ(Printed([&] { BYTEMAPSetPixel(m.p, 0, 0, 1); }), kError);
}

TEST(BytemapCore, PixelsStoreTheLowByteAndIgnoreOutside) {
  Map m(3, 2);
  BYTEMAPSetPixel(m.p, 1, 1, 300);
  EXPECT_EQ(m.at(1, 1), 44);
  EXPECT_EQ(Printed([&] {
              BYTEMAPSetPixel(m.p, 3, 0, 1);
              BYTEMAPSetPixel(m.p, 0, -1, 1);
              EXPECT_EQ(BYTEMAPGetPixel(m.p, 3, 0), 0);
              EXPECT_EQ(BYTEMAPGetPixel(m.p, 0, -1), 0);
            }),
            "");
  EXPECT_EQ(m.count(0), 5);
}

TEST(BytemapCore, CopyEqualCopyPixels) {
  Map a(2, 3), b(3, 2);
  for (int i = 0; i < 6; ++i) a.p->pixels[i] = b.p->pixels[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(Printed([&] { EXPECT_EQ(BYTEMAPEqual(a.p, b.p), 0); }), "");
  EXPECT_EQ(Printed([&] { BYTEMAPCopyPixels(a.p, b.p); }), kError);
  BYTEMAP* c = BYTEMAPCopy(a.p);
  EXPECT_EQ(BYTEMAPEqual(a.p, c), 1);
  BYTEMAPFree(&c);
}

TEST(BytemapDraw, RectanglesMustLieInside) {
  Map m(6, 5);
  BYTEMAPFillRect(m.p, 0, 0, 6, 5, 7);
  EXPECT_EQ(m.count(7), 30);
  for (auto r : {std::array{1, 0, 6, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}, {0, -1, 1, 1},
                 {5, 4, INT_MAX, 1}}) {
    EXPECT_EQ(Printed([&] { BYTEMAPFillRect(m.p, r[0], r[1], r[2], r[3], 1); }), kError);
    EXPECT_EQ(Printed([&] { BYTEMAPDrawRect(m.p, r[0], r[1], r[2], r[3], 1); }), kError);
  }
  EXPECT_EQ(m.count(7), 30);
  BYTEMAPClear(m.p);
  BYTEMAPDrawRect(m.p, 2, 3, 1, 1, 9);
  EXPECT_EQ(m.count(9), 1);
  EXPECT_EQ(m.at(2, 3), 9);
  BYTEMAPClear(m.p);
  BYTEMAPDrawRect(m.p, 0, 0, 4, 3, 256 + 5);
  EXPECT_EQ(m.count(5), 10);
  EXPECT_EQ(m.at(1, 1), 0);
  EXPECT_EQ(m.at(2, 1), 0);
}

TEST(BytemapDraw, AddAndDarkenWorkOnTheLowByte) {
  Map m(3, 1);
  m.p->pixels[0] = 255;
  m.p->pixels[1] = 7;
  m.p->pixels[2] = 200;
  BYTEMAPAdd(m.p, 1);
  EXPECT_EQ(m.at(0, 0), 0);
  BYTEMAPAdd(m.p, 257);
  EXPECT_EQ(m.at(0, 0), 1);
  BYTEMAPAdd(m.p, -1);
  EXPECT_EQ(m.at(0, 0), 0);
  EXPECT_EQ(m.at(1, 0), 8);
  BYTEMAPAdd(m.p, -1);  // back to 7 and 200
  m.p->pixels[0] = 255;
  BYTEMAPDarken(m.p, 266);
  EXPECT_EQ(m.at(0, 0), 245);
  EXPECT_EQ(m.at(1, 0), 0);
  EXPECT_EQ(m.at(2, 0), 190);
  EXPECT_EQ(Printed([] { BYTEMAPAdd(nullptr, 1); }), kError);
}

TEST(BytemapDraw, AndNeedsEqualSizes) {
  Map mask(2, 1), target(2, 1), small(1, 1);
  mask.p->pixels[0] = 0x0F;
  mask.p->pixels[1] = 0xFF;
  target.p->pixels[0] = 0x3C;
  target.p->pixels[1] = 0x3C;
  BYTEMAPAnd(mask.p, target.p);
  EXPECT_EQ(target.at(0, 0), 0x0C);
  EXPECT_EQ(target.at(1, 0), 0x3C);
  EXPECT_EQ(Printed([&] { BYTEMAPAnd(mask.p, small.p); }), kError);
  EXPECT_EQ(Printed([&] { BYTEMAPAnd(small.p, mask.p); }), kError);
  EXPECT_EQ(mask.at(1, 0), 0xFF);
}

TEST(BytemapDraw, ToImgGoesThroughTheWholePalette) {
  PALETTE* pal = PALETTENew();
  ASSERT_NE(pal, nullptr);
  for (int i = 0; i < 256; ++i) pal->items[i] = 0x010101 * i + 0xFF000000;
  Map m(256, 256);
  for (int i = 0; i < 256 * 256; ++i) m.p->pixels[i] = static_cast<uint8_t>(i * 7);
  IMG* img = IMGNew();
  IMGResize(img, 256, 256);
  BYTEMAPToIMG(m.p, img, pal);
  for (int i : {0, 1, 300, 65535})
    EXPECT_EQ(img->pixels[i], 0x010101u * static_cast<uint8_t>(i * 7) + 0xFF000000u);

  // Refusals leave the image as it was.
  IMGResize(img, 256, 255);
  EXPECT_EQ(Printed([&] { BYTEMAPToIMG(m.p, img, pal); }), kError);
  EXPECT_EQ(img->pixels[0], 0u);
  IMGResize(img, 256, 256);
  pal->length = 255;
  EXPECT_EQ(Printed([&] { BYTEMAPToIMG(m.p, img, pal); }), kError);
  EXPECT_EQ(img->pixels[0], 0u);
  pal->length = 256;
  EXPECT_EQ(Printed([&] { BYTEMAPToIMG(m.p, nullptr, pal); }), kError);
  EXPECT_EQ(Printed([&] { BYTEMAPToIMG(nullptr, img, pal); }), kError);
  EXPECT_EQ(Printed([&] { BYTEMAPToIMG(m.p, img, nullptr); }), kError);
  IMG* empty = IMGNew();
  BYTEMAP* bare = BYTEMAPNew();
  Printed([&] {
    IMGResize(empty, -1, 0);
    BYTEMAPResize(bare, -1, 0);
  });
  EXPECT_EQ(Printed([&] { BYTEMAPToIMG(bare, empty, pal); }), kError);
  IMGFree(&empty);
  BYTEMAPFree(&bare);
  IMGFree(&img);
  PALETTEFree(&pal);
}

}  // namespace

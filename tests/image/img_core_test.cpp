// IMG record and core operations: sizes, refusals and their printed line, rectangles,
// darkening.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "image/img.h"
#include "support/k8test.h"

namespace {

using k8test::Printed;

struct Image {
  IMG* p;
  Image(int32_t w, int32_t h) : p(IMGNew()) { IMGResize(p, w, h); }
  ~Image() { if (p) IMGFree(&p); }
  uint32_t at(int32_t x, int32_t y) const { return p->pixels[x + y * p->width]; }
};

int Count(const IMG* img, uint32_t colour) {
  int n = 0;
  for (int i = 0; i < img->width * img->height; ++i) n += img->pixels[i] == colour;
  return n;
}

TEST(ImgCore, NewIsSixteenSquareAndBlack) {
  IMG* img = IMGNew();
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->width, 16);
  EXPECT_EQ(img->height, 16);
  EXPECT_EQ(Count(img, 0), 256);
  IMGFree(&img);
  EXPECT_EQ(img, nullptr);
  EXPECT_EQ(Printed([&] { IMGFree(&img); }), "IMG error\n");
  EXPECT_EQ(Printed([] { IMGFree(nullptr); }), "IMG error\n");
}

TEST(ImgCore, ResizeClearsAndRefusesImpossibleSizes) {
  Image img(4, 3);
  img.p->pixels[5] = 7;
  IMGResize(img.p, 4, 3);
  EXPECT_EQ(Count(img.p, 0), 12) << "resizing to the same size clears";

  // Negative sides and products beyond 32 bits: report, no block, 0 x 0.
  for (auto [w, h] : {std::pair{-1, 5}, {5, -1}, {65536, 65536}, {INT_MAX, 2}}) {
    EXPECT_EQ(Printed([&] { IMGResize(img.p, w, h); }), "IMG error\n") << w << "x" << h;
    EXPECT_EQ(img.p->pixels, nullptr);
    EXPECT_EQ(img.p->width, 0);
    EXPECT_EQ(img.p->height, 0);
  }
  // An image without pixels is refused by everything that needs them.
  EXPECT_EQ(Printed([&] { IMGClear(img.p); }), "IMG error\n");
  EXPECT_EQ(Printed([&] { EXPECT_EQ(IMGGetPixel(img.p, 0, 0), 0u); }), "IMG error\n");
  EXPECT_EQ(Printed([&] { IMGDarken(img.p, 8); }), "IMG error\n");
  EXPECT_EQ(Printed([&] { EXPECT_EQ(IMGCopy(img.p), nullptr); }), "IMG error\n");
  // ... and a later resize gives it pixels again.
  IMGResize(img.p, 2, 2);
  ASSERT_NE(img.p->pixels, nullptr);
  EXPECT_EQ(Printed([] { IMGResize(nullptr, 1, 1); }), "IMG error\n");
}

TEST(ImgCore, ZeroSizedImageHasABlock) {
  Image img(0, 5);
  EXPECT_NE(img.p->pixels, nullptr);
  EXPECT_EQ(Printed([&] { IMGClear(img.p); }), "");
}

TEST(ImgCore, PixelAccessIgnoresOutsideSilently) {
  Image img(3, 2);
  std::string out = Printed([&] {
    IMGSetPixel(img.p, 3, 0, 1);
    IMGSetPixel(img.p, 0, -1, 1);
    IMGSetPixel(img.p, -1, 0, 1);
    IMGSetPixel(img.p, 0, 2, 1);
    EXPECT_EQ(IMGGetPixel(img.p, 3, 0), 0u);
    EXPECT_EQ(IMGGetPixel(img.p, 0, -1), 0u);
  });
  EXPECT_EQ(out, "");
  EXPECT_EQ(Count(img.p, 0), 6);
  IMGSetPixel(img.p, 2, 1, 0xABCDEF);
  EXPECT_EQ(img.at(2, 1), 0xABCDEFu);
  EXPECT_EQ(IMGGetPixel(img.p, 2, 1), 0xABCDEFu);
  EXPECT_EQ(Printed([] { IMGSetPixel(nullptr, 0, 0, 1); }), "IMG error\n");
}

TEST(ImgCore, FillRectLiesWhollyInsideOrIsRefused) {
  Image img(256, 256);
  EXPECT_EQ(Printed([&] { IMGFillRect(img.p, 250, 0, 6, 1, 9); }), "");
  EXPECT_EQ(img.at(250, 0), 9u);
  EXPECT_EQ(img.at(255, 0), 9u);
  EXPECT_EQ(Count(img.p, 9), 6);
  for (auto r : {std::array{250, 0, 7, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}, {-1, 0, 2, 2},
                 {0, 256, 1, 1}, {1, 1, INT_MAX, 1}, {1, 1, 1, INT_MAX}}) {
    EXPECT_EQ(Printed([&] { IMGFillRect(img.p, r[0], r[1], r[2], r[3], 5); }), "IMG error\n");
    EXPECT_EQ(Printed([&] { IMGDrawRect(img.p, r[0], r[1], r[2], r[3], 5); }), "IMG error\n");
  }
  EXPECT_EQ(Count(img.p, 5), 0);
  // A full-width band fills exactly its rows, however its length falls on the fill's pieces.
  IMGFillRect(img.p, 0, 10, 256, 37, 4);
  EXPECT_EQ(Count(img.p, 4), 256 * 37);
  EXPECT_EQ(img.at(255, 9), 0u);
  EXPECT_EQ(img.at(0, 10), 4u);
  EXPECT_EQ(img.at(255, 46), 4u);
  EXPECT_EQ(img.at(0, 47), 0u);
  IMGFillRect(img.p, 0, 0, 256, 256, 3);
  EXPECT_EQ(Count(img.p, 3), 256 * 256);
}

TEST(ImgCore, DrawRectOutlines) {
  Image img(5, 5);
  IMGDrawRect(img.p, 1, 1, 1, 1, 4);
  EXPECT_EQ(Count(img.p, 4), 1);
  EXPECT_EQ(img.at(1, 1), 4u);
  IMGClear(img.p);
  IMGDrawRect(img.p, 1, 1, 3, 3, 6);
  EXPECT_EQ(Count(img.p, 6), 8);
  EXPECT_EQ(img.at(2, 2), 0u) << "the centre stays";
  IMGClear(img.p);
  IMGDrawRect(img.p, 0, 2, 5, 1, 1);
  EXPECT_EQ(Count(img.p, 1), 5);
}

TEST(ImgCore, DarkenUsesTheLowByteAndStopsAtZero) {
  Image img(2, 1);
  img.p->pixels[0] = 0x00050A20;
  img.p->pixels[1] = 0xFF808080;
  IMGDarken(img.p, 0x108);
  EXPECT_EQ(img.at(0, 0), 0x00000218u);
  EXPECT_EQ(img.at(1, 0), 0x00787878u) << "the top byte becomes 0";
  img.p->pixels[0] = 0x00FFFFFF;
  for (int i = 0; i < 32; ++i) IMGDarken(img.p, 8);
  EXPECT_EQ(img.at(0, 0), 0u);
  EXPECT_EQ(Printed([] { IMGDarken(nullptr, 1); }), "IMG error\n");
  // Every channel of a picture of odd size (whole pieces of the pass and a rest), each
  // against its own subtraction.
  Image big(37, 3);
  for (uint32_t amount : {0u, 1u, 8u, 0x7Fu, 0xFFu, 0x1F0u}) {
    std::vector<uint32_t> before(37 * 3);
    for (size_t i = 0; i < before.size(); ++i)
      before[i] = big.p->pixels[i] = static_cast<uint32_t>(i * 2654435761u + amount);
    IMGDarken(big.p, amount);
    for (size_t i = 0; i < before.size(); ++i) {
      uint32_t expect = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        const int channel = static_cast<int>(before[i] >> shift & 0xFF) - int(amount & 0xFF);
        expect |= static_cast<uint32_t>(channel > 0 ? channel : 0) << shift;
      }
      ASSERT_EQ(big.p->pixels[i], expect) << "pixel " << i << ", amount " << amount;
    }
  }
}

TEST(ImgCore, CopyEqualAndCopyPixels) {
  Image a(2, 3), b(3, 2);
  for (int i = 0; i < 6; ++i) a.p->pixels[i] = b.p->pixels[i] = i + 1;
  EXPECT_EQ(Printed([&] { EXPECT_EQ(IMGEqual(a.p, b.p), 0); }), "") << "sizes differ: no report";

  IMG* c = IMGCopy(a.p);
  ASSERT_NE(c, nullptr);
  EXPECT_NE(c->pixels, a.p->pixels);
  EXPECT_EQ(Printed([&] { EXPECT_EQ(IMGEqual(a.p, c), 1); }), "");
  c->pixels[5] = 0;
  EXPECT_EQ(IMGEqual(a.p, c), 0);

  EXPECT_EQ(Printed([&] { IMGCopyPixels(a.p, b.p); }), "IMG error\n");
  EXPECT_EQ(b.p->pixels[5], 6u) << "destination unchanged";
  IMGCopyPixels(a.p, c);
  EXPECT_EQ(IMGEqual(a.p, c), 1);
  IMGFree(&c);

  EXPECT_EQ(Printed([&] { EXPECT_EQ(IMGEqual(a.p, nullptr), 0); }), "IMG error\n");
  EXPECT_EQ(Printed([] { EXPECT_EQ(IMGCopy(nullptr), nullptr); }), "IMG error\n");
  // An empty image copies to an empty image that still has a block; a record whose sides
  // were set by hand past what a block can hold is refused with one report, nothing read.
  Image empty(0, 0);
  IMG* e = nullptr;
  EXPECT_EQ(Printed([&] { e = IMGCopy(empty.p); }), "");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->width, 0);
  EXPECT_EQ(e->height, 0);
  EXPECT_NE(e->pixels, nullptr);
  IMGFree(&e);
  uint32_t word = 7;
  IMG huge{65536, 65536, &word};
  EXPECT_EQ(Printed([&] { EXPECT_EQ(IMGCopy(&huge), nullptr); }), "IMG error\n");
}

TEST(ImgCore, ClearTouchesOnlyTheBlock) {
  Image img(7, 3);
  IMGFillRect(img.p, 0, 0, 7, 3, 0xFFFFFF);
  IMGClear(img.p);  // AddressSanitizer catches a write beyond the 21 words
  EXPECT_EQ(Count(img.p, 0), 21);
}

}  // namespace

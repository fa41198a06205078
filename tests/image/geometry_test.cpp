// IMG block transfers, scaling, rotation and line points: the shared geometry suite run on
// IMG, the run tables, and what only 32-bit pixels have (channel-wise blend, top byte, mask).
#include <gtest/gtest.h>

#include "geometry_suite.h"
#include "image/img.h"
#include "image/raster.h"

using geometry::Pic;
using geometry::Printed;

// Global (not in an anonymous namespace) so test names read <ImgTwin>.
struct ImgTwin {
  using Rec = IMG;
  static constexpr const char* kReport = "IMG error\n";
  static constexpr auto& New = IMGNew;
  static constexpr auto& Resize = IMGResize;
  static constexpr auto& Free = IMGFree;
  static constexpr auto& Blit = IMGBlit;
  static constexpr auto& Blend = IMGBlend;
  static constexpr auto& BlitSpaced = IMGBlitSpaced;
  static constexpr auto& WrapRow = IMGWrapRow;
  static constexpr auto& WrapRowOr = IMGWrapRowOr;
  static constexpr auto& WrapColumn = IMGWrapColumn;
  static constexpr auto& Scale = IMGScale;
  static constexpr auto& Rotate = IMGRotate;
  static constexpr auto& LinePoints = IMGLinePoints;
  static uint32_t Average(uint32_t s, uint32_t d) {
    return ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F);
  }
};

namespace geometry {
INSTANTIATE_TYPED_TEST_SUITE_P(ImgGeometry, Geometry, ImgTwin);
}

namespace {

std::vector<int32_t> Runs(int32_t larger, int32_t smaller) {
  raster::Block<int32_t> t = raster::MakeRunTable(larger, smaller);
  int32_t m = std::min(std::abs(larger), std::abs(smaller));
  return std::vector<int32_t>(t.get(), t.get() + m + 1);
}

TEST(RunTable, CountsHowManyLargerPositionsEachSmallerOneCovers) {
  using V = std::vector<int32_t>;
  EXPECT_EQ(Runs(4, 2), (V{2, 2, 1}));
  EXPECT_EQ(Runs(5, 2), (V{3, 2, 1}));
  EXPECT_EQ(Runs(6, 4), (V{2, 1, 2, 1, 1}));
  EXPECT_EQ(Runs(3, 2), (V{2, 1, 1}));
  EXPECT_EQ(Runs(10, 4), (V{3, 2, 3, 2, 1}));
  EXPECT_EQ(Runs(3, 3), (V{1, 1, 1, 1}));
  EXPECT_EQ(Runs(2, 4), Runs(4, 2)) << "the larger length is found whichever comes first";
  EXPECT_EQ(Runs(-4, 2), Runs(4, 2)) << "lengths are taken as absolute values";
  EXPECT_EQ(Runs(5, 0), (V{6}));
  EXPECT_EQ(Runs(0, 0), (V{1}));
  for (int32_t l = 1; l <= 40; ++l)
    for (int32_t m = 1; m <= l; ++m) {
      V t = Runs(l, m);
      int32_t sum = 0;
      for (int32_t k = 0; k < m; ++k) sum += t[k];
      ASSERT_EQ(sum, l) << l << "," << m;
      ASSERT_EQ(t[m], 1) << l << "," << m;
    }
}

TEST(ImgGeometry, BlendWorksPerChannel) {
  Pic<ImgTwin> src(3, 1, {0xC8C8C8, 0xFFFFFF, 0}), dst(3, 1, {0x646464, 0xFFFFFF, 0x123456});
  IMGBlend(src.p, dst.p, 0, 0);
  EXPECT_EQ(dst.all(), (std::vector<int>{0x969696, 0xFEFEFE, 0x123456}));
  // No channel carries into the next; the top byte comes out 0.
  Pic<ImgTwin> odd(1, 1, {0x01FF01}), top(1, 1, {0x01FF01});
  top.p->pixels[0] |= 0xFF000000u;
  IMGBlend(odd.p, top.p, 0, 0);
  EXPECT_EQ(top.p->pixels[0], 0x00FE00u);
}

TEST(ImgGeometry, TransparencyIsTheWholeWord) {
  Pic<ImgTwin> src(2, 1), dst(2, 1, {7, 7});
  src.p->pixels[0] = 0xFF000000u;  // invisible, yet not transparent
  IMGBlit(src.p, dst.p, 0, 0, 0, 0, 2, 1);
  EXPECT_EQ(dst.p->pixels[0], 0xFF000000u);
  EXPECT_EQ(dst.p->pixels[1], 7u);
}

TEST(ImgGeometry, AndMasksTheTargetsLeadingElements) {
  Pic<ImgTwin> mask(2, 2), target(2, 2);
  const uint32_t m[] = {0, 0x00FFFFFF, 0x0000FF00, 0xFFFFFFFF};
  const uint32_t t[] = {0x123456, 0xAB123456, 0x123456, 0x80808080};
  for (int i = 0; i < 4; ++i) mask.p->pixels[i] = m[i], target.p->pixels[i] = t[i];
  IMGAnd(mask.p, target.p);
  EXPECT_EQ(target.p->pixels[0], 0u);
  EXPECT_EQ(target.p->pixels[1], 0x123456u);
  EXPECT_EQ(target.p->pixels[2], 0x3400u);
  EXPECT_EQ(target.p->pixels[3], 0x80808080u);

  // A smaller mask works over the flat blocks: the target's first 4 elements, whatever the
  // shapes; the rest stays, and nothing is reported.
  Pic<ImgTwin> small(2, 2), large(3, 3);
  const uint32_t sm[] = {0x00FFFFFF, 0, 0x000F0F0F, 0x00FF00FF};
  const uint32_t lt[] = {0xAB123456, 0x00FFFFFF, 0x00ABCDEF, 0x00F0F0F0, 5, 6, 7, 8, 9};
  for (int i = 0; i < 4; ++i) small.p->pixels[i] = sm[i];
  for (int i = 0; i < 9; ++i) large.p->pixels[i] = lt[i];
  EXPECT_EQ(Printed([&] { IMGAnd(small.p, large.p); }), "");
  EXPECT_EQ(large.all(), (std::vector<int>{0x00123456, 0, 0x000B0D0F, 0x00F000F0, 5, 6, 7, 8, 9}));

  // A target with fewer elements than the mask, or a record without a block, is refused and
  // left as it was.
  Pic<ImgTwin> one(1, 1, {0x77});
  IMG bare{2, 2, nullptr};
  EXPECT_EQ(Printed([&] { IMGAnd(large.p, target.p); }), "IMG error\n");
  EXPECT_EQ(Printed([&] { IMGAnd(target.p, one.p); }), "IMG error\n");
  EXPECT_EQ(one.p->pixels[0], 0x77u);
  EXPECT_EQ(Printed([&] { IMGAnd(&bare, target.p); }), "IMG error\n");
  EXPECT_EQ(Printed([&] { IMGAnd(target.p, &bare); }), "IMG error\n");
  EXPECT_EQ(Printed([&] { IMGAnd(nullptr, target.p); }), "IMG error\n");
  EXPECT_EQ(Printed([&] { IMGAnd(target.p, nullptr); }), "IMG error\n");
  EXPECT_EQ(target.p->pixels[1], 0x123456u);
}

TEST(ImgGeometry, RotationMapsTheCentreAndTurnsByAHalfTurnMore) {
  Pic<ImgTwin> src(100, 100);
  src.Number();  // distinct words: every result pixel names its source
  Pic<ImgTwin> r(IMGRotate(src.p, 0));
  ASSERT_EQ(r.p->width, 141);
  const int dc = 70, sc = 50;
  EXPECT_EQ(r.at(dc, dc), src.at(sc, sc));
  EXPECT_EQ(r.at(dc + 1, dc), src.at(sc - 1, sc));
  EXPECT_EQ(r.at(dc, dc + 1), src.at(sc, sc - 1));
  EXPECT_EQ(r.at(0, 0), 0u) << "corners lie outside the source";
  Pic<ImgTwin> q(IMGRotate(src.p, 256));  // a quarter turn more
  EXPECT_EQ(q.at(dc + 10, dc), src.at(sc, sc - 10));
}

}  // namespace

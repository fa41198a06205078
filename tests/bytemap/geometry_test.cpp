// BYTEMAP block transfers, scaling, rotation and line points: the shared geometry suite run on
// BYTEMAP, and a cross-check that IMG and BYTEMAP place exactly the same pixels.
#include <gtest/gtest.h>

#include <random>

#include "../image/geometry_suite.h"
#include "bytemap/bytemap.h"
#include "image/img.h"

using geometry::Pic;
using geometry::Printed;

// Global (not in an anonymous namespace) so test names read <MapTwin>.
struct MapTwin {
  using Rec = BYTEMAP;
  static constexpr const char* kReport = "BYTEMAP error\n";
  static constexpr auto& New = BYTEMAPNew;
  static constexpr auto& Resize = BYTEMAPResize;
  static constexpr auto& Free = BYTEMAPFree;
  static constexpr auto& Blit = BYTEMAPBlit;
  static constexpr auto& Blend = BYTEMAPBlend;
  static constexpr auto& BlitSpaced = BYTEMAPBlitSpaced;
  static constexpr auto& WrapRow = BYTEMAPWrapRow;
  static constexpr auto& WrapRowOr = BYTEMAPWrapRowOr;
  static constexpr auto& WrapColumn = BYTEMAPWrapColumn;
  static constexpr auto& Scale = BYTEMAPScale;
  static constexpr auto& Rotate = BYTEMAPRotate;
  static constexpr auto& LinePoints = BYTEMAPLinePoints;
  static uint8_t Average(uint8_t s, uint8_t d) { return uint8_t((s >> 1) + (d >> 1)); }
};

struct ImgTwin {
  using Rec = IMG;
  static constexpr auto& New = IMGNew;
  static constexpr auto& Resize = IMGResize;
  static constexpr auto& Free = IMGFree;
};

namespace geometry {
INSTANTIATE_TYPED_TEST_SUITE_P(BytemapGeometry, Geometry, MapTwin);
}

namespace {

TEST(BytemapGeometry, BlendHalvesBeforeTheSum) {
  Pic<MapTwin> src(4, 1, {200, 0, 255, 3}), dst(4, 1, {100, 100, 255, 1});
  BYTEMAPBlend(src.p, dst.p, 0, 0);
  EXPECT_EQ(dst.all(), (std::vector<int>{150, 100, 254, 1}));
}

// The same positions from both modules: each source pixel carries its own index (below 256
// for BYTEMAP), so equal results mean equal placement.
TEST(BytemapGeometry, PlacesTheSamePixelsAsImg) {
  std::mt19937 rng(17);
  for (int n = 0; n < 400; ++n) {
    int sw = 1 + rng() % 15, sh = 1 + rng() % 15, dw = 1 + rng() % 30, dh = 1 + rng() % 30;
    Pic<MapTwin> ms(sw, sh), md(dw, dh);
    Pic<ImgTwin> is(sw, sh), id(dw, dh);
    ms.Number(1);
    is.Number(1);
    BYTEMAPScale(ms.p, md.p);
    IMGScale(is.p, id.p);
    ASSERT_EQ(md.all(), id.all()) << sw << "x" << sh << " -> " << dw << "x" << dh;

    int32_t angle = int32_t(rng() % 4096) - 2048;
    Pic<MapTwin> mr(BYTEMAPRotate(ms.p, angle));
    Pic<ImgTwin> ir(IMGRotate(is.p, angle));
    ASSERT_EQ(mr.all(), ir.all()) << sw << "x" << sh << " angle " << angle;

    int a[6];
    for (int& v : a) v = int(rng() % 31) - 15;
    int step = 1 + rng() % 3;
    BYTEMAPBlitSpaced(ms.p, md.p, a[0], a[1], a[2], a[3], a[4], a[5], step, step);
    IMGBlitSpaced(is.p, id.p, a[0], a[1], a[2], a[3], a[4], a[5], step, step);
    BYTEMAPWrapColumn(ms.p, md.p, 0, dw - 1, a[0]);
    IMGWrapColumn(is.p, id.p, 0, dw - 1, a[0]);
    ASSERT_EQ(md.all(), id.all());
  }
}

}  // namespace

// bmblit.cpp - BYTEMAP block transfers: clipped, blended and spaced copies and wrapping row
// and column copies. The geometry lives in image/raster.h, shared with IMG; here only what a
// byte pixel is: transparent when 0, averaged as a whole.
#include "bytemap/bytemap.h"
#include "image/raster.h"

namespace {

// Both halved (rounding down) before the sum: at most 254, and two odd values lose a unit.
// Computed as the rounded-up mean less the unit that rounding up adds when either value is
// odd: (s >> 1) + (d >> 1) is exactly that, and processors have one instruction for the
// rounded-up mean of bytes, where they have no byte shift.
uint8_t AverageBytes(uint8_t s, uint8_t d) {
  return static_cast<uint8_t>(((unsigned(s) + d + 1) >> 1) - ((s | d) & 1u));
}

void ReportUnless(bool ok) {
  if (!ok) BYTEMAPError();
}

}  // namespace

void BYTEMAPBlit(const BYTEMAP* source, BYTEMAP* destination, int32_t srcX, int32_t srcY,
                 int32_t dstX, int32_t dstY, int32_t w, int32_t h) {
  ReportUnless(raster::Blit(source, destination, srcX, srcY, dstX, dstY, w, h));
}

void BYTEMAPBlend(const BYTEMAP* source, BYTEMAP* destination, int32_t x, int32_t y) {
  ReportUnless(raster::Blend<AverageBytes>(source, destination, x, y));
}

void BYTEMAPBlitSpaced(const BYTEMAP* source, BYTEMAP* destination, int32_t srcX, int32_t srcY,
                       int32_t dstX, int32_t dstY, int32_t w, int32_t h, int32_t stepX,
                       int32_t stepY) {
  ReportUnless(
      raster::BlitSpaced(source, destination, srcX, srcY, dstX, dstY, w, h, stepX, stepY));
}

void BYTEMAPWrapRow(const BYTEMAP* source, BYTEMAP* destination, int32_t srcRow, int32_t dstRow,
                    int32_t shift) {
  ReportUnless(raster::WrapRow(source, destination, srcRow, dstRow, shift, raster::WrapMode::Store));
}

void BYTEMAPWrapRowOr(const BYTEMAP* source, BYTEMAP* destination, int32_t srcRow,
                      int32_t dstRow, int32_t shift) {
  ReportUnless(raster::WrapRow(source, destination, srcRow, dstRow, shift, raster::WrapMode::Or));
}

void BYTEMAPWrapColumn(const BYTEMAP* source, BYTEMAP* destination, int32_t srcCol,
                       int32_t dstCol, int32_t shift) {
  ReportUnless(raster::WrapColumn(source, destination, srcCol, dstCol, shift));
}

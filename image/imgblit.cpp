// imgblit.cpp - IMG block transfers: clipped, blended and spaced copies, wrapping row and
// column copies and the AND mask. The geometry lives in raster.h; here only what a 32-bit
// pixel is: transparent when the whole word is 0, averaged channel by channel.
#include "image/img.h"
#include "image/raster.h"

namespace {

// Each channel halved (rounding down) before the sum, so no channel carries into the next
// and the top byte comes out 0.
uint32_t AverageWords(uint32_t s, uint32_t d) {
  return ((s >> 1) & 0x7F7F7Fu) + ((d >> 1) & 0x7F7F7Fu);
}

void ReportUnless(bool ok) {
  if (!ok) IMGError();
}

}  // namespace

void IMGBlit(const IMG* source, IMG* destination, int32_t srcX, int32_t srcY, int32_t dstX,
             int32_t dstY, int32_t w, int32_t h) {
  ReportUnless(raster::Blit(source, destination, srcX, srcY, dstX, dstY, w, h));
}

void IMGBlend(const IMG* source, IMG* destination, int32_t x, int32_t y) {
  ReportUnless(raster::Blend<AverageWords>(source, destination, x, y));
}

void IMGBlitSpaced(const IMG* source, IMG* destination, int32_t srcX, int32_t srcY,
                   int32_t dstX, int32_t dstY, int32_t w, int32_t h, int32_t stepX,
                   int32_t stepY) {
  ReportUnless(
      raster::BlitSpaced(source, destination, srcX, srcY, dstX, dstY, w, h, stepX, stepY));
}

void IMGWrapRow(const IMG* source, IMG* destination, int32_t srcRow, int32_t dstRow,
                int32_t shift) {
  ReportUnless(raster::WrapRow(source, destination, srcRow, dstRow, shift, raster::WrapMode::Store));
}

void IMGWrapRowOr(const IMG* source, IMG* destination, int32_t srcRow, int32_t dstRow,
                  int32_t shift) {
  ReportUnless(raster::WrapRow(source, destination, srcRow, dstRow, shift, raster::WrapMode::Or));
}

void IMGWrapColumn(const IMG* source, IMG* destination, int32_t srcCol, int32_t dstCol,
                   int32_t shift) {
  ReportUnless(raster::WrapColumn(source, destination, srcCol, dstCol, shift));
}

void IMGAnd(const IMG* mask, IMG* target) { ReportUnless(raster::AndMask(mask, target)); }

// bmxform.cpp - BYTEMAP scaling, rotation and line points, over the geometry in
// image/raster.h that the IMG twins share, so both place exactly the same pixels.
#include "bytemap/bytemap.h"
#include "image/raster.h"

void BYTEMAPScale(const BYTEMAP* source, BYTEMAP* destination) {
  if (!raster::Scale(source, destination)) BYTEMAPError();
}

BYTEMAP* BYTEMAPRotate(const BYTEMAP* source, int32_t angle) {
  return raster::Rotate(source, angle, BYTEMAPNew, BYTEMAPResize, BYTEMAPFree, BYTEMAPError);
}

// A list that cannot be made (no memory, or a line too long for its count) is reported, as
// its IMG twin does.
int32_t* BYTEMAPLinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  int32_t* list = raster::LinePoints(x0, y0, x1, y1);
  if (!list) BYTEMAPError();
  return list;
}

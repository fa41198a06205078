// imgxform.cpp - IMG scaling, rotation and line points, over the shared geometry in raster.h.
#include <cstdlib>

#include "image/img.h"
#include "image/raster.h"

void IMGScale(const IMG* source, IMG* destination) {
  if (!raster::Scale(source, destination)) IMGError();
}

IMG* IMGRotate(const IMG* source, int32_t angle) {
  return raster::Rotate(source, angle, IMGNew, IMGResize, IMGFree, IMGError);
}

int32_t* IMGLinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  int32_t* list = raster::LinePoints(x0, y0, x1, y1);
  if (!list) IMGError();
  return list;
}

// bytemap.h - BYTEMAP, the 8-bit image.
//
// The 8-bit twin of IMG (image/img.h): width x height unsigned bytes, row after row, no
// stride; pixel (x, y) is pixels[x + y * width]. The values mean nothing to the map; the demo
// uses them as indices into a 256-colour PALETTE. A 0 x 0 map still has a pixel block (of no
// bytes) and counts as a map with pixels; only a failed allocation leaves pixels null.
//
// Same conventions as IMG: refusals print "BYTEMAP error\n" on standard output (BYTEMAPError,
// always on) and return null, 0 or nothing. Texts and point lists are malloc'ed; free() them.
#pragma once
#include <cstddef>
#include <cstdint>

#include "audio/palette.h"
#include "image/img.h"

struct BYTEMAP {
  int32_t width;
  int32_t height;
  uint8_t* pixels;  // width * height bytes, or null when an allocation failed
};

// Record and core operations.
BYTEMAP* BYTEMAPNew();
void BYTEMAPFree(BYTEMAP** map);
void BYTEMAPResize(BYTEMAP* map, int32_t width, int32_t height);
BYTEMAP* BYTEMAPCopy(const BYTEMAP* map);
void BYTEMAPCopyPixels(const BYTEMAP* source, BYTEMAP* destination);
uint8_t BYTEMAPEqual(const BYTEMAP* a, const BYTEMAP* b);
void BYTEMAPClear(BYTEMAP* map);
void BYTEMAPSetPixel(BYTEMAP* map, int32_t x, int32_t y, int32_t value);
uint8_t BYTEMAPGetPixel(const BYTEMAP* map, int32_t x, int32_t y);
void BYTEMAPError();

// Text and file formats. BYTEMAPParsePNM reads at most `size` bytes from `data`.
// The readers refuse input that ends early, a file stream that reports a read error, and
// endless input: a PNM header longer than 1 MiB, or in plain pixel data a separator or a
// number longer than 1 MiB. A stream that cannot be measured (a pipe) holds at most 2^26
// pixels, and its memory grows with the pixels that arrive.
char* BYTEMAPToASCII(const BYTEMAP* map);
BYTEMAP* BYTEMAPFromASCII(const char* text);
uint8_t BYTEMAPWritePGM(const BYTEMAP* map, const char* path);
BYTEMAP* BYTEMAPReadPNM(const char* path);
BYTEMAP* BYTEMAPParsePNM(const uint8_t* data, size_t size);

// Drawing and colour conversion.
void BYTEMAPToIMG(const BYTEMAP* map, IMG* image, const PALETTE* palette);
void BYTEMAPAdd(BYTEMAP* map, int32_t amount);
void BYTEMAPFillRect(BYTEMAP* map, int32_t x, int32_t y, int32_t w, int32_t h, int32_t value);
void BYTEMAPDrawRect(BYTEMAP* map, int32_t x, int32_t y, int32_t w, int32_t h, int32_t value);
void BYTEMAPDarken(BYTEMAP* map, int32_t amount);
void BYTEMAPAnd(const BYTEMAP* mask, BYTEMAP* target);
int32_t* BYTEMAPLinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Scaling and rotation.
void BYTEMAPScale(const BYTEMAP* source, BYTEMAP* destination);
BYTEMAP* BYTEMAPRotate(const BYTEMAP* source, int32_t angle);

// Block transfers. A source pixel of 0 is transparent except for the OR copy.
void BYTEMAPBlit(const BYTEMAP* source, BYTEMAP* destination, int32_t srcX, int32_t srcY,
                 int32_t dstX, int32_t dstY, int32_t w, int32_t h);
void BYTEMAPBlend(const BYTEMAP* source, BYTEMAP* destination, int32_t x, int32_t y);
void BYTEMAPBlitSpaced(const BYTEMAP* source, BYTEMAP* destination, int32_t srcX, int32_t srcY,
                       int32_t dstX, int32_t dstY, int32_t w, int32_t h, int32_t stepX,
                       int32_t stepY);
void BYTEMAPWrapRow(const BYTEMAP* source, BYTEMAP* destination, int32_t srcRow, int32_t dstRow,
                    int32_t shift);
void BYTEMAPWrapRowOr(const BYTEMAP* source, BYTEMAP* destination, int32_t srcRow,
                      int32_t dstRow, int32_t shift);
void BYTEMAPWrapColumn(const BYTEMAP* source, BYTEMAP* destination, int32_t srcCol,
                       int32_t dstCol, int32_t shift);

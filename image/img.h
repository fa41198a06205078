// img.h - IMG, the true-colour image.
//
// An IMG is width x height 32-bit pixel words, row after row, top row first, no stride:
// pixel (x, y) is pixels[x + y * width]. A word is 0x00RRGGBB; the top byte is copied along
// and never shown. The word 0 doubles as transparent for the blits and the font.
//
// Conventions of every module here: records come from zero-filled allocation; New makes a
// fresh record (images start at 16 x 16, all 0); Free takes the address of the caller's
// handle, releases the record and what it owns, and sets the handle to null. Nothing throws
// and nothing returns an error code: an operation that refuses prints "IMG error\n" on
// standard output (IMGError, always on) and returns null, 0 or nothing, leaving its
// arguments as they were.
//
// Texts returned by IMGToASCII are allocated with malloc; release them with free().
// Point lists from IMGLinePoints likewise.
#pragma once
#include <cstddef>
#include <cstdint>

struct IMG {
  int32_t width;
  int32_t height;
  uint32_t* pixels;  // width * height words, or null when an allocation failed
};

// Record and core operations.
IMG* IMGNew();
void IMGFree(IMG** image);
void IMGResize(IMG* image, int32_t width, int32_t height);
IMG* IMGCopy(const IMG* image);
void IMGCopyPixels(const IMG* source, IMG* destination);
uint8_t IMGEqual(const IMG* a, const IMG* b);
void IMGClear(IMG* image);
void IMGSetPixel(IMG* image, int32_t x, int32_t y, uint32_t colour);
uint32_t IMGGetPixel(const IMG* image, int32_t x, int32_t y);
void IMGFillRect(IMG* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
void IMGDrawRect(IMG* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
void IMGDarken(IMG* image, uint32_t amount);
void IMGError();

// Text form and PNM files. IMGParsePNM reads at most `size` bytes from `data`.
// The readers refuse input that ends early, a file stream that reports a read error, and
// endless input: a PNM header longer than 1 MiB, or in plain pixel data a separator or a
// number longer than 1 MiB. A stream that cannot be measured (a pipe) holds at most 2^26
// pixels, and its memory grows with the pixels that arrive.
char* IMGToASCII(const IMG* image);
IMG* IMGFromASCII(const char* text);
IMG* IMGReadPNM(const char* path);
IMG* IMGParsePNM(const uint8_t* data, size_t size);
uint8_t IMGWritePPM(const IMG* image, const char* path);

// Block transfers. A source pixel of 0 is transparent except for the OR copy and the mask.
void IMGBlit(const IMG* source, IMG* destination, int32_t srcX, int32_t srcY, int32_t dstX,
             int32_t dstY, int32_t w, int32_t h);
void IMGBlend(const IMG* source, IMG* destination, int32_t x, int32_t y);
void IMGBlitSpaced(const IMG* source, IMG* destination, int32_t srcX, int32_t srcY,
                   int32_t dstX, int32_t dstY, int32_t w, int32_t h, int32_t stepX,
                   int32_t stepY);
void IMGWrapRow(const IMG* source, IMG* destination, int32_t srcRow, int32_t dstRow,
                int32_t shift);
void IMGWrapRowOr(const IMG* source, IMG* destination, int32_t srcRow, int32_t dstRow,
                  int32_t shift);
void IMGWrapColumn(const IMG* source, IMG* destination, int32_t srcCol, int32_t dstCol,
                   int32_t shift);
void IMGAnd(const IMG* mask, IMG* target);

// Scaling, rotation and line points.
void IMGScale(const IMG* source, IMG* destination);
IMG* IMGRotate(const IMG* source, int32_t angle);
int32_t* IMGLinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

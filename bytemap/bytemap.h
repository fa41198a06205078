/// \file
/// BYTEMAP, the 8-bit image.
///
/// The 8-bit twin of IMG (image/img.h): width x height unsigned bytes, row after row, no
/// stride; pixel (x, y) is pixels[x + y * width]. The values mean nothing to the map; the demo
/// uses them as indices into a 256-colour PALETTE. A 0 x 0 map still has a pixel block (of no
/// bytes) and counts as a map with pixels; only a failed or refused allocation leaves pixels
/// null. Sizes are capped at width * height <= INT32_MAX. Values handed in as int32_t are
/// stored as their low byte (value & 0xFF).
///
/// Same conventions as IMG: New makes a 16 x 16 map of zeros, Free takes the address of the
/// handle and nulls it. An operation that refuses prints `"BYTEMAP error\n"` on standard output
/// (BYTEMAPError, always on) and returns null, 0 or nothing, leaving its arguments as they
/// were (BYTEMAPResize and BYTEMAPWritePGM excepted, as noted). Block transfers that miss are
/// no refusal. Maps returned by the operations belong to the caller (BYTEMAPFree); texts and
/// point lists are malloc'ed, release them with free().
///
/// PNM reading follows the grammar of IMG's readers (image/img.h), with one byte a pixel: P1
/// and P4 set bits become 255, clear ones 0; P2 values and P5 bytes are stored as they stand
/// (plain values & 0xFF); P3 and P6 pixels become (r + g + b) / 3, & 0xFF. The maximum is read
/// and ignored. The same size caps and refusals apply.
#pragma once
#include <cstddef>
#include <cstdint>

#include "../audio/palette.h"
#include "../image/img.h"

/// An 8-bit image. The record owns its pixel block.
struct BYTEMAP {
  int32_t width;    ///< columns
  int32_t height;   ///< rows
  uint8_t* pixels;  ///< width * height bytes, or null when an allocation failed
};

// Record and core operations.

/// A new 16 x 16 map, all pixels 0; the caller owns it. Null (reported) when memory runs out.
BYTEMAP* BYTEMAPNew();
/// Releases *map and its pixel block and sets *map to null. Refuses a null address or a null
/// handle.
void BYTEMAPFree(BYTEMAP** map);
/// Gives the map a new zero-filled block of width x height bytes; the old pixels are dropped,
/// also at the same size. Refuses a null map. Unlike other refusals, a negative side or
/// width * height > INT32_MAX leaves a 0 x 0 map without pixels, and a failed allocation keeps
/// the new size without pixels; both report, and the old pixels are gone.
void BYTEMAPResize(BYTEMAP* map, int32_t width, int32_t height);
/// A new map with the same size and pixels; the caller owns it. Refuses (null) a map without
/// pixels; null (reported) when memory runs out.
BYTEMAP* BYTEMAPCopy(const BYTEMAP* map);
/// Copies every pixel of source into destination (the two may be the same map). Refuses either
/// map without pixels, and sizes that differ.
void BYTEMAPCopyPixels(const BYTEMAP* source, BYTEMAP* destination);
/// 1 when both have the same width, height and pixels, else 0. Sizes that differ give 0
/// without a report; two 0 x 0 maps are equal. Refuses (0) either map without pixels.
uint8_t BYTEMAPEqual(const BYTEMAP* a, const BYTEMAP* b);
/// Sets every pixel to 0. Refuses a map without pixels.
void BYTEMAPClear(BYTEMAP* map);
/// Stores value & 0xFF at (x, y) (300 stores 44). Outside 0 <= x < width, 0 <= y < height it
/// does nothing, silently. Refuses a map without pixels.
void BYTEMAPSetPixel(BYTEMAP* map, int32_t x, int32_t y, int32_t value);
/// The pixel at (x, y); 0 outside the map, silently. Refuses (0) a map without pixels.
uint8_t BYTEMAPGetPixel(const BYTEMAP* map, int32_t x, int32_t y);
/// The module's reporter: prints `"BYTEMAP error\n"` on standard output, always. Every refusal
/// of a BYTEMAP operation calls it once.
void BYTEMAPError();

// Text and file formats. BYTEMAPParsePNM reads at most `size` bytes from `data`.

// The readers refuse input that ends early, a file stream that reports a read error, and
// endless input: a PNM header longer than 1 MiB, or in plain pixel data a separator or a
// number longer than 1 MiB. A stream that cannot be measured (a pipe) holds at most 2^26
// pixels, and its memory grows with the pixels that arrive.

/// The text form of map as a new zero-terminated text (free() it), written as a plain RGB
/// image whose blue is the pixel: the header `"BYTEMAP{\nP3\n<width> <height>\n255\n"`, then
/// for each pixel `"  0   0 %3d "` (12 characters), the last space of every sixth pixel and of
/// the last pixel turned into a line feed, then `"}\n"`. A map of no area gives `"BYTEMAP{}"`
/// alone. Refuses (null) a null map, a negative side, a map without a pixel block, or a text
/// too large to allocate.
char* BYTEMAPToASCII(const BYTEMAP* map);
/// Reads the text form into a new map the caller owns: finds "BYTEMAP", then "{", then
/// `"P3\n"`; reads the width and the height (the digits standing there, one character skipped
/// after each) and skips the maximum; then three numbers a pixel, each after skipping
/// non-digits, stored as (r + g + b) / 3 & 0xFF. So a map's own text reads back divided by 3
/// (200 comes back as 66). A header of no area gives a map of no area. Refuses (null): null
/// text, a missing mark, width * height > INT32_MAX, text that ends inside the header, text
/// too short for the pixels or ending before the last number.
BYTEMAP* BYTEMAPFromASCII(const char* text);
/// Writes map to path (created or truncated) as a raw PGM: `"P5\n<width> <height>\n255\n"`,
/// then the pixel bytes unchanged. Returns 1 only when every byte was written and the file
/// closed cleanly, else 0. Refuses (0): null map or path, no pixels, a width or height <= 0, a
/// file that cannot be opened. A failed write or close is reported too (0) and may leave a
/// partial file.
uint8_t BYTEMAPWritePGM(const BYTEMAP* map, const char* path);
/// Reads the PNM file (P1-P6) at path into a new map the caller owns, as IMGReadPNM reads
/// (exact width, whole numbers for P1), one byte a pixel (file comment). The file is closed on
/// every path. Refuses (null): null path, a file that cannot be opened, bad data.
BYTEMAP* BYTEMAPReadPNM(const char* path);
/// Reads PNM data from the size bytes at data into a new map the caller owns, as IMGParsePNM
/// reads (P1 single digits; P1 and P4 widths rounded up to a multiple of 8, filler bits
/// becoming pixels), one byte a pixel. Refuses (null): null data, bad data.
BYTEMAP* BYTEMAPParsePNM(const uint8_t* data, size_t size);

// Drawing and colour conversion.

/// Every image pixel i becomes palette->items[map pixel i], copied unchanged (top byte too):
/// the whole image is written. Refuses: map or image without pixels, sizes that differ, a null
/// palette, one without storage, or one with fewer than 256 entries.
void BYTEMAPToIMG(const BYTEMAP* map, IMG* image, const PALETTE* palette);
/// Every pixel becomes (pixel + amount) & 0xFF: seen through a palette, all colours turn along
/// it at once. Refuses a map without pixels.
void BYTEMAPAdd(BYTEMAP* map, int32_t amount);
/// Fills the w x h rectangle whose top-left pixel is (x, y) with value & 0xFF. No clipping:
/// refuses, drawing nothing, unless x >= 0, y >= 0, w > 0, h > 0, x + w <= width and
/// y + h <= height.
void BYTEMAPFillRect(BYTEMAP* map, int32_t x, int32_t y, int32_t w, int32_t h, int32_t value);
/// Draws the one-pixel outline of that rectangle in value & 0xFF: rows y and y + h - 1,
/// columns x and x + w - 1. Refuses as BYTEMAPFillRect does.
void BYTEMAPDrawRect(BYTEMAP* map, int32_t x, int32_t y, int32_t w, int32_t h, int32_t value);
/// Every pixel p becomes p - a when p >= a, else 0, with a = amount & 0xFF. Refuses a map
/// without pixels.
void BYTEMAPDarken(BYTEMAP* map, int32_t amount);
/// target[i] = mask[i] & target[i] for every pixel. Refuses either map without pixels, sizes
/// that differ.
void BYTEMAPAnd(const BYTEMAP* mask, BYTEMAP* target);
/// The points of the line from (x0, y0) to (x1, y1), exactly as IMGLinePoints gives them: a
/// new malloc'ed list (free() it), element 0 = 2N + 2, then x and y of the N + 1 points.
/// Refuses (null, reported) when N is above 1073741822 or the list cannot be allocated.
int32_t* BYTEMAPLinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Scaling and rotation.

/// Resamples the whole source into the whole destination at the destination's current size,
/// with exactly the positions of IMGScale: nearest neighbour, enlarged axes repeat, reduced
/// columns take the last of each run, reduced rows the last of each run when the columns are
/// reduced too, else the first. Equal sizes copy; a destination of no area is left alone.
/// Refuses either map without pixels, a source of no area for a destination with area, or
/// tables that cannot be allocated.
void BYTEMAPScale(const BYTEMAP* source, BYTEMAP* destination);
/// A new map, which the caller owns, holding source turned about its centre by angle + 512 in
/// 1/1024 turns, with exactly the pixels of IMGRotate: angle 0 shows it upside down, 512
/// upright, 256 a quarter turn clockwise on screen. The result is (width * 92667) >> 16 by
/// (height * 92667) >> 16 (256 gives 361, 3 gives 4); outside the source is 0. Refuses (null) a
/// source without pixels or a result past INT32_MAX pixels; null (reported) when memory runs
/// out.
BYTEMAP* BYTEMAPRotate(const BYTEMAP* source, int32_t angle);

// Block transfers. A source pixel of 0 is transparent except for the OR copy.

/// Copies the w x h block at (srcX, srcY) of source to (dstX, dstY) of destination, clipped to
/// both maps; clipping never moves a pixel. Source pixels of 0 are skipped. A block that misses,
/// or w or h <= 0, draws nothing, silently. Refuses either map without pixels.
void BYTEMAPBlit(const BYTEMAP* source, BYTEMAP* destination, int32_t srcX, int32_t srcY,
                 int32_t dstX, int32_t dstY, int32_t w, int32_t h);
/// Lays the whole source over destination with its top-left corner at (x, y), clipped. Where
/// the source pixel s is not 0, the destination pixel d becomes (s >> 1) + (d >> 1): at most
/// 254, and two odd values lose a unit. Refuses either map without pixels.
void BYTEMAPBlend(const BYTEMAP* source, BYTEMAP* destination, int32_t x, int32_t y);
/// Like BYTEMAPBlit, but source pixel (srcX + i, srcY + j) lands at
/// (dstX + i * stepX, dstY + j * stepY); the pixels between are left alone. At the right and
/// bottom the count is cut to (destination side - dst) / step rounded down, which can drop a
/// last column or row that would still fit. Refuses a step below 1, or either map without
/// pixels.
void BYTEMAPBlitSpaced(const BYTEMAP* source, BYTEMAP* destination, int32_t srcX, int32_t srcY,
                       int32_t dstX, int32_t dstY, int32_t w, int32_t h, int32_t stepX,
                       int32_t stepY);
/// Copies source row srcRow into destination row dstRow from column shift mod destination
/// width (any shift, negative too), wrapping past the right edge to column 0. At most
/// min(source width, destination width) pixels are placed, so the wrapped part never
/// overwrites the first. Source pixels of 0 are skipped. Refuses either map without pixels, a
/// row outside its map, a destination of width 0.
void BYTEMAPWrapRow(const BYTEMAP* source, BYTEMAP* destination, int32_t srcRow, int32_t dstRow,
                    int32_t shift);
/// BYTEMAPWrapRow, but every placed pixel is ORed into the destination pixel (0 included).
void BYTEMAPWrapRowOr(const BYTEMAP* source, BYTEMAP* destination, int32_t srcRow,
                      int32_t dstRow, int32_t shift);
/// BYTEMAPWrapRow turned on its side: source column srcCol into destination column dstCol from
/// row shift mod destination height, wrapping to row 0; 0 is transparent. Refuses either map
/// without pixels, a column outside its map, a destination of height 0.
void BYTEMAPWrapColumn(const BYTEMAP* source, BYTEMAP* destination, int32_t srcCol,
                       int32_t dstCol, int32_t shift);

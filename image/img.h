/// \file
/// IMG, the true-colour image.
///
/// An IMG is width x height 32-bit pixel words, row after row, top row first, no stride:
/// pixel (x, y) is pixels[x + y * width]. A word is 0x00RRGGBB (red in bits 16-23, green 8-15,
/// blue 0-7); the top byte is copied along and never shown. The word 0 doubles as transparent
/// for the blits and the font. Sizes are capped at width * height <= INT32_MAX pixels.
///
/// Conventions of every module here: records come from zero-filled allocation; New makes a
/// fresh record (images start at 16 x 16, all 0); Free takes the address of the caller's
/// handle, releases the record and what it owns, and sets the handle to null. A 0 x 0 image
/// still has a pixel block; only a failed or refused allocation leaves `pixels` null, and an
/// image without pixels (or with a negative side) is refused by every operation that reads it.
///
/// Refusals: nothing throws and nothing returns an error code. An operation that refuses
/// prints `"IMG error\n"` on standard output (IMGError, always on) and returns null, 0 or
/// nothing, leaving its arguments as they were (IMGResize and IMGWritePPM are the
/// exceptions, noted there). A block transfer that misses its destination is no refusal: it
/// draws nothing, silently.
///
/// Ownership: images returned by IMGNew, IMGCopy, IMGFromASCII, the readers and IMGRotate
/// belong to the caller (IMGFree). Texts from IMGToASCII and point lists from IMGLinePoints
/// are allocated with malloc; release them with free().
///
/// PNM reading (IMGReadPNM, IMGParsePNM): types P1 to P6. Header tokens are separated by
/// bytes <= 0x20 or >= 0x7F: "P" and the type digit (only the first "P" counts; a digit
/// outside 1..6 is refused), "#" comments up to and including the next line feed, and decimal
/// numbers: width, height and, for P2, P3, P5 and P6, the maximum, which is read and ignored
/// (samples are never scaled). Pixels: P1 0 is black (0), any other value white
/// (0x00FFFFFF); P4 a set bit (most significant first, each row starting on a new byte) is
/// white, so bitmaps come out white on black; P2 and P5 a value v is v * 0x010101; P3 and P6
/// (r, g, b) is r << 16 | g << 8 | b. Plain (P1-P3) numbers are not limited to 0..255: they
/// wrap modulo 2^32 and a channel above 255 spills into the one above. Refused with a report
/// and null: a zero width or height, width * height > INT32_MAX, data that ends inside the
/// header or before the last pixel, and (checked before allocating) data too short to hold
/// the announced pixels; an unseekable stream is capped at 2^26 pixels.
#pragma once
#include <cstddef>
#include <cstdint>

/// A true-colour image. The record owns its pixel block.
struct IMG {
  int32_t width;     ///< columns
  int32_t height;    ///< rows
  uint32_t* pixels;  ///< width * height words, or null when an allocation failed
};

// Record and core operations.

/// A new 16 x 16 image, all pixels 0; the caller owns it. Null (reported) when memory runs out.
IMG* IMGNew();
/// Releases *image and its pixel block and sets *image to null. Refuses a null address or a
/// null handle.
void IMGFree(IMG** image);
/// Gives the image a new zero-filled block of width x height pixels; the old pixels are
/// dropped, also at the same size. Refuses a null image. Unlike other refusals, a negative
/// side or width * height > INT32_MAX leaves a 0 x 0 image without pixels, and a failed
/// allocation keeps the new size without pixels; both report, and the old pixels are gone.
void IMGResize(IMG* image, int32_t width, int32_t height);
/// A new image with the same size and pixels; the caller owns it. Refuses (null) an image
/// without pixels; null (reported) when memory runs out.
IMG* IMGCopy(const IMG* image);
/// Copies every pixel of source into destination (the two may be the same image). Refuses
/// either image without pixels, and sizes that differ.
void IMGCopyPixels(const IMG* source, IMG* destination);
/// 1 when both have the same width, height and pixel words (top byte included), else 0. Sizes
/// that differ give 0 without a report. Refuses (0) either image without pixels.
uint8_t IMGEqual(const IMG* a, const IMG* b);
/// Sets every pixel to 0. Refuses an image without pixels.
void IMGClear(IMG* image);
/// Stores colour at (x, y). Outside 0 <= x < width, 0 <= y < height it does nothing, silently.
/// Refuses an image without pixels.
void IMGSetPixel(IMG* image, int32_t x, int32_t y, uint32_t colour);
/// The pixel at (x, y); 0 outside the image, silently. Refuses (0) an image without pixels.
uint32_t IMGGetPixel(const IMG* image, int32_t x, int32_t y);
/// Fills the w x h rectangle whose top-left pixel is (x, y) with colour. No clipping: refuses,
/// drawing nothing, unless x >= 0, y >= 0, w > 0, h > 0, x + w <= width and y + h <= height.
void IMGFillRect(IMG* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
/// Draws the one-pixel outline of that rectangle: rows y and y + h - 1, columns x and
/// x + w - 1 (a rectangle 1 wide or high is one line). Refuses as IMGFillRect does.
void IMGDrawRect(IMG* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
/// Lowers red, green and blue of every pixel by amount & 0xFF, stopping at 0; the top byte
/// becomes 0. 32 calls with 8 take any picture to black. Refuses an image without pixels.
void IMGDarken(IMG* image, uint32_t amount);
/// The module's reporter: prints `"IMG error\n"` on standard output, always. Every refusal of
/// an IMG operation calls it once.
void IMGError();

// Text form and PNM files. IMGParsePNM reads at most `size` bytes from `data`.

// The readers refuse input that ends early, a file stream that reports a read error, and
// endless input: a PNM header longer than 1 MiB, or in plain pixel data a separator or a
// number longer than 1 MiB. A stream that cannot be measured (a pipe) holds at most 2^26
// pixels, and its memory grows with the pixels that arrive.

/// The text form of image as a new zero-terminated text (free() it): the header
/// `"IMG{\nP3\n<width> <height>\n255\n"`, then red, green and blue of each pixel in storage
/// order, each as `"%3d "` (12 characters a pixel, top byte dropped), the last space of every
/// sixth pixel and of the last pixel turned into a line feed, then `"}\n"`. An image of no
/// area that has a pixel block gives `"IMG{}"` alone, which IMGFromASCII refuses. Refuses
/// (null) a null image, a negative side, an image without a pixel block, or a text too large
/// to allocate.
char* IMGToASCII(const IMG* image);
/// Reads the text form into a new image the caller owns. Finds "IMG", then "{", then
/// `"P3\n"`; reads the width and the height (the digits standing there, one character
/// skipped after each) and skips the maximum; then three numbers a pixel, each after
/// skipping non-digits, stored as r * 65536 + g * 256 + b without masking. A header of no area
/// gives an image of no area. Refuses (null): null text, a missing mark,
/// width * height > INT32_MAX, text that ends inside the header, text too short for the
/// pixels or ending before the last number.
IMG* IMGFromASCII(const char* text);
/// Reads the PNM file at path (see the file comment) into a new image the caller owns. The
/// file reader consumes the byte that ends a header number (it is the one separator before
/// the pixels), reads a stray byte where a token should start as the number 0, reads P1
/// pixels as whole numbers and keeps the exact width for P1 and P4. The file is closed on
/// every path. Refuses (null): null path, a file that cannot be opened, bad data.
IMG* IMGReadPNM(const char* path);
/// Reads PNM data (see the file comment) from the size bytes at data into a new image the
/// caller owns; no terminating zero is needed and nothing past size is read. The memory
/// reader leaves the byte that ends a header number and skips exactly one byte after the
/// header; a stray byte before the magic is refused, one after it fills the remaining header
/// numbers with 0; P1 pixels are single digits; for P1 and P4 the width is rounded up to a
/// multiple of 8 and the filler bits become pixels. Refuses (null): null data, bad data.
IMG* IMGParsePNM(const uint8_t* data, size_t size);
/// Writes image to path (created or truncated) as a raw PPM: `"P6\n<width> <height>\n255\n"`,
/// then red, green and blue bytes of each pixel (top byte dropped). Returns 1 only when every
/// byte was written and the file closed cleanly, else 0. Refuses (0): null image or path, no
/// pixels, a width or height <= 0, a file that cannot be opened. A failed write or close is
/// reported too (0) and may leave a partial file.
uint8_t IMGWritePPM(const IMG* image, const char* path);

// Block transfers. A source pixel of 0 is transparent except for the OR copy and the mask.

/// Copies the w x h block at (srcX, srcY) of source to (dstX, dstY) of destination, top row
/// first, clipped to both images; clipping never moves a pixel. Source pixels of 0 are
/// skipped. A block that misses either image, or w or h <= 0, draws nothing, silently.
/// Refuses either image without pixels.
void IMGBlit(const IMG* source, IMG* destination, int32_t srcX, int32_t srcY, int32_t dstX,
             int32_t dstY, int32_t w, int32_t h);
/// Lays the whole source over destination with its top-left corner at (x, y), clipped. Where
/// the source pixel s is not 0, the destination pixel d becomes
/// ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F): each channel the average rounded down (255
/// over 255 gives 254), the top byte 0. Refuses either image without pixels.
void IMGBlend(const IMG* source, IMG* destination, int32_t x, int32_t y);
/// Like IMGBlit, but source pixel (srcX + i, srcY + j) lands at
/// (dstX + i * stepX, dstY + j * stepY); the pixels between are left alone. At the right and
/// bottom the count is cut to (destination side - dst) / step rounded down, which can drop a
/// last column or row that would still fit. Refuses a step below 1, or either image without
/// pixels.
void IMGBlitSpaced(const IMG* source, IMG* destination, int32_t srcX, int32_t srcY,
                   int32_t dstX, int32_t dstY, int32_t w, int32_t h, int32_t stepX,
                   int32_t stepY);
/// Copies source row srcRow into destination row dstRow from column shift mod destination
/// width (any shift, negative too), wrapping past the right edge to column 0. At most
/// min(source width, destination width) pixels are placed, so the wrapped part never
/// overwrites the first. Source pixels of 0 are skipped. Refuses either image without pixels,
/// a row outside its image, a destination of width 0.
void IMGWrapRow(const IMG* source, IMG* destination, int32_t srcRow, int32_t dstRow,
                int32_t shift);
/// IMGWrapRow, but every placed pixel is ORed into the destination pixel (0 included).
void IMGWrapRowOr(const IMG* source, IMG* destination, int32_t srcRow, int32_t dstRow,
                  int32_t shift);
/// IMGWrapRow turned on its side: source column srcCol into destination column dstCol from
/// row shift mod destination height, wrapping to row 0; 0 is transparent. Refuses either image
/// without pixels, a column outside its image, a destination of height 0.
void IMGWrapColumn(const IMG* source, IMG* destination, int32_t srcCol, int32_t dstCol,
                   int32_t shift);
/// target[i] = mask[i] & target[i] over the flat blocks, for i below the mask's pixel count,
/// from the last to the first: a mask pixel 0 clears, 0x00FFFFFF keeps the colour and clears
/// the top byte; a larger target keeps its remaining pixels. Refuses either image without
/// pixels, a target with fewer pixels than the mask.
void IMGAnd(const IMG* mask, IMG* target);

// Scaling, rotation and line points.

/// Resamples the whole source into the whole destination at the destination's current size
/// (size it first with IMGResize): nearest neighbour, no filtering, from integer run tables.
/// With sw x sh scaled to dw x dh, destination column x takes source column
/// floor(x * sw / dw) when dw >= sw, else the last of its run, ceil((x + 1) * sw / dw) - 1.
/// Rows likewise, except that reduced rows take the first of their run, ceil(y * sh / dh),
/// when the columns are not reduced. Equal sizes copy; a destination of no area is left
/// alone. Refuses either image without pixels, a source of no area for a destination with
/// area, or tables that cannot be allocated.
void IMGScale(const IMG* source, IMG* destination);
/// A new image, which the caller owns, holding source turned about its centre by angle + 512
/// in 1/1024 turns (angle taken mod 1024): angle 0 shows it upside down, 512 upright, 256 a
/// quarter turn clockwise on screen, 768 counterclockwise. The result is
/// (width * 92667) >> 16 by (height * 92667) >> 16 (just under sqrt 2 times: 100 gives 141);
/// what lies outside the source is 0. Pixel (x, y) of the result, with dx = x - rw / 2 and
/// dy = y - rh / 2, takes source (sw / 2 + u, sh / 2 + v), u = (dx * c >> 15) - (dy * s >> 15)
/// and v = (dx * s >> 15) + (dy * c >> 15), s = sine[-angle & 1023] and
/// c = sine[(-angle - 256) & 1023] from the shared 1024-entry sine table (about 32767 * sin),
/// each shift rounding toward minus infinity. Refuses (null) a source without pixels or a
/// result past INT32_MAX pixels; null (reported) when memory runs out.
IMG* IMGRotate(const IMG* source, int32_t angle);
/// The points of the line from (x0, y0) to (x1, y1), both ends included, as a new malloc'ed
/// list the caller free()s: element 0 = 2N + 2 (the count of numbers that follow), then x and
/// y of each of the N + 1 points in order, N = max(|x1 - x0|, |y1 - y0|). An integer walk whose
/// error term starts at half the major length; the minor coordinate moves when it reaches 0
/// or below, so (0, 0, 4, 2) gives (0,0) (1,1) (2,1) (3,2) (4,2). Refuses (null) N above
/// 1073741822, or a list that cannot be allocated.
int32_t* IMGLinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// font.h - FONT, fixed-size glyphs cut from a glyph sheet (an IMG) and drawn into images.
//
// The cell of character code c starts at column (c * glyphWidth) mod sheet width and row
// ((c * glyphWidth) div sheet width) * glyphHeight. Glyphs are copied with IMGBlit, so black
// (0) is transparent and everything is clipped to both images. FONTNew gives 6 x 6 glyphs and
// no sheet, which draws nothing; FONTNewBuiltIn gives the ready font: the built-in sheet
// (parsed from FONTSheetPBM) with 8 x 8 glyphs.
// FONTDrawString takes text bytes as unsigned (128 to 255 draw the sheet's Latin-1 cells) and
// stops at a line feed or the terminating zero. Misuse calls FONTError, which prints
// "FONT Error.\n" only when FONTReport is set (it is not).
#pragma once
#include <cstddef>
#include <cstdint>

#include "img.h"

struct FONT {
  int32_t glyphWidth;
  int32_t glyphHeight;
  IMG* sheet;  // owned; FONTFree frees it
};

// The built-in glyph sheet: a raw PBM ("P4", three comment lines, "128 144", 2304 bytes),
// 16 x 18 cells of 8 x 8, generated at build time from the glyph pictures in image/glyphs.txt.
extern const uint8_t FONTSheetPBM[];
extern const size_t FONTSheetPBMSize;

extern uint8_t FONTReport;

FONT* FONTNew();
/// A new font ready to draw: the built-in sheet (white strokes on black, codes 0 to 287,
/// printable ASCII at 32 to 126) parsed from FONTSheetPBM, with 8 x 8 glyphs. The caller owns
/// it and releases it with FONTFree, which frees the sheet too. Null (after FONTError) when
/// memory runs out.
FONT* FONTNewBuiltIn();
void FONTFree(FONT** font);
void FONTDrawChar(const FONT* font, int32_t code, int32_t x, int32_t y, IMG* destination);
void FONTDrawString(const FONT* font, const char* text, int32_t x, int32_t y, IMG* destination);
void FONTDrawHex8(const FONT* font, uint32_t value, int32_t x, int32_t y, IMG* destination);
void FONTDrawHex16(const FONT* font, uint32_t value, int32_t x, int32_t y, IMG* destination);
void FONTDrawHex32(const FONT* font, uint32_t value, int32_t x, int32_t y, IMG* destination);
void FONTError();

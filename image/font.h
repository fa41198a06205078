/// \file
/// FONT, fixed-size glyphs cut from a glyph sheet (an IMG) and drawn into images.
///
/// The cell of character code c starts at column (c * glyphWidth) mod sheet width and row
/// ((c * glyphWidth) div sheet width) * glyphHeight (truncating). Glyphs are copied with
/// IMGBlit, so black (0) is transparent and everything is clipped to both images; text comes
/// out in the sheet's colours. FONTNew gives 6 x 6 glyphs and no sheet, which draws nothing;
/// FONTNewBuiltIn gives the ready font: the built-in sheet (parsed from FONTSheetPBM) with
/// 8 x 8 glyphs. FONTDrawString takes text bytes as unsigned (128 to 255 draw the sheet's
/// Latin-1 cells) and stops at a line feed or the terminating zero.
///
/// Refusals: misuse calls FONTError, which prints `"FONT Error.\n"` only when FONTReport is
/// set (it is not), and the operation returns null or nothing, changing nothing. A destination
/// without pixels is refused by IMGBlit, which prints `"IMG error\n"` for each glyph.
#pragma once
#include <cstddef>
#include <cstdint>

#include "img.h"

/// A bitmap font: a glyph size and the sheet the glyphs are cut from.
struct FONT {
  int32_t glyphWidth;   ///< cell width in pixels, and the advance from one character to the next
  int32_t glyphHeight;  ///< cell height in pixels
  IMG* sheet;  ///< the glyph sheet, or null; owned, FONTFree frees it
};

/// The built-in glyph sheet: a raw PBM ("P4", three comment lines, "128 144", 2304 bytes),
/// 16 x 18 cells of 8 x 8, generated at build time from the glyph pictures in image/glyphs.txt.
/// IMGParsePNM(FONTSheetPBM, FONTSheetPBMSize) gives the 128 x 144 white-on-black sheet. With
/// 8 x 8 glyphs, code c is at (8 * (c % 16), 8 * (c / 16)): 32-126 printable ASCII, 0-31 and
/// 128-159 their own hex value in small digits, 127 a checkerboard, 160-255 Latin-1, 256-271
/// sixteen shades from empty to solid, 272-287 one small picture.
extern const uint8_t FONTSheetPBM[];
/// The size of FONTSheetPBM in bytes.
extern const size_t FONTSheetPBMSize;

/// Non-zero makes FONTError print; 0 (silent) unless a program sets it.
extern uint8_t FONTReport;

/// A new font with 6 x 6 glyphs and no sheet, which draws nothing until a sheet is stored in
/// it; the caller owns it (FONTFree). Null (reported) when memory runs out.
FONT* FONTNew();
/// A new font ready to draw: the built-in sheet (white strokes on black, codes 0 to 287,
/// printable ASCII at 32 to 126) parsed from FONTSheetPBM, with 8 x 8 glyphs. The caller owns
/// it and releases it with FONTFree, which frees the sheet too. Null (after FONTError) when
/// memory runs out.
FONT* FONTNewBuiltIn();
/// Frees the font's sheet (IMGFree), if any, and the font, and sets *font to null. Refuses a
/// null address or a null handle.
void FONTFree(FONT** font);
/// Draws the glyph of code with its top-left corner at (x, y) of destination: one IMGBlit of
/// the cell (file comment), black skipped, clipped to the sheet and the destination. A code
/// whose cell lies partly or wholly off the sheet (negative, or past the last cell) draws the
/// part on it or nothing; a glyph size <= 0 draws nothing. Refuses a null font, or one without
/// a sheet or with a sheet of no area.
void FONTDrawChar(const FONT* font, int32_t code, int32_t x, int32_t y, IMG* destination);
/// Draws the bytes of text with FONTDrawChar, the first at (x, y), each next one glyphWidth
/// further right, up to the first line feed or the terminating zero. Nothing wraps or moves to
/// a next line. Refuses a null text or font.
void FONTDrawString(const FONT* font, const char* text, int32_t x, int32_t y, IMG* destination);
/// Draws value & 0xFF as two upper-case hexadecimal digits (codes 48-57 and 65-70): the high
/// nibble at x, the low one at x + glyphWidth. Refuses a null font.
void FONTDrawHex8(const FONT* font, uint32_t value, int32_t x, int32_t y, IMG* destination);
/// Draws value & 0xFFFF as four digits: the high byte at x, the low one at x + 2 * glyphWidth.
/// Refuses a null font.
void FONTDrawHex16(const FONT* font, uint32_t value, int32_t x, int32_t y, IMG* destination);
/// Draws value as eight digits: the high half-word at x, the low one at x + 4 * glyphWidth.
/// Refuses a null font.
void FONTDrawHex32(const FONT* font, uint32_t value, int32_t x, int32_t y, IMG* destination);
/// The module's reporter: prints `"FONT Error.\n"` on standard output when FONTReport is set.
void FONTError();

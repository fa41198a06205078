// font.cpp - FONT: text drawn into an IMG with fixed-size glyphs cut from a glyph sheet.
//
// Every character is one IMGBlit of its sheet cell, so glyphs are clipped to the sheet and to
// the destination and their black pixels let the destination show through. Positions are
// worked out in 64 bits: huge or negative codes and far-away pen positions never overflow,
// they simply land outside the sheet or the destination and draw nothing.
#include "image/font.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

uint8_t FONTReport = 0;

void FONTError() {
  if (FONTReport) std::fputs("FONT Error.\n", stdout);
}

FONT* FONTNew() {
  auto* font = static_cast<FONT*>(std::calloc(1, sizeof(FONT)));
  if (!font) {
    FONTError();
    return nullptr;
  }
  font->glyphWidth = 6;
  font->glyphHeight = 6;
  return font;
}

FONT* FONTNewBuiltIn() {
  FONT* font = FONTNew();
  if (!font) return nullptr;
  font->sheet = IMGParsePNM(FONTSheetPBM, FONTSheetPBMSize);
  if (!font->sheet || !font->sheet->pixels) {
    // A sheet without its pixel block would silently draw nothing: refuse instead.
    if (font->sheet) IMGFree(&font->sheet);
    std::free(font);
    FONTError();
    return nullptr;
  }
  font->glyphWidth = 8;
  font->glyphHeight = 8;
  return font;
}

void FONTFree(FONT** font) {
  if (!font || !*font) {
    FONTError();
    return;
  }
  if ((*font)->sheet) IMGFree(&(*font)->sheet);
  std::free(*font);
  *font = nullptr;
}

void FONTDrawChar(const FONT* font, int32_t code, int32_t x, int32_t y, IMG* destination) {
  if (!font || !font->sheet || font->sheet->width <= 0 || font->sheet->height <= 0) {
    FONTError();
    return;
  }
  const int64_t gw = font->glyphWidth, gh = font->glyphHeight;
  if (gw <= 0 || gh <= 0) return;  // an empty cell draws nothing
  const int64_t sheetWidth = font->sheet->width, sheetHeight = font->sheet->height;
  const int64_t t = int64_t(code) * gw;
  const int64_t column = t % sheetWidth;  // truncating, so negative codes stay left of 0
  // (t / width) * gh can leave 64 bits for absurd glyph heights; clamping the quotient to
  // one cell beyond either edge of the sheet keeps every such cell outside it.
  const int64_t cellRow = std::clamp(t / sheetWidth, -int64_t(1), sheetHeight / gh + 1);
  const int64_t row = std::clamp(cellRow * gh, -gh, sheetHeight);
  IMGBlit(font->sheet, destination, int32_t(column), int32_t(row), x, y, int32_t(gw),
          int32_t(gh));
}

namespace {

// x + steps * glyph width, or false when that pen position is beyond 32 bits (where no
// image can show anything).
bool PenAt(const FONT* font, int32_t x, int64_t steps, int32_t& at) {
  const int64_t pen = int64_t(x) + steps * font->glyphWidth;
  if (pen < INT32_MIN || pen > INT32_MAX) return false;
  at = int32_t(pen);
  return true;
}

// Upper-case hexadecimal: 0-9 are codes 48 to 57, A-F codes 65 to 70.
int32_t HexDigit(uint32_t nibble) { return int32_t(nibble <= 9 ? 48 + nibble : 55 + nibble); }

}  // namespace

// Text bytes are taken as unsigned, so bytes 128 to 255 draw the sheet's Latin-1 cells.
void FONTDrawString(const FONT* font, const char* text, int32_t x, int32_t y, IMG* destination) {
  if (!text || !font) {
    FONTError();
    return;
  }
  int32_t pen = x;
  for (int64_t i = 0; text[i] != '\0' && text[i] != '\n' && PenAt(font, x, i, pen); ++i)
    FONTDrawChar(font, static_cast<unsigned char>(text[i]), pen, y, destination);
}

void FONTDrawHex8(const FONT* font, uint32_t value, int32_t x, int32_t y, IMG* destination) {
  if (!font) {
    FONTError();
    return;
  }
  int32_t pen = x;
  FONTDrawChar(font, HexDigit((value >> 4) & 15), x, y, destination);
  if (PenAt(font, x, 1, pen)) FONTDrawChar(font, HexDigit(value & 15), pen, y, destination);
}

void FONTDrawHex16(const FONT* font, uint32_t value, int32_t x, int32_t y, IMG* destination) {
  if (!font) {
    FONTError();
    return;
  }
  int32_t pen = x;
  FONTDrawHex8(font, (value >> 8) & 0xFF, x, y, destination);
  if (PenAt(font, x, 2, pen)) FONTDrawHex8(font, value & 0xFF, pen, y, destination);
}

void FONTDrawHex32(const FONT* font, uint32_t value, int32_t x, int32_t y, IMG* destination) {
  if (!font) {
    FONTError();
    return;
  }
  int32_t pen = x;
  FONTDrawHex16(font, value >> 16, x, y, destination);
  if (PenAt(font, x, 4, pen)) FONTDrawHex16(font, value & 0xFFFF, pen, y, destination);
}

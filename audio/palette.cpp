// palette.cpp - PALETTE, the 256-colour table: construction, cycling and the hue circle.
#include "audio/palette.h"

uint8_t PALETTEReport = 0;

void PALETTEError() {
  if (PALETTEReport) fputs("PALETTE Error.\n", stdout);
}

PALETTE* PALETTENew() {
  PALETTE* palette = SAMPLENew();
  SAMPLEResize(palette, 256);
  return palette;
}

void PALETTEFree(PALETTE** palette) { SAMPLEFree(palette); }

void PALETTERotateRight(PALETTE* palette, int32_t k) { SAMPLERotateRight(palette, k); }

void PALETTERotateLeft(PALETTE* palette, int32_t k) { SAMPLERotateLeft(palette, k); }

void PALETTEFillHueCircle(PALETTE* palette) {
  if (!palette || !palette->items || palette->length < 256) {
    PALETTEError();
    return;
  }
  // Six sixths of 42 entries; each starts at a corner of the colour cube and moves one
  // channel by 6 per entry towards the next corner.
  struct Sixth {
    int32_t start;
    int32_t step;
  };
  static constexpr Sixth kSixths[6] = {
      {0x00FF00, 6},        // green -> cyan: blue rises
      {0x00FFFF, -0x600},   // cyan -> blue: green falls
      {0x0000FF, 0x60000},  // blue -> magenta: red rises
      {0xFF00FF, -6},       // magenta -> red: blue falls
      {0xFF0000, 0x600},    // red -> yellow: green rises
      {0xFFFF00, -0x60000}  // yellow -> green: red falls
  };
  int32_t* entry = palette->items;
  for (const Sixth& sixth : kSixths)
    for (int32_t i = 0; i < 42; i++) *entry++ = sixth.start + sixth.step * i;
  for (int32_t i = 252; i < 256; i++) palette->items[i] = 0x00FF00;
}

// palette.h - PALETTE, the 256-colour table through which byte maps become images.
//
// A PALETTE is a SAMPLE of 256 elements, entry i the 0x00RRGGBB colour of byte value i; all
// SAMPLE operations apply. This module adds a constructor, a destructor and palette cycling.
// Failures of the SAMPLE operations are reported by SAMPLEError; PALETTEError prints
// "PALETTE Error.\n" only when PALETTEReport is set (it is not).
#pragma once
#include "sample.h"

using PALETTE = SAMPLE;

extern uint8_t PALETTEReport;

PALETTE* PALETTENew();
void PALETTEFree(PALETTE** palette);
void PALETTERotateRight(PALETTE* palette, int32_t k);
void PALETTERotateLeft(PALETTE* palette, int32_t k);
void PALETTEError();

// Fills the 256 entries with the demo's closed hue circle: green, cyan, blue, magenta, red,
// yellow and back, 42 entries per sixth in steps of 6 per channel; entries 252..255 are green
// (0x00FF00). Refuses (reports) a palette with fewer than 256 entries.
void PALETTEFillHueCircle(PALETTE* palette);

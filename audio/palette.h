// palette.h - PALETTE, the 256-colour table through which byte maps become images.
//
// A PALETTE is a SAMPLE of 256 elements, entry i the 0x00RRGGBB colour of byte value i; all
// SAMPLE operations apply. This module adds a constructor, a destructor and palette cycling.
// Failures of the SAMPLE operations are reported by SAMPLEError; PALETTEError prints
// "PALETTE Error.\n" only when PALETTEReport is set (it is not).
#pragma once
#include "audio/sample.h"

using PALETTE = SAMPLE;

extern uint8_t PALETTEReport;

PALETTE* PALETTENew();
void PALETTEFree(PALETTE** palette);
void PALETTERotateRight(PALETTE* palette, int32_t k);
void PALETTERotateLeft(PALETTE* palette, int32_t k);
void PALETTEError();

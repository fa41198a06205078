/// \file
/// PALETTE, the 256-colour table through which byte maps become images.
///
/// A PALETTE is a SAMPLE of 256 elements, entry i the 0x00RRGGBB colour of byte value i; all
/// SAMPLE operations apply. This module adds a constructor, a destructor and palette cycling.
/// Failures of the SAMPLE operations are reported by SAMPLEError; PALETTEError prints
/// `"PALETTE Error.\n"` only when PALETTEReport is set (it is not). Both are silent by default.
#pragma once
#include "sample.h"

/// A palette is a SAMPLE: entry i is items[i], a 0x00RRGGBB colour.
using PALETTE = SAMPLE;

/// Non-zero makes PALETTEError print; 0 (silent) unless a program sets it.
extern uint8_t PALETTEReport;

/// A new palette of 256 entries, all 0 (black), capacity 256; the caller owns it
/// (PALETTEFree). Null when the record cannot be allocated; if only its storage cannot, the
/// palette has fewer than 256 entries (SAMPLEError reports both).
PALETTE* PALETTENew();
/// SAMPLEFree: releases the palette and sets *palette to null.
void PALETTEFree(PALETTE** palette);
/// Palette cycling: SAMPLERotateRight, entry i moves to (i + k) mod length (256).
void PALETTERotateRight(PALETTE* palette, int32_t k);
/// Palette cycling: SAMPLERotateLeft, entry i moves to (i - k) mod length (256).
void PALETTERotateLeft(PALETTE* palette, int32_t k);
/// The module's reporter: prints `"PALETTE Error.\n"` on standard output when PALETTEReport is
/// set.
void PALETTEError();

/// Fills the 256 entries with the demo's closed hue circle: green, cyan, blue, magenta, red,
/// yellow and back, 42 entries per sixth in steps of 6 per channel; entries 252..255 are green
/// (0x00FF00). Entries past 255 are left alone. Refuses (PALETTEError) a null palette, one
/// without storage or with fewer than 256 entries.
void PALETTEFillHueCircle(PALETTE* palette);

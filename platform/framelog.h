// framelog.h - FRAMELOG, a record of every presented frame for comparing two builds of the
// program (desktop and browser, or the desktop program and the capture) present for present.
//
// A display backend: a program sets SDLDPYBackend to &FRAMELOGBackend (kestrel8-framelog, a
// test program, never shipped). When the display is made the frame timer goes on the virtual
// clock (vclock.h: 20 ms per tick, no sleeping), so a run is not paced in real time and every
// frame sees the same clock. Every present then prints one
// line on standard output,
//   "present <n> <hash>"  (n from 0, hash 16 hex digits),
// the FNV-1a hash of the screen surface as shown, read back through SDL as 0xRRGGBB words, so
// that any screen format (or canvas) holding the colours exactly gives the same hash.
// Freeing the display prints "end <presents>".
//
// Configured from the environment, so that both builds get the very same script:
//   K8_FRAMELOG_KEYS  key presses at present numbers, in the form of keyscript.h ("N:KEY ...",
//                     N rising, KEY one character or "space" or "escape").
//   K8_FRAMELOG_MASK  "x,y,w,h": a rectangle left out of the hash (a value that legitimately
//                     differs between builds, such as a memory address shown on screen).
#pragma once
#include <SDL.h>

#include <cstdint>

#include "platform/sdldpybackend.h"

/// The frame log's display hooks.
extern const SDLDPYBACKEND FRAMELOGBackend;

// Reads the script and puts the frame timer on the virtual clock. Reports a bad script on
// standard error and returns false (the log then stays off).
bool FRAMELOGStart();
// Logs the screen as presented and pushes the keys scripted for this present.
void FRAMELOGPresent(SDL_Surface* screen);
void FRAMELOGEnd();

// FNV-1a over the 0xRRGGBB words of a 32-bit surface, row by row, leaving out the mask
// rectangle. Returns 0 for a surface that is not 32-bit.
uint64_t FRAMELOGHash(SDL_Surface* surface, SDL_Rect mask);
// The same hash over `count` rows of `width` 0x00RRGGBB words (the top byte is ignored), row
// length `stride` words, leaving out the mask rectangle: equal to FRAMELOGHash of a screen
// showing those words.
uint64_t FRAMELOGHashWords(const uint32_t* words, int width, int count, int stride, SDL_Rect mask);
// Reads "x,y,w,h" (each 0..16383) into *mask; false for anything else.
bool FRAMELOGParseMask(const char* text, SDL_Rect* mask);

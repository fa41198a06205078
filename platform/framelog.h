// framelog.h - FRAMELOG, a record of every presented frame for comparing two builds of the
// program (desktop and browser) present for present.
//
// Active only in a build configured with K8_FRAMELOG (the display then calls it); such a build
// is for tests, never shipped. FRAMELOGStart puts the frame timer on a virtual clock (20 ms per
// tick, no sleeping), so a run is not paced in real time and every frame sees the same clock.
// Every present then prints one line on standard output,
//   "present <n> <hash>"  (n from 0, hash 16 hex digits),
// the FNV-1a hash of the screen surface as shown, read back through SDL as 0xRRGGBB words, so
// that any screen format (or canvas) holding the colours exactly gives the same hash.
// FRAMELOGEnd prints "end <presents>".
//
// Configured from the environment, so that both builds get the very same script:
//   K8_FRAMELOG_KEYS  key presses at present numbers: "N:KEY ..." with N rising, where KEY is
//                     one character or "space" or "escape"; a press is a key-down event
//                     pushed right after present N, read by the frame that showed it (or,
//                     after a fade step, by the next frame). No key-up is sent: the program
//                     clears its key byte after each frame.
//   K8_FRAMELOG_MASK  "x,y,w,h": a rectangle left out of the hash (a value that legitimately
//                     differs between builds, such as a memory address shown on screen).
#pragma once
#include <SDL.h>

#include <cstdint>

// Reads the script and puts the frame timer on the virtual clock. Reports a bad script on
// standard error and returns false (the log then stays off).
bool FRAMELOGStart();
// Logs the screen as presented and pushes the keys scripted for this present.
void FRAMELOGPresent(SDL_Surface* screen);
void FRAMELOGEnd();

// FNV-1a over the 0xRRGGBB words of a 32-bit surface, row by row, leaving out the mask
// rectangle. Returns 0 for a surface that is not 32-bit.
uint64_t FRAMELOGHash(SDL_Surface* surface, SDL_Rect mask);

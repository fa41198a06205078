// sdldpy.h - SDLDPY, the program's one window (or full screen) over SDL 1.2 video.
//
// Single instance: SDLDPYNew returns the existing display when there is one. The video flag
// word handed to SDL_SetVideoMode is the build's constant SDLDPYBuildFlags: 0x10000001
// (windowed) unless the program defines it itself, as the full-screen build does with
// 0x90000001 - the only difference between the two.
// Misuse calls SDLDPYError, which prints "SDLDPY error\n" only when SDLDPYReport is set (it
// is not).
#pragma once
#include <SDL.h>

#include <cstdint>

#include "../image/img.h"

struct SDLDPY {
  int32_t width;   // as requested for the mode last opened
  int32_t height;
  int32_t depth;   // bits per pixel of the screen surface SDL returned
};

/// The video flag word handed to SDL_SetVideoMode. The library's own definition is the
/// windowed word 0x10000001; a program that wants another (0x90000001 for full screen)
/// defines `const uint32_t SDLDPYBuildFlags` once, in one of its own source files, and that
/// definition replaces the library's.
extern const uint32_t SDLDPYBuildFlags;

// Module state, read by the keyboard and pointer modules and by start-up checks.
extern SDLDPY* SDLDPYCurrent;        // the one display, or null
extern SDL_Surface* SDLDPYSurface;   // what SDL_SetVideoMode returned, or null
extern uint32_t SDLDPYVideoFlags;    // flags of the mode last opened
extern int32_t SDLDPYDoubleBuffered; // 1 when the screen surface has SDL_DOUBLEBUF
extern uint8_t SDLDPYReport;

SDLDPY* SDLDPYNew();
void SDLDPYFree(SDLDPY** display);
void SDLDPYSetMode(SDLDPY* display, int32_t width, int32_t height);
void SDLDPYShowIMG(SDLDPY* display, const IMG* image);
void SDLDPYFlipIMG(SDLDPY* display, const IMG* image);
void SDLDPYCopyIMG(SDLDPY* display, const IMG* image);
const char* SDLDPYToASCII(const SDLDPY* display);
SDLDPY* SDLDPYFromASCII(const char* text);
uint8_t SDLDPYEqual(const SDLDPY* a, const SDLDPY* b);
SDLDPY* SDLDPYCopy(SDLDPY* display);
void SDLDPYError();

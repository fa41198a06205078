// sdlptr.h - SDLPTR, pointer (mouse) input over SDL 1.2.
//
// Single instance; needs a display. SDLPTRUpdate reads SDL's mouse position, relative motion
// and button mask into the record. Misuse calls SDLPTRError, which prints "SDLPTR error\n"
// only when SDLPTRReport is set (it is not).
#pragma once
#include <cstdint>

struct SDLPTR {
  int32_t x;
  int32_t y;
  int32_t dx;
  int32_t dy;
  int32_t buttons;  // low byte of SDL's button mask
};

extern SDLPTR* SDLPTRCurrent;
extern uint8_t SDLPTRReport;

SDLPTR* SDLPTRNew();
void SDLPTRFree(SDLPTR** pointer);
void SDLPTRUpdate(SDLPTR* pointer);
const char* SDLPTRToASCII(const SDLPTR* pointer);
SDLPTR* SDLPTRFromASCII(const char* text);
uint8_t SDLPTREqual(const SDLPTR* a, const SDLPTR* b);
SDLPTR* SDLPTRCopy(const SDLPTR* pointer);
void SDLPTRError();

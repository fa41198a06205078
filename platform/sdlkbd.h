// sdlkbd.h - SDLKBD, keyboard input over SDL 1.2 events.
//
// Single instance; needs a display (platform/sdldpy.h). SDLKBDGetKey drains SDL's event
// queue: keys[0] becomes the low byte of the key symbol of the last press in that poll (also
// when its release followed in the same poll), or 0 when the poll held releases but no
// press; every other event (the window's close button included) is dropped. The demo reads
// keys[0] after each poll and clears it. The keyboard module reports nothing.
#pragma once
#include <cstdint>

struct SDLKBD {
  uint8_t* keys;  // 8 zero-filled bytes; keys[0] is the current key code
};

extern SDLKBD* SDLKBDCurrent;

SDLKBD* SDLKBDNew();
void SDLKBDFree(SDLKBD** keyboard);
void SDLKBDGetKey(SDLKBD* keyboard);
const char* SDLKBDToASCII(const SDLKBD* keyboard);
SDLKBD* SDLKBDFromASCII(const char* text);
uint8_t SDLKBDEqual(const SDLKBD* a, const SDLKBD* b);
SDLKBD* SDLKBDCopy(const SDLKBD* keyboard);

// sdlkbdsym.h - the key symbol SDLKBD reads from a key event, as SDL 1.2 names it. The
// platform's own file defines it: sdlkbdsym.cpp on the desktop, where SDL's symbol is already
// SDL 1.2's, and sdlwebkeys.cpp in the browser, whose SDL reports other codes (sdlweb.h).
#pragma once
#include <cstdint>

/// SDL 1.2's key symbol for the symbol of a key event; 0 for a key SDL 1.2 does not name.
int32_t SDLKBDSymbol(int32_t sym);

// sdlkbdsym.cpp - the desktop's key symbols: SDL 1.2's own (sdlkbdsym.h).
#include "platform/sdlkbdsym.h"

int32_t SDLKBDSymbol(int32_t sym) { return sym; }

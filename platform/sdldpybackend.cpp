// sdldpybackend.cpp - the display backend a program gets when it brings none: plain SDL.
//
// This definition sits alone in its own member of the static library, so that the linker
// takes it only when no object of the program defines SDLDPYBackend itself (the capture
// program does). Nothing else may be added to this file.
#include "platform/sdldpybackend.h"

extern const SDLDPYBACKEND* const SDLDPYBackend = nullptr;

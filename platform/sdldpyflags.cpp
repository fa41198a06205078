// sdldpyflags.cpp - the video flag word a program gets when it does not choose one.
//
// The windowed word, 0x10000001 (SDL_HWSURFACE | SDL_ANYFORMAT). This definition sits alone
// in its own member of the static library, so the linker takes it only when no object of
// the program defines SDLDPYBuildFlags itself: the full-screen build's main.cpp defines
// 0x90000001 and this member is then never pulled in. Nothing else may be added to this
// file, or a program that uses it would get two definitions.
#include "platform/sdldpy.h"

const uint32_t SDLDPYBuildFlags = 0x10000001u;

// sdlweb.h - the browser build's side of the platform layer (built only by Emscripten).
//
// sdlweb.cpp also supplies the SDL 1.2 calls that Emscripten's SDL lacks or gets wrong for this
// program: SDL_CreateRGBSurfaceFrom (honouring the masks and the row length), SDL_DisplayFormat
// and SDL_GetAudioStatus; and SDL_Quit, which tells the page (Module.onQuit) that the program
// has ended.
#pragma once
#include <cstdint>

// Emscripten's SDL reports keys without a character as 1024 + their USB scan code, where SDL 1.2
// has key symbols from 256 on (arrows 273 to 276, F1 282, ...). The SDL 1.2 symbol of a key
// code from the browser, so that a key acts as on the desktop (the low byte of the down arrow
// would otherwise read as Q and quit); 0 for a key SDL 1.2 does not name.
int32_t SDLWEBKeySym(int32_t code);

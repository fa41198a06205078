// sdlweb.h - the browser build's side of the platform layer (built only by Emscripten).
//
// The browser layer also supplies the SDL 1.2 calls that Emscripten's SDL lacks, gets wrong or
// makes too costly for this program, with SDL 1.2's signatures and these differences (the
// surfaces in sdlwebvideo.cpp, the sound in sdlwebaudio.cpp, SDL_Quit in sdlweb.cpp, their
// JavaScript in web/library.js):
//  - SDL_CreateRGBSurfaceFrom lends the caller's pixels, as on the desktop (32 bits only; rows
//    a multiple of 4 bytes; sides up to 16383; else null). SDL_DisplayFormat converts a 32-bit
//    surface to an opaque copy in the canvas's byte order R, G, B, A. Both surfaces live in the
//    program's memory, not on a canvas, in one of 8 reused slots (Emscripten's canvas surfaces
//    once all are taken): they are only for SDL_DisplayFormat, as the source of SDL_UpperBlit
//    and for SDL_FreeSurface, and their pixels may be read. Emscripten's own SDL calls
//    (SDL_LockSurface, SDL_FillRect, ...) do not know them.
//  - SDL_UpperBlit draws such a surface onto one of Emscripten's (the screen) with one
//    putImageData, clipped as SDL 1.2 clips; a source with an alpha channel is blended. With
//    one of these surfaces as the target it returns -1 and draws nothing. Blits between
//    Emscripten's surfaces are Emscripten's. SDL_FreeSurface takes either kind; freeing one of
//    these twice does nothing.
//  - SDL_OpenAudio, SDL_PauseAudio, SDL_CloseAudio and SDL_GetAudioStatus play through the
//    page's Web Audio context (Module.audioContext, else one of their own): signed 16-bit or
//    unsigned 8-bit samples, 1 or 2 channels, 8000 to 96000 per second, a power of two from
//    128 to 32768 frames per callback, opened exactly as desired (-1 otherwise). The callback
//    runs on the page's thread between frames, about half a second ahead of what is heard,
//    and gets its block as silence first.
//  - SDL_Quit closes the audio and tells the page (Module.onQuit) that the program has ended.
#pragma once
#include <cstdint>

// Emscripten's SDL reports keys without a character as 1024 + their USB scan code, where SDL 1.2
// has key symbols from 256 on (arrows 273 to 276, F1 282, ...). The SDL 1.2 symbol of a key
// code from the browser, so that a key acts as on the desktop (the low byte of the down arrow
// would otherwise read as Q and quit); 0 for a key SDL 1.2 does not name. In sdlwebkeys.cpp.
int32_t SDLWEBKeySym(int32_t code);

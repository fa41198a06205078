// sdlweb.cpp - the browser build's end of the program: SDL_Quit for the page around it.
//
// Emscripten's own SDL_Quit only stops SDL_mixer channels (this program has none) and the
// runtime never learns that main has returned: its audio timers, stopped by SDL_PauseAudio,
// still count as pending work. So quitting SDL closes the audio (sdlwebaudio.cpp) and tells the
// page (Module.onQuit), once main has returned and the browser has the thread again.
#include <SDL.h>

extern "C" {

// Calls Module.onQuit, where the page set one, once the browser has the thread again; in
// web/library.js.
void K8WebTellQuit(void);

void SDL_Quit(void) {
  SDL_CloseAudio();
  K8WebTellQuit();
}

}  // extern "C"

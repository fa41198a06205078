// sdlkbd.cpp - keyboard input: the last key pressed in each poll, cut to one byte.
#include "platform/sdlkbd.h"

#include <SDL.h>

#include <cstdlib>

#include "platform/sdldpy.h"
#include "platform/sdlkbdsym.h"

SDLKBD* SDLKBDCurrent = nullptr;

namespace {
constexpr size_t kKeyBufferSize = 8;
}

SDLKBD* SDLKBDNew() {
  if (!SDLDPYCurrent) return nullptr;
  if (SDLKBDCurrent) return SDLKBDCurrent;
  auto* keyboard = static_cast<SDLKBD*>(std::calloc(1, sizeof(SDLKBD)));
  if (!keyboard) return nullptr;
  keyboard->keys = static_cast<uint8_t*>(std::calloc(kKeyBufferSize, 1));
  if (!keyboard->keys) {
    std::free(keyboard);
    return nullptr;
  }
  SDLKBDCurrent = keyboard;
  return keyboard;
}

void SDLKBDFree(SDLKBD** keyboard) {
  // Only the current record is alive: any other address was released already (a second
  // copy of the handle) or never came from SDLKBDNew.
  if (!keyboard || !*keyboard || *keyboard != SDLKBDCurrent) return;
  std::free((*keyboard)->keys);
  std::free(*keyboard);
  *keyboard = nullptr;
  SDLKBDCurrent = nullptr;
}

void SDLKBDGetKey(SDLKBD* keyboard) {
  if (!keyboard || keyboard != SDLKBDCurrent) return;
  // A tap shorter than a frame (a quick typist, or xdotool's 12 ms) puts the press and its
  // release into the same poll; the press must still act once, so the last press of the
  // poll wins over a release after it. A release alone still clears the byte.
  bool pressed = false;
  uint8_t lastPress = 0;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_KEYDOWN) {
      const int32_t symbol = SDLKBDSymbol(event.key.keysym.sym);
      lastPress = static_cast<uint8_t>(symbol & 0xFF);
      pressed = true;
    } else if (event.type == SDL_KEYUP) {
      keyboard->keys[0] = 0;
    }
    // Everything else, the window's close request included, is dropped: the program ends
    // only through its own keys.
  }
  if (pressed) keyboard->keys[0] = lastPress;
}

const char* SDLKBDToASCII(const SDLKBD* keyboard) { return keyboard ? "" : nullptr; }

SDLKBD* SDLKBDFromASCII(const char*) { return nullptr; }

uint8_t SDLKBDEqual(const SDLKBD* a, const SDLKBD* b) { return a && b && a == b ? 1 : 0; }

SDLKBD* SDLKBDCopy(const SDLKBD*) { return nullptr; }

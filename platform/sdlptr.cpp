// sdlptr.cpp - pointer input: SDL's mouse position, motion and buttons in a record.
#include "platform/sdlptr.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/sdldpy.h"

SDLPTR* SDLPTRCurrent = nullptr;
uint8_t SDLPTRReport = 0;

void SDLPTRError() {
  if (SDLPTRReport) std::printf("SDLPTR error\n");
}

SDLPTR* SDLPTRNew() {
  if (!SDLDPYCurrent) {
    SDLPTRError();
    return nullptr;
  }
  if (SDLPTRCurrent) return SDLPTRCurrent;
  auto* pointer = static_cast<SDLPTR*>(std::calloc(1, sizeof(SDLPTR)));
  if (!pointer) {
    SDLPTRError();
    return nullptr;
  }
  SDLPTRCurrent = pointer;
  return pointer;
}

void SDLPTRFree(SDLPTR** pointer) {
  // Only the current record is alive; anything else was released already.
  if (!pointer || !*pointer || *pointer != SDLPTRCurrent) {
    SDLPTRError();
    return;
  }
  std::free(*pointer);
  *pointer = nullptr;
  SDLPTRCurrent = nullptr;
}

void SDLPTRUpdate(SDLPTR* pointer) {
  if (!pointer || pointer != SDLPTRCurrent) {
    SDLPTRError();
    return;
  }
  // Without a display SDL reports a resting mouse; read it all the same.
  if (!SDLDPYCurrent) SDLPTRError();
  int x = 0, y = 0, dx = 0, dy = 0;
  pointer->buttons = SDL_GetMouseState(&x, &y) & 0xFF;
  pointer->buttons = SDL_GetRelativeMouseState(&dx, &dy) & 0xFF;
  pointer->x = x;
  pointer->y = y;
  pointer->dx = dx;
  pointer->dy = dy;
}

const char* SDLPTRToASCII(const SDLPTR* pointer) {
  if (!pointer) {
    SDLPTRError();
    return nullptr;
  }
  return "";
}

SDLPTR* SDLPTRFromASCII(const char* text) {
  if (!text) SDLPTRError();
  return nullptr;
}

uint8_t SDLPTREqual(const SDLPTR* a, const SDLPTR* b) {
  if (!a || !b) {
    SDLPTRError();
    return 0;
  }
  return a == b ? 1 : 0;
}

SDLPTR* SDLPTRCopy(const SDLPTR* pointer) {
  if (!pointer) SDLPTRError();
  return nullptr;
}

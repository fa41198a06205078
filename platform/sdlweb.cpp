// sdlweb.cpp - the few SDL 1.2 calls that Emscripten's SDL (a canvas and Web Audio) lacks or
// gets wrong for this program. Built into the platform library only for the browser.
//
// Emscripten keeps every surface as a canvas whose pixels are bytes R, G, B, A (premultiplied
// by the browser), with the surface's `pixels` block as a copy that SDL_LockSurface and
// SDL_UnlockSurface move to and from the canvas. Its own SDL_CreateRGBSurfaceFrom copies the
// caller's bytes as they stand, ignoring the masks and the row length, so a picture of
// 0x00RRGGBB words arrives with red and blue swapped and fully transparent. The versions here
// honour the masks and the row length and, like SDL_DisplayFormat on the desktop, make the
// converted surface opaque. SDL_Quit tells the page that the program has ended.
#ifdef __EMSCRIPTEN__
#include "platform/sdlweb.h"

#include <SDL.h>
#include <emscripten.h>

#include <cstdint>

namespace {

// Canvas pixel layout: bytes R, G, B, A, read as one little-endian word.
constexpr uint32_t kCanvasRed = 0x000000FFu;
constexpr uint32_t kCanvasGreen = 0x0000FF00u;
constexpr uint32_t kCanvasBlue = 0x00FF0000u;
constexpr uint32_t kCanvasAlpha = 0xFF000000u;

int Shift(uint32_t mask) { return mask ? __builtin_ctz(mask) : 0; }

// One 8-bit channel of `word` under `mask` (a contiguous 8-bit mask, as every 32-bit format
// this program uses has).
uint32_t Channel(uint32_t word, uint32_t mask) { return (word & mask) >> Shift(mask); }

// Puts a surface's block (w x h canvas words, packed) on its canvas. SDL_LockSurface and
// SDL_UnlockSurface would do it too, but the lock first reads the whole canvas back, which is
// slow on a GPU canvas and pointless when every pixel is about to be written.
void Upload(SDL_Surface* surface) {
  EM_ASM({
    var canvas = SDL.surfaces[$0];
    var image = canvas.ctx.createImageData(canvas.width, canvas.height);
    image.data.set(HEAPU8.subarray($1, $1 + canvas.width * canvas.height * 4));
    canvas.ctx.putImageData(image, 0, 0);
  }, surface, surface->pixels);
}

// Writes h rows of w words from `source` (row length `pitch` bytes, channels under the four
// masks; no alpha mask means opaque) into the block of a canvas surface, in the canvas's
// layout. `opaque` drops the alpha, as a conversion to the display's format does.
void WriteCanvasWords(SDL_Surface* target, const uint8_t* source, int pitch, uint32_t rmask,
                      uint32_t gmask, uint32_t bmask, uint32_t amask, bool opaque) {
  auto* out = static_cast<uint32_t*>(target->pixels);
  for (int y = 0; y < target->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(source + static_cast<size_t>(y) * pitch);
    for (int x = 0; x < target->w; ++x) {
      const uint32_t p = row[x];
      const uint32_t a = (opaque || !amask) ? 0xFFu : Channel(p, amask);
      *out++ = Channel(p, rmask) | Channel(p, gmask) << 8 | Channel(p, bmask) << 16 | a << 24;
    }
  }
}

}  // namespace

extern "C" {

// A surface holding a copy of the caller's 32-bit picture. Desktop SDL lends the caller's block
// instead; a canvas cannot, so writes to the block after this call are not seen.
SDL_Surface* SDL_CreateRGBSurfaceFrom(void* pixels, int width, int height, int depth, int pitch,
                                      Uint32 rmask, Uint32 gmask, Uint32 bmask, Uint32 amask) {
  if (!pixels || depth != 32 || width <= 0 || height <= 0 || pitch < width * 4) return nullptr;
  SDL_Surface* surface = SDL_CreateRGBSurface(0, width, height, 32, kCanvasRed, kCanvasGreen,
                                              kCanvasBlue, amask ? kCanvasAlpha : 0);
  if (!surface) return nullptr;
  if (!surface->pixels) {  // every surface of Emscripten's without SDL_HWSURFACE has one
    SDL_FreeSurface(surface);
    return nullptr;
  }
  WriteCanvasWords(surface, static_cast<const uint8_t*>(pixels), pitch, rmask, gmask, bmask,
                   amask, false);
  Upload(surface);
  return surface;
}

// The display's format is the page canvas's, without alpha: the copy is opaque whatever the
// source's alpha said. The source's block is read as it stands (Emscripten keeps it in step
// with the canvas after its own blits), never its premultiplied canvas, which has lost the
// colour of every transparent pixel.
SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface) {
  if (!surface || !surface->pixels || !surface->format || surface->format->BytesPerPixel != 4)
    return nullptr;
  const SDL_PixelFormat* f = surface->format;
  SDL_Surface* converted =
      SDL_CreateRGBSurface(0, surface->w, surface->h, 32, kCanvasRed, kCanvasGreen, kCanvasBlue, 0);
  if (!converted) return nullptr;
  if (!converted->pixels) {  // every surface of Emscripten's without SDL_HWSURFACE has one
    SDL_FreeSurface(converted);
    return nullptr;
  }
  WriteCanvasWords(converted, static_cast<const uint8_t*>(surface->pixels), surface->pitch,
                   f->Rmask, f->Gmask, f->Bmask, f->Amask, true);
  Upload(converted);
  return converted;
}

// Stopped without an opened device, else playing or paused as SDL_PauseAudio last said.
SDL_AudioStatus SDL_GetAudioStatus(void) {
  return static_cast<SDL_AudioStatus>(EM_ASM_INT({
    if (!SDL.audio) return 0;
    return SDL.audio.paused ? 2 : 1;
  }));
}

// The end of the program for the page around it. Emscripten's own SDL_Quit only stops SDL_mixer
// channels (this program has none) and the runtime never learns that main has returned: its
// audio timers, stopped by SDL_PauseAudio, still count as pending work. So quitting SDL closes
// the audio and tells the page (Module.onQuit), once main has returned and the browser has the
// thread again.
void SDL_Quit(void) {
  SDL_CloseAudio();
  EM_ASM({
    if (Module['onQuit']) setTimeout(Module['onQuit'], 0);
  });
}

}  // extern "C"

int32_t SDLWEBKeySym(int32_t code) {
  constexpr int32_t kScancodeKey = 1 << 10;
  if (!(code & kScancodeKey)) return code;  // characters, Escape, Delete: as on the desktop
  const int32_t scancode = code & ~kScancodeKey;
  if (scancode >= 58 && scancode <= 69) return 282 + scancode - 58;    // F1 to F12
  if (scancode >= 104 && scancode <= 106) return 294 + scancode - 104; // F13 to F15
  if (scancode >= 89 && scancode <= 97) return 257 + scancode - 89;    // keypad 1 to 9
  switch (scancode) {
    case 98: return 256;   // keypad 0
    case 99: return 266;   // keypad .
    case 84: return 267;   // keypad /
    case 85: return 268;   // keypad *
    case 86: return 269;   // keypad -
    case 87: return 270;   // keypad +
    case 88: return 271;   // keypad Enter
    case 82: return 273;   // up
    case 81: return 274;   // down
    case 79: return 275;   // right
    case 80: return 276;   // left
    case 73: return 277;   // Insert
    case 74: return 278;   // Home
    case 77: return 279;   // End
    case 75: return 280;   // Page Up
    case 78: return 281;   // Page Down
    case 83: return 300;   // Num Lock
    case 57: return 301;   // Caps Lock
    case 229: return 303;  // right Shift
    case 225: return 304;  // left Shift
    case 228: return 305;  // right Ctrl
    case 224: return 306;  // left Ctrl
    case 230: return 307;  // right Alt
    case 226: return 308;  // left Alt
    case 227: return 311;  // left Super
    case 231: return 312;  // right Super
    case 101: return 319;  // Menu
    default: return 0;     // no SDL 1.2 key
  }
}
#endif

/// \file
/// SDLKBD, keyboard input over SDL 1.2 events.
///
/// Single instance; needs a display (platform/sdldpy.h). SDLKBDGetKey drains SDL's event
/// queue: keys[0] becomes the low byte of the key symbol of the last press in that poll (also
/// when its release followed in the same poll, so a quick tap is not lost), or 0 when the poll
/// held releases but no press; every other event (the window's close button included) is
/// dropped. The demo reads keys[0] after each poll and clears it. Main thread only (the thread
/// that opened the video mode).
///
/// The keyboard module reports nothing: its failures return null, 0 or nothing, silently.
#pragma once
#include <cstdint>

/// The keyboard: the code of the last key event.
struct SDLKBD {
  /// 8 zero-filled bytes, owned. keys[0] is the current key code: the low byte of the SDL key
  /// symbol of the last key pressed (letters lower-case whatever the shift state, Escape 27,
  /// keys of 256 and above their low byte), 0 after a release; bytes 1-7 are unused.
  uint8_t* keys;
};

/// The one keyboard, or null.
extern SDLKBD* SDLKBDCurrent;

/// The keyboard: null when no display exists (SDLDPYCurrent is null) or memory runs out; the
/// existing one when there is one; otherwise a new record, all keys 0, made current. Free it
/// with SDLKBDFree.
SDLKBD* SDLKBDNew();
/// Frees the current keyboard and its key bytes and sets *keyboard and SDLKBDCurrent to null.
/// Any other handle (null, or already freed) does nothing.
void SDLKBDFree(SDLKBD** keyboard);
/// Drains SDL's event queue (SDL_PollEvent until empty). When the poll held a key press,
/// keys[0] becomes the low byte of the symbol of its last press, even if releases followed;
/// a poll with releases but no press stores 0; everything else is dropped. No key event
/// leaves keys[0] as it was. Anything but the current keyboard does nothing.
void SDLKBDGetKey(SDLKBD* keyboard);
/// The constant empty text "" (the module's; do not free it) for a record, null for null. No
/// text form exists.
const char* SDLKBDToASCII(const SDLKBD* keyboard);
/// Always null: a keyboard is never made from text.
SDLKBD* SDLKBDFromASCII(const char* text);
/// 1 when a and b are the same non-null record, else 0.
uint8_t SDLKBDEqual(const SDLKBD* a, const SDLKBD* b);
/// Always null: the keyboard is never copied.
SDLKBD* SDLKBDCopy(const SDLKBD* keyboard);

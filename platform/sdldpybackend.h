// sdldpybackend.h - SDLDPYBACKEND, what the display calls besides SDL: the hooks by which a
// build that is not a plain desktop program (the frame log of test builds, the capture
// program) watches the display, in the way SDL's own video drivers sit behind one interface.
//
// The build picks the backend by what it links, never by a switch in the display's source:
// SDLDPYBackend is defined alone in one member of the platform library (sdldpybackend.cpp:
// none, plain SDL), or in the member that replaces it in a K8_FRAMELOG build
// (sdldpyframelog.cpp), or in an object of a program that brings its own backend (the capture
// program), whose definition then keeps the library's member out. With no backend the display
// costs one null test per call.
#pragma once
#include <SDL.h>

#include "../image/img.h"

/// The hooks; any of them may be null.
struct SDLDPYBACKEND {
  /// SDLDPYNew made the display, before its first video mode (and so before SDL's video starts).
  void (*opened)();
  /// A frame was just shown: `screen` is SDL's screen surface as presented (its depth is the
  /// driver's), `image` the IMG of 0x00RRGGBB words it was made from, exactly as presented
  /// (an image larger than the display is shown cut to the display; `image` is still whole).
  /// Both are only lent for the call. Key events pushed here are read by the frame just shown.
  void (*presented)(SDL_Surface* screen, const IMG* image);
  /// SDLDPYFree is about to free the display.
  void (*closing)();
};

/// The backend linked into this program, or null for plain SDL.
extern const SDLDPYBACKEND* const SDLDPYBackend;

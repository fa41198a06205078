// sdldpybackend.h - SDLDPYBACKEND, what the display calls besides SDL: the hooks by which a
// program that is not the plain desktop show (the frame-logging program of the comparisons,
// the capture program) watches the display, in the way SDL's own video drivers sit behind one
// interface.
//
// The program that wants a backend chooses it explicitly: it sets SDLDPYBackend before
// SDLDPYNew, as FPSClock is set for the frame timer. The backends are FRAMELOGBackend
// (framelog.h, in this library) and the capture program's own CAPTUREBackend
// (capture/backend.h). With none the display is plain SDL and costs one null test per call.
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

/// The backend the program chose, or null (the default) for plain SDL. Set it before
/// SDLDPYNew and leave it until SDLDPYFree; the display does not own it.
extern const SDLDPYBACKEND* SDLDPYBackend;

/// \file
/// SDLDPY, the program's one window (or full screen) over SDL 1.2 video.
///
/// Single instance: SDLDPYNew returns the existing display when there is one. The video flag
/// word handed to SDL_SetVideoMode is the build's constant SDLDPYBuildFlags: 0x10000001
/// (windowed) unless the program defines it itself, as the full-screen build does with
/// 0x90000001 - the only difference between the two. Frames are IMGs (image/img.h) of
/// 0x00RRGGBB words; the display reads them in place and keeps nothing between frames. Main
/// thread only.
///
/// Refusals: misuse calls SDLDPYError, which prints `"SDLDPY error\n"` only when SDLDPYReport
/// is set (it is not), and the operation returns null, 0 or nothing and changes nothing.
#pragma once
#include <SDL.h>

#include <cstdint>

#include "../image/img.h"

/// The display: the size of the mode last opened and the screen's depth.
struct SDLDPY {
  int32_t width;   ///< as requested for the mode last opened
  int32_t height;  ///< as requested for the mode last opened
  int32_t depth;   ///< bits per pixel of the screen surface SDL returned
};

/// The video flag word handed to SDL_SetVideoMode. The library's own definition is the
/// windowed word 0x10000001; a program that wants another (0x90000001 for full screen)
/// defines `const uint32_t SDLDPYBuildFlags` once, in one of its own source files, and that
/// definition replaces the library's.
extern const uint32_t SDLDPYBuildFlags;

// Module state, read by the keyboard and pointer modules and by start-up checks.

/// The one display, or null.
extern SDLDPY* SDLDPYCurrent;
/// What SDL_SetVideoMode returned, or null: before a mode, after a refused one, after
/// SDLDPYFree.
extern SDL_Surface* SDLDPYSurface;
/// The flags of the mode last opened (SDLDPYBuildFlags).
extern uint32_t SDLDPYVideoFlags;
/// 1 when the screen surface has SDL_DOUBLEBUF: frames are shown with SDL_Flip, otherwise with
/// SDL_UpdateRect of the whole screen.
extern int32_t SDLDPYDoubleBuffered;
/// Non-zero makes SDLDPYError print; 0 (silent) unless a program sets it.
extern uint8_t SDLDPYReport;

/// Creates the display with a 256 x 256 mode, or returns the existing one (reported). A new
/// record is made current and its mode opened by SDLDPYSetMode; it is returned even when SDL
/// refused the mode (SDLDPYSurface is then null). The caller frees it with SDLDPYFree. Null
/// (reported) when memory runs out.
SDLDPY* SDLDPYNew();
/// Forgets the screen surface, frees the record and sets *display and SDLDPYCurrent to null; a
/// later SDLDPYNew makes a new display. SDL itself is not shut down. Refuses a handle that
/// does not hold the current display.
void SDLDPYFree(SDLDPY** display);
/// Opens a width x height mode: starts SDL's video subsystem if needed, drops the previous
/// screen surface, calls SDL_SetVideoMode with the desktop's depth and SDLDPYBuildFlags,
/// captions the window "KESTREL8", and stores the requested size and the surface's bits per
/// pixel in the record. Refuses a display that is not current, or a side outside 0..16383
/// (SDL 1.2's surface limit). A mode SDL refuses is reported too and leaves no screen surface
/// and the record's previous fields.
/// On sdl12-compat the mode is shown crisp and, as a window, enlarged: unless the viewer set
/// them, SDL12COMPAT_SCALE_METHOD becomes "nearest" before video starts, and a window's
/// SDL12COMPAT_WINDOW_SCALING the largest whole n (1 to 16) with n * width and n * height
/// within four fifths of the desktop SDL reports before the first mode (3 for 256 x 256 on a
/// 1920 x 1080 desktop, 6 on 3840 x 2160; never on SDL's dummy or off-screen driver). The
/// classic library reads neither variable and shows the mode at its own size.
void SDLDPYSetMode(SDLDPY* display, int32_t width, int32_t height);
/// Presents image: its top-left corner of min(image, display) size is converted to the
/// screen's format (SDL_DisplayFormat), blitted at (0, 0) and shown. The image is read in
/// place, never changed or kept; the top byte of its pixels has no effect; the screen beyond a
/// smaller image keeps what it had. Refuses: a display that is not current, no screen surface
/// (a refused mode, or SDL's video shut down), an image without pixels or wider than 16383, a
/// corner of no area, SDL failing to make a surface.
void SDLDPYShowIMG(SDLDPY* display, const IMG* image);
/// Presents image by putting its words into the screen surface's memory as one run, with no
/// conversion (a pixel block lent to the screen surface is shown by neither SDL 1.2 library).
/// Only for an image of exactly the display's size on a screen that stores 0x00RRGGBB words
/// in 4 bytes with rows exactly 4 * width bytes long; refuses anything else, showing nothing.
void SDLDPYFlipIMG(SDLDPY* display, const IMG* image);
/// Presents image by copying its rows into the screen surface. Only for an image of exactly
/// the display's size on a screen that stores 0x00RRGGBB words in 4 bytes (any row length);
/// refuses anything else, showing nothing.
void SDLDPYCopyIMG(SDLDPY* display, const IMG* image);
/// The constant empty text "" (the module's; do not free it) for the current display; refuses
/// (null) anything else. No text form exists.
const char* SDLDPYToASCII(const SDLDPY* display);
/// Always null: a display is never made from text. Reports a null text or an existing display.
SDLDPY* SDLDPYFromASCII(const char* text);
/// 1 when a and b are both the current display; otherwise reports and returns 0.
uint8_t SDLDPYEqual(const SDLDPY* a, const SDLDPY* b);
/// The current display itself when it is given (no second record is made); refuses (null)
/// anything else.
SDLDPY* SDLDPYCopy(SDLDPY* display);
/// The module's reporter: prints `"SDLDPY error\n"` on standard output when SDLDPYReport is
/// set.
void SDLDPYError();

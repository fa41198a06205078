/// \file
/// SDLPTR, pointer (mouse) input over SDL 1.2.
///
/// Single instance; needs a display. SDLPTRUpdate reads SDL's mouse position, relative motion
/// and button mask into the record. Main thread only.
///
/// Refusals: misuse calls SDLPTRError, which prints `"SDLPTR error\n"` only when SDLPTRReport
/// is set (it is not), and the operation returns null, 0 or nothing and changes nothing.
#pragma once
#include <cstdint>

/// The pointer: the mouse state read by the last SDLPTRUpdate.
struct SDLPTR {
  int32_t x;        ///< column, in window pixels, as SDL reports it
  int32_t y;        ///< row, in window pixels
  int32_t dx;       ///< column motion since the previous reading (SDL's relative state)
  int32_t dy;       ///< row motion since the previous reading
  int32_t buttons;  ///< low byte of SDL's button mask (SDL_BUTTON(1) is the left button)
};

/// The one pointer record, or null.
extern SDLPTR* SDLPTRCurrent;
/// Non-zero makes SDLPTRError print; 0 (silent) unless a program sets it.
extern uint8_t SDLPTRReport;

/// The pointer: refuses (null) when no display exists; the existing one when there is one;
/// otherwise a new record, all fields 0, made current. Free it with SDLPTRFree. Null (reported)
/// when memory runs out.
SDLPTR* SDLPTRNew();
/// Frees the current pointer record and sets *pointer and SDLPTRCurrent to null. Refuses any
/// other handle (null, or already freed).
void SDLPTRFree(SDLPTR** pointer);
/// Reads SDL_GetMouseState into x and y and SDL_GetRelativeMouseState into dx, dy and buttons.
/// Refuses anything but the current pointer. Without a display it reports and reads all the
/// same (SDL then reports a resting mouse).
void SDLPTRUpdate(SDLPTR* pointer);
/// The constant empty text "" (the module's; do not free it) for a record; refuses (null) null.
/// No text form exists.
const char* SDLPTRToASCII(const SDLPTR* pointer);
/// Always null: a pointer record is never made from text. Reports a null text.
SDLPTR* SDLPTRFromASCII(const char* text);
/// 1 when a and b are the same record, else 0; refuses (0) a null one.
uint8_t SDLPTREqual(const SDLPTR* a, const SDLPTR* b);
/// Always null: the pointer record is never copied. Reports a null one.
SDLPTR* SDLPTRCopy(const SDLPTR* pointer);
/// The module's reporter: prints `"SDLPTR error\n"` on standard output when SDLPTRReport is
/// set.
void SDLPTRError();

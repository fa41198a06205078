/// \file
/// FPS, the frame timer: paces frame loops to a target rate and measures the rate.
///
/// No record: one module-level state block, all 0 at start. Call FPSTick then FPSWait once per
/// frame, after drawing and before presenting. Clock readings are SDL_GetTicks() * 1000 kept
/// modulo 2^32 (microseconds); differences are read as signed 32-bit, so the wrap every 71.6
/// minutes does not disturb them. The clock and the sleep are reached through FPSClock and
/// FPSSleep so that the arithmetic can be driven by a scripted clock; they default to
/// SDL_GetTicks and SDL_Delay. Nothing is reported. Main thread only.
#pragma once
#include <cstdint>

/// The frame timer's state. Programs set `target` and read `rate`.
struct FPSSTATE {
  int32_t target;       ///< frames per second wanted; FPSTick raises <= 0 to 1
  int32_t period;       ///< 1000000 / target, microseconds
  int32_t now;          ///< clock of the latest tick, microseconds (mod 2^32)
  int32_t last;         ///< clock of the tick before
  int32_t delta;        ///< now - last: the frame just finished, sleep included
  int32_t accumulator;  ///< frame time since the last measurement
  int32_t frames;       ///< ticks since the last measurement
  int32_t rate;         ///< frames counted in the last full measuring window
  int32_t slack;        ///< sleep budget carried from frame to frame, microseconds
};

/// The one frame timer; all 0 at start. Set FPS.target before the first frame.
extern FPSSTATE FPS;
extern uint32_t (*FPSClock)();       ///< milliseconds; SDL_GetTicks by default (and when null)
extern void (*FPSSleep)(uint32_t);   ///< milliseconds; SDL_Delay by default (and when null)

/// Ends a frame: raises a target <= 0 to 1, sets period = 1000000 / target and
/// delta = now - last (microseconds), and counts the frame. When the frame time accumulated
/// since the last measurement reaches one second, the frames counted become `rate` and a new
/// window starts (the excess is dropped). Returns `rate`: frames per second in the last full
/// window, 0 until one has closed. Constant time, no allocation.
int32_t FPSTick();
/// Sleeps so that frames come one period apart: slack = max(0, slack + period - delta), at
/// most INT32_MAX, then, when slack > 0, sleeps slack / 1000 whole milliseconds (the remainder
/// stays in the slack). Time lost to long frames is not chased. Call it after FPSTick.
void FPSWait();

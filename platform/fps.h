// fps.h - FPS, the frame timer: paces frame loops to a target rate and measures the rate.
//
// No record: one module-level state block, all 0 at start. Call FPSTick then FPSWait once per
// frame, after drawing and before presenting. Clock readings are SDL_GetTicks() * 1000 kept
// modulo 2^32 (microseconds); differences are read as signed 32-bit, so the wrap every 71.6
// minutes does not disturb them. The clock and the sleep are reached through FPSClock and
// FPSSleep so that the arithmetic can be driven by a scripted clock; they default to
// SDL_GetTicks and SDL_Delay.
#pragma once
#include <cstdint>

struct FPSSTATE {
  int32_t target;       // frames per second wanted; FPSTick raises <= 0 to 1
  int32_t period;       // 1000000 / target, microseconds
  int32_t now;          // clock of the latest tick, microseconds (mod 2^32)
  int32_t last;         // clock of the tick before
  int32_t delta;        // now - last: the frame just finished, sleep included
  int32_t accumulator;  // frame time since the last measurement
  int32_t frames;       // ticks since the last measurement
  int32_t rate;         // frames counted in the last full measuring window
  int32_t slack;        // sleep budget carried from frame to frame, microseconds
};

extern FPSSTATE FPS;
extern uint32_t (*FPSClock)();       // milliseconds; SDL_GetTicks by default
extern void (*FPSSleep)(uint32_t);   // milliseconds; SDL_Delay by default

int32_t FPSTick();
void FPSWait();

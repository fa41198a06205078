// fps.cpp - the frame timer: sleeps frames up to one period and counts frames per second.
//
// Clock readings live modulo 2^32 microseconds. The subtraction is done unsigned and only
// then read as signed, and sums that could leave 32 bits are taken in 64, so no step
// depends on signed overflow.
#include "platform/fps.h"

#include <SDL.h>

#include <algorithm>
#include <limits>

FPSSTATE FPS = {};
uint32_t (*FPSClock)() = SDL_GetTicks;
void (*FPSSleep)(uint32_t) = SDL_Delay;

namespace {
constexpr int32_t kMicrosPerSecond = 1000000;
constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
}  // namespace

int32_t FPSTick() {
  if (FPS.target <= 0) FPS.target = 1;
  FPS.period = kMicrosPerSecond / FPS.target;
  const uint32_t now = (FPSClock ? FPSClock : SDL_GetTicks)() * 1000u;
  FPS.delta = static_cast<int32_t>(now - static_cast<uint32_t>(FPS.last));
  FPS.now = static_cast<int32_t>(now);
  FPS.last = FPS.now;
  const int64_t sum = int64_t{FPS.accumulator} + FPS.delta;
  if (sum >= kMicrosPerSecond) {
    // What the frame ran past the full second is dropped, not carried over.
    FPS.rate = FPS.frames;
    FPS.frames = 0;
    FPS.accumulator = 0;
  } else {
    FPS.accumulator = static_cast<int32_t>(std::max(sum, kInt32Min));
  }
  if (FPS.frames < kInt32Max) ++FPS.frames;
  return FPS.rate;
}

void FPSWait() {
  // Short frames bank their unused time, long ones draw it down; lost time is not chased.
  const int64_t slack = int64_t{FPS.slack} + FPS.period - FPS.delta;
  FPS.slack = static_cast<int32_t>(std::clamp<int64_t>(slack, 0, kInt32Max));
  // Whole milliseconds; the remainder stays in the slack for later frames.
  if (FPS.slack > 0) (FPSSleep ? FPSSleep : SDL_Delay)(static_cast<uint32_t>(FPS.slack / 1000));
}

// vclock.h - VCLOCK, the virtual clock of the runs that are not paced in real time: the frame
// log of test builds and the capture program.
//
// Both must give the frame timer the very same clock, so that a picture showing the measured
// frame rate (scene 2's panel) comes out alike in both: every reading of the clock (one per
// FPSTick) moves it on by VCLOCKTickMs milliseconds, and the frame timer's sleep does nothing.
// A run on this clock measures exactly 50 frames per second and takes no real time to wait.
// Main thread only.
#pragma once
#include <cstdint>

/// Milliseconds the clock moves on per reading (one frame at 50 frames per second).
inline constexpr uint32_t VCLOCKTickMs = 20;

/// Puts the frame timer (FPSClock, FPSSleep) on the virtual clock, starting from 0 with no
/// reading taken. Calling it again starts it afresh.
void VCLOCKStart();
/// Readings taken since VCLOCKStart: the number of FPSTick calls on the virtual clock. A
/// present that finds this unchanged since the previous present had no tick between them
/// (a step of a fade).
uint32_t VCLOCKReadings();

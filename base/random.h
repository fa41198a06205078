/// \file
/// The one process-wide random generator (base: needs nothing but the C++ library).
///
/// A 32-bit linear congruential generator: state = state * 214013 + 2531011 (mod 2^32), and
/// each draw returns bits 16..30 of the new state (0..32767). The demo seeds it once with
/// 0xFACE5718 at start-up; the scenes and the music sequencer (MUSICStep) draw from the same
/// state, so a run with the same keys at the same frames repeats exactly. A program of its
/// own that uses MUSIC seeds it with DemoSeedRandom before the first step. Not thread-safe:
/// draw from one thread only.
#pragma once
#include <cstdint>

/// The generator's state: one for the whole program (an inline variable), 0 until seeded.
inline uint32_t DemoRandomState = 0;

/// The seed the demo starts from, 0xFACE5718.
inline constexpr uint32_t DemoRandomSeedValue = 0xFACE5718u;

/// Sets the state to `seed` (any 32-bit value); the same seed gives the same draws again.
inline void DemoSeedRandom(uint32_t seed) { DemoRandomState = seed; }

/// Advances the state once and returns bits 16..30 of it: 0 to 32767. Never refuses.
inline int32_t DemoRandom() {
  DemoRandomState = DemoRandomState * 214013u + 2531011u;
  return static_cast<int32_t>((DemoRandomState >> 16) & 0x7FFF);
}

// music.h - MUSIC, the soundtrack sequencer.
//
// Keeps one loop of 40000 samples (`output`), which the demo queues to the sound output again
// and again. Every `period` (300) calls of MUSICStep, starting with the first, it draws one of
// its clips and one of 16 positions from the program's random generator and blends the clip
// into the loop: loop = (3 * loop + placed clip) >> 2, rewritten under SDL's audio lock so the
// audio thread never plays a half-updated loop.
//
// MUSICError prints "MUSIC ERROR\n" only when MUSICReport is set (it is not).
#pragma once
#include <cstdint>

#include "array.h"
#include "sample.h"

struct MUSIC {
  int32_t countdown;    // frames left until the next event; 0 at creation
  int32_t period;       // 300
  SAMPLE* output;       // the loop, length 40000, owned
  ARRAY* instruments;   // SAMPLE references, in the order added
};

// The eight built-in clips, synthesised at build time: a count, then the SAMPLE records
// (length == capacity, items pointing at static arrays). They live for the whole run.
struct MUSICCLIPTABLE {
  int32_t count;
  SAMPLE clip[8];
};
extern MUSICCLIPTABLE MUSICClipTable;

extern uint8_t MUSICReport;

MUSIC* MUSICNew();
void MUSICFree(MUSIC** music);
void MUSICAddSAMPLE(MUSIC* music, SAMPLE* sample);
void MUSICStep(MUSIC* music);
char* MUSICToASCII(const MUSIC* music);
MUSIC* MUSICFromASCII(const char* text);
MUSIC* MUSICCopy(const MUSIC* music);
bool MUSICEqual(const MUSIC* a, const MUSIC* b);
void MUSICError();

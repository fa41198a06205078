/// \file
/// MUSIC, the soundtrack sequencer.
///
/// Keeps one loop of 40000 samples (`output`), which the demo queues to the sound output again
/// and again. Every `period` (300) calls of MUSICStep, starting with the first, it draws one of
/// its clips and one of 16 positions from the shared random generator and blends the clip
/// into the loop: loop = (3 * loop + placed clip) >> 2, rewritten under SDL's audio lock so the
/// audio thread never plays a half-updated loop. Main thread only: the working buffer of an
/// event is shared by every MUSIC.
///
/// MUSICError prints `"MUSIC ERROR\n"` only when MUSICReport is set (it is not); the other
/// failures are silent.
#pragma once
#include <cstdint>

#include "array.h"
#include "sample.h"

/// The sequencer: its frame count, its loop and its clips.
struct MUSIC {
  int32_t countdown;    ///< calls of MUSICStep left until the next event; 0 at creation
  int32_t period;       ///< calls between events: 300
  SAMPLE* output;       ///< the loop, length 40000, owned
  ARRAY* instruments;   ///< clip SAMPLE references, in the order added; MUSICFree frees them
};

/// The eight built-in clips, synthesised at build time: a count, then the SAMPLE records
/// (length == capacity, 2246 to 12952 elements, items pointing at static arrays, values in the
/// signed 16-bit range). They live for the whole run; never pass them to SAMPLEFree.
struct MUSICCLIPTABLE {
  int32_t count;    ///< 8
  SAMPLE clip[8];   ///< the clips, static records
};
/// The built-in clips, in the order the demo adds them.
extern MUSICCLIPTABLE MUSICClipTable;

/// Non-zero makes MUSICError print; 0 (silent) unless a program sets it.
extern uint8_t MUSICReport;

/// A new sequencer: countdown 0, period 300, a silent 40000-element loop and no clips; the
/// caller owns it (MUSICFree). Null (reported) when memory runs out.
MUSIC* MUSICNew();
/// Frees the loop, every clip still in the list (SAMPLEFree; the built-in clips are skipped),
/// the list and the record, and sets *music to null. So add only clips made by SAMPLENew or
/// SAMPLECopy, or the built-in ones, and do not free them yourself. Refuses (MUSICError) a null
/// address or a null handle.
void MUSICFree(MUSIC** music);
/// Appends the clip sample to the list; the MUSIC takes it over (MUSICFree). A null music,
/// sample or list does nothing, silently.
void MUSICAddSAMPLE(MUSIC* music, SAMPLE* sample);
/// One frame of the sequencer. On every period-th call, the first included, one event: with L
/// the loop's length, it draws a clip (random % clip count) and an offset (four draws of
/// random % 2 weighing L >> 1, L >> 2, L >> 3 and L >> 4: a multiple of 2500 for the 40000
/// loop), places the clip's first min(L, clip length) elements at the offset, wrapping past
/// the end, and sets the loop to (3 * loop + placed) >> 2 under SDL's audio lock (arithmetic
/// shift, so it rounds toward minus infinity). The draws come from the process-wide
/// generator, so the music follows its seed. Without clips the loop stays as it is. A null
/// music does nothing.
void MUSICStep(MUSIC* music);
/// Always null: a MUSIC has no text form.
char* MUSICToASCII(const MUSIC* music);
/// Always null: a MUSIC has no text form.
MUSIC* MUSICFromASCII(const char* text);
/// Always null: a MUSIC is never copied.
MUSIC* MUSICCopy(const MUSIC* music);
/// Always false.
bool MUSICEqual(const MUSIC* a, const MUSIC* b);
/// The module's reporter: prints `"MUSIC ERROR\n"` on standard output when MUSICReport is set.
void MUSICError();

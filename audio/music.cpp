// music.cpp - MUSIC, the soundtrack sequencer: a 40000-sample loop into which a random clip
// is blended at one of 16 grid positions every `period` frames.
#include "audio/music.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "base/random.h"

uint8_t MUSICReport = 0;

namespace {

constexpr int32_t kLoopLength = 40000;
constexpr int32_t kPeriod = 300;

// Working buffer for placing a clip, shared by every MUSIC and kept for the whole run so an
// event allocates nothing but the rotation's temporary. Only the main thread touches it.
SAMPLE* scratch = nullptr;

SAMPLE* ScratchOfLength(int32_t length) {
  if (scratch && scratch->length != length) SAMPLEFree(&scratch);
  if (!scratch) {
    scratch = SAMPLENew();
    SAMPLEResize(scratch, length);
  }
  return scratch;
}

// The built-in clips are static records; they must never reach SAMPLEFree.
bool IsBuiltInClip(const SAMPLE* sample) {
  for (const SAMPLE& clip : MUSICClipTable.clip)
    if (sample == &clip) return true;
  return false;
}

// One of the 16 grid positions, a bit at a time from the top: four draws of 0 or 1 weigh
// half, a quarter, an eighth and a sixteenth of the loop.
int32_t DrawOffset(int32_t length) {
  int32_t offset = 0;
  for (int shift = 1; shift <= 4; ++shift) offset += (DemoRandom() % 2) * (length >> shift);
  return offset;
}

// Chooses a clip and a position and blends the placed clip into the loop.
void Event(MUSIC* music) {
  SAMPLE* output = music->output;
  const int32_t length = output->length;
  SAMPLE* placed = ScratchOfLength(length);
  SAMPLEClear(placed);
  if (music->instruments->count <= 0) return;
  const int32_t index = DemoRandom() % music->instruments->count;
  const int32_t offset = DrawOffset(length);
  const SAMPLE* clip = reinterpret_cast<const SAMPLE*>(ARRAYGet(music->instruments, index));
  if (!clip) return;
  SAMPLEAdd(placed, clip);
  SAMPLERotateRight(placed, offset);
  SAMPLEAdd(placed, output);  // placed clip + old loop
  // (2 * old + clip + old) >> 2 in three passes; the audio thread must see only the result.
  SDL_LockAudio();
  SAMPLEShiftLeft(output, 1);
  SAMPLEAdd(output, placed);
  SAMPLEShiftRight(output, 2);
  SDL_UnlockAudio();
}

}  // namespace

MUSIC* MUSICNew() {
  MUSIC* music = static_cast<MUSIC*>(std::calloc(1, sizeof(MUSIC)));
  if (!music) {
    MUSICError();
    return nullptr;
  }
  music->countdown = 0;
  music->period = kPeriod;
  music->output = SAMPLENew();
  SAMPLEResize(music->output, kLoopLength);
  music->instruments = ARRAYNew();
  if (!music->output || music->output->length != kLoopLength || !music->instruments) {
    MUSICError();
    MUSICFree(&music);
  }
  return music;
}

// Releases the loop and every clip still in the list; only SAMPLEs made by SAMPLENew or
// SAMPLECopy belong there. The built-in clips are static and are skipped.
void MUSICFree(MUSIC** music) {
  if (!music || !*music) {
    MUSICError();
    return;
  }
  MUSIC* m = *music;
  if (m->output) SAMPLEFree(&m->output);
  if (m->instruments) {
    while (m->instruments->count > 0) {
      SAMPLE* clip = reinterpret_cast<SAMPLE*>(ARRAYPop(m->instruments));
      if (clip && !IsBuiltInClip(clip)) SAMPLEFree(&clip);
    }
    ARRAYFree(&m->instruments);
  }
  std::free(m);
  *music = nullptr;
}

void MUSICAddSAMPLE(MUSIC* music, SAMPLE* sample) {
  if (!music || !sample || !music->instruments) return;
  ARRAYPush(music->instruments, reinterpret_cast<intptr_t>(sample));
}

void MUSICStep(MUSIC* music) {
  if (!music) return;
  if (music->countdown > INT32_MIN) --music->countdown;  // a period set below 1 must not wrap
  if (music->countdown > 0) return;
  music->countdown = music->period;
  // A record whose loop or list is missing still counts frames but has nothing to play.
  if (!music->output || !music->output->items || !music->instruments) return;
  Event(music);
}

char* MUSICToASCII(const MUSIC*) { return nullptr; }
MUSIC* MUSICFromASCII(const char*) { return nullptr; }
MUSIC* MUSICCopy(const MUSIC*) { return nullptr; }
bool MUSICEqual(const MUSIC*, const MUSIC*) { return false; }

void MUSICError() {
  if (MUSICReport) std::printf("MUSIC ERROR\n");
}

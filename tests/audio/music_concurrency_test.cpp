// MUSIC against the real audio thread: the main thread runs the sequencer with an event every
// other frame and keeps the sound queue fed with its loop while SDL's audio thread plays it.
// Everything the callback produced is recorded, and each callback's output must be a stretch
// of one consistent loop version (never the doubled or tripled values of an event's
// intermediate passes), the versions must follow each other in order, and the loop must play
// on across events without restarting. Built with -DK8_SANITIZE=thread, ThreadSanitizer checks
// that the loop, the queue and the read position are only shared under the audio lock.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/music.h"
#include "audio/sdlsnd.h"
#include "base/random.h"

namespace {

constexpr int kMaxCalls = 512;
constexpr int kCallBytes = 8192;  // 4096 samples of 2 bytes

// What one callback saw and wrote; filled on the audio thread under the audio lock.
struct Call {
  int32_t position;  // the head's read position when the callback began
  int32_t queued;    // queue entries when the callback began
  int32_t bytes;
};

struct Recorder {
  SDLSND* sound;
  int calls = 0;
  Call call[kMaxCalls];
  std::vector<uint8_t> stream = std::vector<uint8_t>(size_t{kMaxCalls} * kCallBytes);
};

void RecordingCallback(void* userdata, Uint8* stream, int len) {
  auto* r = static_cast<Recorder*>(userdata);
  if (r->calls >= kMaxCalls || len > kCallBytes) {
    SDLSNDCallback(r->sound, stream, len);
    return;
  }
  Call& c = r->call[r->calls];
  c.position = r->sound->position;
  c.queued = r->sound->queue ? r->sound->queue->count : 0;
  SDLSNDCallback(r->sound, stream, len);
  c.bytes = len;
  std::memcpy(&r->stream[size_t(r->calls) * kCallBytes], stream, size_t(len));
  ++r->calls;
}

// Replaces the device that SDLSNDNew opened with one whose callback records SDLSNDCallback's
// output; the format is the sound output's own.
bool ReopenRecording(Recorder* r) {
  SDL_PauseAudio(1);
  SDL_CloseAudio();
  SDL_AudioSpec spec;
  std::memset(&spec, 0, sizeof spec);
  spec.freq = 44100;
  spec.format = AUDIO_S16LSB;
  spec.channels = 1;
  spec.samples = 4096;
  spec.callback = RecordingCallback;
  spec.userdata = r;
  if (SDL_OpenAudio(&spec, nullptr) < 0) return false;
  SDL_PauseAudio(0);
  return true;
}

using Version = std::vector<int16_t>;  // the loop as the device plays it: low 16 bits

Version Snapshot(const SAMPLE* loop) { return Version(loop->items, loop->items + loop->length); }

// Walks one callback's samples through the queue as the sound output plays it: entries of
// the 40000-sample loop back to back from `position`, silence once the queue is empty.
// Returns whether every sample equals `loop` at its index; `end` receives the next position.
// The stream holds little-endian words whatever the machine's byte order.
bool CallMatches(const Call& c, const uint8_t* played, const Version& loop, int32_t* end) {
  int32_t position = c.position, queued = c.queued;
  const int32_t length = static_cast<int32_t>(loop.size());
  for (int32_t j = 0; j < c.bytes / 2; ++j) {
    const int16_t expected = queued > 0 ? loop[position] : 0;
    if (static_cast<int16_t>(played[2 * j] | played[2 * j + 1] << 8) != expected) return false;
    if (queued > 0 && ++position >= length) {
      position = 0;
      --queued;
    }
  }
  *end = position;
  return true;
}

TEST(MusicConcurrency, AudioThreadPlaysOnlyWholeLoopVersions) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  SDLSND* sound = SDLSNDNew();
  ASSERT_NE(sound, nullptr) << SDL_GetError();
  auto* recorder = new Recorder;
  recorder->sound = sound;
  ASSERT_TRUE(ReopenRecording(recorder)) << SDL_GetError();

  MUSIC* music = MUSICNew();
  for (int32_t i = 0; i < MUSICClipTable.count; ++i) MUSICAddSAMPLE(music, &MUSICClipTable.clip[i]);
  music->period = 2;
  DemoSeedRandom(DemoRandomSeedValue);

  std::vector<Version> versions{Snapshot(music->output)};
  const Uint32 start = SDL_GetTicks();
  for (int frame = 0;; ++frame) {
    MUSICStep(music);
    if (music->countdown == music->period) versions.push_back(Snapshot(music->output));
    SDL_LockAudio();
    const int32_t queued = sound->queue->count;
    const int calls = recorder->calls;
    SDL_UnlockAudio();
    if (queued < 4) SDLSNDPlaySAMPLE(sound, music->output);
    const bool enough = frame >= 300 && calls >= 12;
    if (enough || frame >= 1200 || SDL_GetTicks() - start > 15000) break;
    SDL_Delay(4);
  }
  SDLSNDFree(&sound);  // the audio thread has ended when this returns

  const int calls = recorder->calls;
  EXPECT_GE(calls, 12) << "the audio thread played too little to tell";
  EXPECT_GE(versions.size(), 150u);
  size_t lowest = 0, distinct = 0;
  int32_t previousEnd = -1;
  for (int k = 0; k < calls; ++k) {
    const Call& c = recorder->call[k];
    const uint8_t* played = &recorder->stream[size_t(k) * kCallBytes];
    size_t v = lowest;
    int32_t end = 0;
    while (v < versions.size() && !CallMatches(c, played, versions[v], &end)) ++v;
    ASSERT_LT(v, versions.size()) << "callback " << k << " played no consistent loop version";
    if (v != lowest) ++distinct;
    lowest = v;
    if (previousEnd >= 0 && c.queued > 0) {
      EXPECT_EQ(c.position, previousEnd) << "loop restarted at " << k;
    }
    previousEnd = end;
  }
  EXPECT_GE(distinct, 2u) << "events should be heard while the loop plays";
  MUSICFree(&music);
  delete recorder;
}

}  // namespace

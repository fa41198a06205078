// sdlsnd.cpp - SDLSND, the sound output: a queue of SAMPLE references played by SDL 1.2's
// audio callback at 44100 Hz, mono, signed 16-bit little-endian.
#include "audio/sdlsnd.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Entry, exit and error trace lines; a build-time switch, off.
constexpr bool kTrace = false;

void Trace(const char* line) {
  if constexpr (kTrace) fputs(line, stdout);
}

// Prints the entry line now and the exit line when the operation returns.
class TraceScope {
 public:
  TraceScope(const char* entry, const char* exit) : exit_(exit) { Trace(entry); }
  ~TraceScope() { Trace(exit_); }
  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;

 private:
  const char* exit_;
};

constexpr int32_t kFrequency = 44100;
constexpr Uint16 kFormat = AUDIO_S16LSB;  // 0x8010
constexpr Uint16 kBufferSamples = 4096;

// Every SDL subsystem, as the sound output has always asked for. When that fails because some
// other subsystem (typically video without a display) cannot start, audio and timer alone are
// enough for sound.
bool InitSDL() {
  if (SDL_Init(0xFFFF) == 0) return true;
  return SDL_Init(SDL_INIT_AUDIO | SDL_INIT_TIMER) == 0;
}

// SDL starts its audio subsystem even when no driver is available and then refuses every
// SDL_OpenAudio until the subsystem is restarted. After a failed open, a subsystem without an
// open device is therefore shut down, so that a later SDLSNDNew looks for a driver afresh. A
// device that is open (another sound output) is left alone.
void ReleaseUnusedAudio() {
  if (SDL_GetAudioStatus() == SDL_AUDIO_STOPPED) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// Writes count elements of the head from `position` as little-endian 16-bit words, the low half
// of each element.
uint8_t* PlayElements(uint8_t* out, const int32_t* items, int32_t count) {
  for (int32_t i = 0; i < count; i++) {
    const uint32_t v = uint32_t(items[i]);
    *out++ = uint8_t(v);
    *out++ = uint8_t(v >> 8);
  }
  return out;
}

}  // namespace

SDLSND* SDLSNDNew() {
  TraceScope trace("SDLSNDNew_\n", "_SDLSNDNew\n");
  if (!InitSDL()) {
    Trace("ERR Init SDL\n");
    return nullptr;
  }
  auto* sound = static_cast<SDLSND*>(calloc(1, sizeof(SDLSND)));
  if (!sound) {
    Trace("ERR calloc SDLSND\n");
    return nullptr;
  }
  SDL_AudioSpec spec;
  memset(&spec, 0, sizeof spec);
  spec.freq = kFrequency;
  spec.format = kFormat;
  spec.channels = 1;
  spec.samples = kBufferSamples;
  spec.callback = SDLSNDCallback;
  spec.userdata = sound;
  if (SDL_OpenAudio(&spec, nullptr) < 0) {
    Trace("ERR open audio\n");
    free(sound);
    ReleaseUnusedAudio();
    return nullptr;
  }
  // The audio thread already exists. SDL's pause flag is a plain variable, so the record is
  // filled under the audio lock, which the thread takes before every callback: that is what
  // makes these writes visible to it.
  SDL_LockAudio();
  sound->frequency = kFrequency;
  sound->bitDepth = 16;
  sound->signedness = 's';
  sound->byteOrder = 'l';
  sound->muted = 0;
  sound->queue = ARRAYNew();
  SDL_UnlockAudio();
  SDL_PauseAudio(0);
  return sound;
}

void SDLSNDFree(SDLSND** sound) {
  TraceScope trace("SDLSNDFree_\n", "_SDLSNDFree\n");
  if (!sound || !*sound) {
    Trace("ERR void parameter\n");
    return;
  }
  SDL_PauseAudio(1);
  // Taking and releasing the lock waits for a callback that is still running. SDL_CloseAudio
  // joins the audio thread, so it is called without the lock held: a thread that passed its
  // pause check just before SDL_PauseAudio(1) is about to take the lock, and closing while
  // holding it would wait for that thread forever.
  SDL_LockAudio();
  SDL_UnlockAudio();
  SDL_CloseAudio();
  if ((*sound)->queue) ARRAYFree(&(*sound)->queue);
  free(*sound);
  *sound = nullptr;
}

void SDLSNDPlaySAMPLE(SDLSND* sound, SAMPLE* sample) {
  TraceScope trace("SDLSNDPlaySAMPLE_\n", "_SDLSNDPlaySAMPLE\n");
  if (!sound || !sample) {
    Trace("ERR void parameter\n");
    return;
  }
  SDL_LockAudio();
  if (!sound->queue) {
    Trace("ERR void snd->queue\n");
    sound->queue = ARRAYNew();
  }
  ARRAYPush(sound->queue, reinterpret_cast<intptr_t>(sample));
  SDL_UnlockAudio();
}

void SDLSNDPlay(SDLSND* sound) {
  TraceScope trace("SDLSNDPlay_\n", "_SDLSNDPlay\n");
  if (!sound) Trace("ERR void parameter\n");
}

const char* SDLSNDToASCII(const SDLSND* sound) {
  TraceScope trace("SDLSNDToASCII_\n", "_SDLSNDToASCII\n");
  if (!sound) {
    Trace("ERR void parameter\n");
    return nullptr;
  }
  return "";
}

SDLSND* SDLSNDFromASCII(const char* text) {
  TraceScope trace("SDLSNDFromASCII_\n", "_SDLSNDFromASCII\n");
  if (!text) Trace("ERR void parameter.\n");
  return nullptr;
}

bool SDLSNDEqual(const SDLSND* a, const SDLSND* b) {
  TraceScope trace("SDLSNDEqual_\n", "_SDLSNDEqual\n");
  if (!a || !b) {
    Trace("ERR void parameter\n");
    return false;
  }
  return true;
}

SDLSND* SDLSNDCopy(const SDLSND* sound) {
  TraceScope trace("SDLSNDCopy_\n", "_SDLSNDCopy\n");
  if (!sound) Trace("ERR void parameter\n");
  return nullptr;
}

// Runs on SDL's audio thread with the audio lock held. Plays the queue head from `position`,
// moving on to the next entry without a gap; never allocates, blocks or releases memory.
void SDLSNDCallback(void* userdata, uint8_t* stream, int len) {
  TraceScope trace("SDLSNDCallback_\n", "_SDLSNDCallback\n");
  auto* sound = static_cast<SDLSND*>(userdata);
  if (!sound || !stream) {
    Trace("ERR void parameter\n");
    return;
  }
  if (len <= 0) {
    Trace("ERR wrong length\n");
    return;
  }
  if (!sound->queue || sound->queue->count <= 0) {
    Trace("ERR underflow\n");
    return;  // SDL hands over a silent buffer
  }
  auto* head = reinterpret_cast<SAMPLE*>(ARRAYGet(sound->queue, 0));
  if (sound->muted == 1 || !head) {
    memset(stream, 0, size_t(len));
    return;
  }
  uint8_t* out = stream;
  int32_t left = len / 2;  // an odd last byte stays as SDL left it
  while (left > 0) {
    // The run of the head that is still to play, or one silent sample for a head with nothing
    // (left) to play: an empty or storage-less SAMPLE, or a position at or past its end.
    const int32_t available = head->items && sound->position >= 0
                                  ? head->length - sound->position
                                  : 0;
    if (available > 0) {
      const int32_t run = available < left ? available : left;
      out = PlayElements(out, head->items + sound->position, run);
      sound->position += run;
      left -= run;
    } else {
      *out++ = 0;
      *out++ = 0;
      sound->position++;
      left--;
    }
    if (sound->position >= head->length) {
      ARRAYRemove(sound->queue, 0);
      sound->position = 0;
      if (sound->queue->count <= 0) return;
      head = reinterpret_cast<SAMPLE*>(ARRAYGet(sound->queue, 0));
      if (!head) return;  // a null entry further back: leave the rest as it is
    }
  }
}

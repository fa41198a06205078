// sdlsnd.h - SDLSND, the sound output over SDL 1.2 audio.
//
// Opens the device at 44100 Hz, AUDIO_S16LSB, mono, 4096-sample buffers, and plays a queue of
// SAMPLE references one after another from SDLSNDCallback on SDL's audio thread. The queue
// holds references, never copies: whoever queues a SAMPLE keeps owning it and must not free
// it or change its length while it is queued. The queue, `position` and the elements of any
// queued SAMPLE are guarded by SDL's audio lock (SDL_LockAudio / SDL_UnlockAudio); read
// `queue->count` under that lock too.
#pragma once
#include <cstdint>

#include "array.h"
#include "sample.h"

struct SDLSND {
  int32_t frequency;  // 44100
  int32_t bitDepth;   // 16
  int32_t position;   // next element of the head SAMPLE to play
  ARRAY* queue;       // SAMPLE references, head at index 0
  char signedness;    // 's'
  char byteOrder;     // 'l'
  uint8_t muted;      // 1 plays silence; nothing sets it
};

SDLSND* SDLSNDNew();
void SDLSNDFree(SDLSND** sound);
void SDLSNDPlaySAMPLE(SDLSND* sound, SAMPLE* sample);
void SDLSNDPlay(SDLSND* sound);
const char* SDLSNDToASCII(const SDLSND* sound);
SDLSND* SDLSNDFromASCII(const char* text);
bool SDLSNDEqual(const SDLSND* a, const SDLSND* b);
SDLSND* SDLSNDCopy(const SDLSND* sound);
void SDLSNDCallback(void* userdata, uint8_t* stream, int len);

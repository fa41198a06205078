/// \file
/// SDLSND, the sound output over SDL 1.2 audio.
///
/// Opens the device at 44100 Hz, AUDIO_S16LSB, mono, 4096-sample buffers, and plays a queue of
/// SAMPLE references one after another from SDLSNDCallback on SDL's audio thread, each from
/// element 0 to length - 1, each element's low 16 bits as one signed sample (nothing is mixed,
/// clipped or scaled). The queue holds references, never copies: whoever queues a SAMPLE keeps
/// owning it and must not free it or change its length while it is queued. The queue,
/// `position` and the elements of any queued SAMPLE are guarded by SDL's audio lock
/// (SDL_LockAudio / SDL_UnlockAudio); read `queue->count` under that lock too.
///
/// Failures are silent: operations return null, false or nothing. Entry, exit and error trace
/// lines on standard output sit behind a build-time switch that is off.
#pragma once
#include <cstdint>

#include "array.h"
#include "sample.h"

/// The sound output: the opened format and the playback queue.
struct SDLSND {
  int32_t frequency;  ///< 44100
  int32_t bitDepth;   ///< 16
  int32_t position;   ///< next element of the head SAMPLE to play
  ARRAY* queue;       ///< SAMPLE references, head at index 0
  char signedness;    ///< 's'
  char byteOrder;     ///< 'l'
  uint8_t muted;      ///< 1 plays silence; nothing sets it
};

/// Starts SDL (every subsystem, or audio and timer alone when that fails), opens the audio
/// device and starts playback: from here on SDLSNDCallback runs on SDL's audio thread. Returns
/// a new record with an empty queue, which the caller owns (SDLSNDFree); null when SDL, memory
/// or the device fails, or a device is already open (SDL 1.2 has one).
SDLSND* SDLSNDNew();
/// Stops playback, waits for a running callback, closes the device, frees the queue (not the
/// queued SAMPLEs) and the record, and sets *sound to null. A null address or handle: nothing.
void SDLSNDFree(SDLSND** sound);
/// Appends sample to the tail of the queue, under the audio lock; it plays after everything
/// queued before it. The same SAMPLE may be queued several times; change its elements only
/// under SDL_LockAudio while it may be queued. A null sound or sample does nothing; if the
/// queue cannot grow the sample is not queued.
void SDLSNDPlaySAMPLE(SDLSND* sound, SAMPLE* sample);
/// Does nothing: playback runs from SDLSNDNew on.
void SDLSNDPlay(SDLSND* sound);
/// The constant empty text "" (the module's; do not free it) for a record, null for null. No
/// text form exists.
const char* SDLSNDToASCII(const SDLSND* sound);
/// Always null: a sound output is never made from text.
SDLSND* SDLSNDFromASCII(const char* text);
/// true when both are non-null (any two sound outputs are equal), else false.
bool SDLSNDEqual(const SDLSND* a, const SDLSND* b);
/// Always null: a sound output is never copied.
SDLSND* SDLSNDCopy(const SDLSND* sound);
/// SDL's audio callback, run on the audio thread with the audio lock held; userdata is the
/// SDLSND. Fills len bytes, len / 2 little-endian samples (an odd last byte is left as SDL
/// gave it), playing the queue head from position and moving on to the next entry without a
/// gap; finished entries leave the queue. An empty queue leaves the buffer as SDL gave it
/// (silence); muted or a null head fills it with 0. A head without storage plays as 0s; an
/// empty one, or one whose length fell to position or below, yields one 0 sample and leaves
/// the queue. Never allocates, blocks or frees. A null userdata or stream, or len <= 0, writes
/// nothing.
void SDLSNDCallback(void* userdata, uint8_t* stream, int len);

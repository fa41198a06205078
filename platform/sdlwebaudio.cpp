// sdlwebaudio.cpp - the browser build's sound: SDL 1.2's audio calls over Web Audio.
//
// Emscripten's SDL audio makes a new AudioBuffer for every callback's block, leaves the block as
// the previous callback wrote it (SDL 1.2 hands the callback silence) and keeps timers that
// outlive the program. Here the blocks go through a ring of AudioBuffers made when the device
// opens; per block only the AudioBufferSourceNode that Web Audio requires is new (a source plays
// once). The callback runs on the browser's main thread between the program's frames, as SDL's
// audio thread would run it between the main thread's locks.
#include <SDL.h>
#include <emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

// The Web Audio side, in web/library.js.
extern "C" {
// Opens output on the page's AudioContext (Module.audioContext, else a context of its own):
// `ring` AudioBuffers of `frames` frames at `rate`, scheduled `ahead` buffers in advance, each
// filled through K8WebAudioFill. 0 without Web Audio or for a rate or size the browser does not
// play, else 1.
int K8WebOpenAudio(int rate, int channels, int frames, int bytesPerSample, int ring, int ahead);
// Starts (0) or stops (1) the callbacks; nothing already scheduled is taken back.
void K8WebPauseAudio(int pause);
// Stops the callbacks for good; what is scheduled still plays out.
void K8WebCloseAudio(void);
}

namespace {

struct WebAudio {
  SDL_AudioSpec opened;  // format, channels, samples, callback, userdata
  uint8_t* block;      // one callback's bytes
  int bytes;
  bool open;
  bool paused;
};
WebAudio audio;

int BytesPerSample(SDL_AudioFormat format) {
  if (format == AUDIO_S16LSB) return 2;
  if (format == AUDIO_U8) return 1;
  return 0;
}

}  // namespace

extern "C" {

// One callback's block, started as silence as SDL 1.2 starts it; for the page's feed, which
// plays it. Null once the device is closed.
EMSCRIPTEN_KEEPALIVE uint8_t* K8WebAudioFill(void) {
  if (!audio.open) return nullptr;
  std::memset(audio.block, audio.opened.format == AUDIO_U8 ? 0x80 : 0, audio.bytes);
  audio.opened.callback(audio.opened.userdata, audio.block, audio.bytes);
  return audio.block;
}

// Signed 16-bit or unsigned 8-bit samples, one or two channels, 8000 to 96000 per second (what
// every browser's Web Audio plays), a power of two from 128 to 32768 frames per callback; the
// desired format is the one opened. -1, nothing opened, for anything else or a second open.
int SDL_OpenAudio(SDL_AudioSpec* desired, SDL_AudioSpec* obtained) {
  constexpr int kQueued = 5;  // buffers scheduled ahead: Emscripten's depth, safe under jitter
  constexpr int kSpare = 3;   // a buffer is written again only after it has played
  if (audio.open || !desired || !desired->callback) return -1;
  const int bytesPerSample = BytesPerSample(desired->format);
  const int frames = desired->samples, channels = desired->channels;
  if (!bytesPerSample || channels < 1 || channels > 2 || desired->freq < 8000 ||
      desired->freq > 96000 || frames < 128 || frames > 32768 || (frames & (frames - 1)))
    return -1;
  const int bytes = frames * channels * bytesPerSample;
  auto* block = static_cast<uint8_t*>(std::malloc(bytes));
  if (!block) return -1;
  if (!K8WebOpenAudio(desired->freq, channels, frames, bytesPerSample, kQueued + kSpare,
                      kQueued)) {
    std::free(block);
    return -1;
  }
  audio.opened = *desired;
  audio.opened.silence = desired->format == AUDIO_U8 ? 0x80 : 0;
  audio.opened.size = static_cast<Uint32>(bytes);
  audio.block = block;
  audio.bytes = bytes;
  audio.open = true;
  audio.paused = true;
  if (obtained) *obtained = audio.opened;
  return 0;
}

void SDL_PauseAudio(int pause_on) {
  if (!audio.open) return;
  audio.paused = pause_on != 0;
  K8WebPauseAudio(audio.paused ? 1 : 0);
}

// Stops the callbacks; what is already scheduled (at most half a second) still plays out.
void SDL_CloseAudio(void) {
  if (!audio.open) return;
  K8WebCloseAudio();
  std::free(audio.block);
  audio = WebAudio{};
}

// Stopped without an opened device, else playing or paused as SDL_PauseAudio last said.
SDL_AudioStatus SDL_GetAudioStatus(void) {
  if (!audio.open) return SDL_AUDIO_STOPPED;
  return audio.paused ? SDL_AUDIO_PAUSED : SDL_AUDIO_PLAYING;
}

}  // extern "C"

// backend.h - CAPTURE, the display and sound backend of the capture program: the show run on
// the virtual clock, every present taken as one 20 ms video frame and the sound taken from the
// program's own audio callback, driven as a sound device would drive it.
//
// Part of the capture program only (backend.cpp also supplies SDL's audio calls, so it must
// never sit in a library another program links). No window and no sound device is opened:
// the program puts SDL on its dummy video driver, and SDL_OpenAudio and its companions are
// answered here, keeping the callback, which is run in blocks of CAPTUREBlockSamples whenever
// the frames presented so far need more sound (CAPTURESamplesPerFrame a frame, so the sound
// never drifts against the pictures).
//
// When the show ends: at the program's own quit, after the frame limit, or, once every
// scripted key has been pressed, in the last frame of the next scene 4 (the whole ring with no
// script), followed by the closing fade. That last frame is found by a dry run: a forked child
// runs the same show on the same virtual clock, writing nothing, and tells the capture where
// scene 4 ended (the next present starting a fade, with a tick after it) and how many frames
// the capture will take, which also gives the progress line its total.
//
// Failures (the output refusing data, an interrupt, a run that differs from its dry run) are
// reported on standard error as "kestrel8-capture: <what>", the output is abandoned (no file
// that looks complete is left) and the process exits: status 130 for an interrupt, 1 else.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "image/img.h"
#include "platform/keyscript.h"
#include "platform/sdldpybackend.h"

inline constexpr int32_t CAPTURERate = 44100;             ///< samples per second
inline constexpr int32_t CAPTUREFramesPerSecond = 50;     ///< one frame per 20 ms present
inline constexpr int32_t CAPTURESamplesPerFrame = CAPTURERate / CAPTUREFramesPerSecond;  // 882
inline constexpr int32_t CAPTUREBlockSamples = 4096;      ///< the device's buffer
inline constexpr int CAPTUREStatusFailed = 1;
inline constexpr int CAPTUREStatusInterrupted = 130;

/// Where the frames and the sound go. Every call returns false on failure with a reason in
/// Error(); after one failure the capture calls only Abandon.
class CAPTURESINK {
 public:
  virtual ~CAPTURESINK() = default;
  /// Starts writing (to a temporary name); frames are width x height.
  virtual bool Open(int32_t width, int32_t height) = 0;
  /// One frame: `image` of the size given to Open, read in place.
  virtual bool Frame(const IMG& image) = 0;
  /// The sound of one frame: `count` signed 16-bit samples, mono, 44100 Hz.
  virtual bool Sound(const int16_t* samples, size_t count) = 0;
  /// Completes the output and gives it its final name.
  virtual bool Finish() = 0;
  /// Removes whatever was written; safe to call at any time, more than once.
  virtual void Abandon() = 0;
  /// Why the last call failed.
  virtual std::string Error() const = 0;
};

/// What the capture runs. The sink is made by makeSink when the first frame arrives, so that
/// nothing the capture allocates for it comes before the show's own start-up allocations:
/// scene 2's panel shows an address, and the same show must give the same picture whatever
/// the output's name. soundLog (a descriptor, -1 for none) receives every block the callback
/// wrote, as raw signed 16-bit little-endian samples.
struct CAPTURESETTINGS {
  KEYSCRIPT script;      ///< the keys to press (none: the whole show)
  long frameLimit = -1;  ///< > 0: stop after this many frames
  std::unique_ptr<CAPTURESINK> (*makeSink)() = nullptr;  ///< makes the output, once
  int soundLog = -1;     ///< descriptor for the callback's raw blocks, or -1
  bool progress = false;  ///< a progress line on standard error
};

/// The capture's display hooks (the program sets SDLDPYBackend to &CAPTUREBackend).
extern const SDLDPYBACKEND CAPTUREBackend;

/// Sets up the run; call once, before the demo starts. Takes over SIGINT and SIGTERM (an
/// interrupt ends the capture at the next frame) and ignores SIGPIPE (a sink sees the error).
void CAPTUREConfigure(CAPTURESETTINGS settings);
/// After the demo has shut down: completes the output. Returns the exit status: 0 when the
/// output is complete; otherwise it has reported and abandoned the output.
int CAPTUREFinish();
/// Whether an interrupt (SIGINT, SIGTERM) has arrived: a sink waiting on its output stops.
bool CAPTUREInterrupted();
/// Frames written so far.
long CAPTUREFrames();

// backend.cpp - the capture program's backend: frames and sound of the show on the virtual
// clock, handed to a sink; see backend.h.
//
// Single-threaded by design: the sound callback runs on the main thread, inside the present
// that needs its samples, so the audio lock has nothing to guard and every run is the same.
#include "capture/backend.h"

#include <SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

#include "platform/vclock.h"

namespace {

constexpr int32_t kFadeSteps = 32;  // every fade of the show, the closing one included

// What the dry run tells the capture: the present after which the capture presses the quit
// key (-1: none, the show quits by itself or the frame limit comes first) and how many frames
// the capture takes in all.
struct Answer {
  long quitAfter;
  long total;
};

enum class Role { kRecord, kDry };

CAPTURESETTINGS settings;
std::unique_ptr<CAPTURESINK> sink;
Role role = Role::kRecord;
volatile sig_atomic_t interrupted = 0;

// ---- The show as seen from the display: presents, ticks between them, fades ---------------
struct Watch {
  long presents = 0;          // presents so far
  uint32_t lastReadings = 0;  // the clock's readings at the previous present
  bool lastFade = false;
  long groups = 0;            // runs of fade steps begun so far
  bool fade = false;          // the present being looked at is a fade step
  bool groupStart = false;    // ... and the first of its run
  // Scene of the latest run of fade steps: 0 to 3 for scenes 1 to 4 (each opens with a fade).
  long Scene() const { return (groups - 1) % 4; }
};
Watch watch;

// A present with no clock reading since the one before is a fade step: the fades present
// without ticking the frame timer. The very first present (no reading yet) is one as well.
void Look(long present) {
  const uint32_t readings = VCLOCKReadings();
  watch.fade = present == 0 || readings == watch.lastReadings;
  watch.groupStart = watch.fade && !watch.lastFade;
  if (watch.groupStart) ++watch.groups;
  watch.lastFade = watch.fade;
  watch.lastReadings = readings;
}

// Whether no scripted press comes after `present`.
bool ScriptDoneBy(long present) {
  return settings.script.presses.empty() || settings.script.presses.back().present <= present;
}

// ---- The sound device, answered here -------------------------------------------------------
struct Device {
  bool open = false;
  bool paused = true;
  void (*callback)(void*, Uint8*, int) = nullptr;
  void* userdata = nullptr;
  int32_t blockSamples = CAPTUREBlockSamples;
  bool refused = false;  // the program asked for a format this capture cannot record
};
Device device;
std::vector<uint8_t> block;     // the device's buffer: little-endian 16-bit words
std::vector<int16_t> pending;  // its samples, produced, not yet handed to a frame
size_t pendingStart = 0;

// One buffer as the device would ask for it: silence, then the callback when playing.
bool RunDevice() {
  block.assign(2 * static_cast<size_t>(device.blockSamples), 0);
  if (device.open && !device.paused && device.callback)
    device.callback(device.userdata, block.data(), static_cast<int>(block.size()));
  if (role == Role::kRecord && settings.soundLog >= 0) {
    const char* bytes = reinterpret_cast<const char*>(block.data());
    size_t size = block.size();
    while (size > 0) {
      const ssize_t n = write(settings.soundLog, bytes, size);
      if (n < 0 && errno == EINTR && !interrupted) continue;
      if (n <= 0) return false;
      bytes += n;
      size -= static_cast<size_t>(n);
    }
  }
  // Read as the words they are on every machine, not in the machine's own byte order.
  for (size_t i = 0; i < block.size(); i += 2)
    pending.push_back(static_cast<int16_t>(block[i] | block[i + 1] << 8));
  return true;
}

// The samples of one frame, pulled from the device as it needs refilling. Null when the
// sound log could not be written.
const int16_t* FrameSound() {
  while (pending.size() - pendingStart < static_cast<size_t>(CAPTURESamplesPerFrame)) {
    if (pendingStart > 0) {  // keep the buffer short: drop what earlier frames took
      pending.erase(pending.begin(), pending.begin() + static_cast<long>(pendingStart));
      pendingStart = 0;
    }
    if (!RunDevice()) return nullptr;
  }
  const int16_t* samples = pending.data() + pendingStart;
  pendingStart += CAPTURESamplesPerFrame;
  return samples;
}

// ---- Ending -------------------------------------------------------------------------------
pid_t dryPid = -1;
int answerFd = -1;
bool answered = false;
Answer answer = {-1, -1};
bool sinkOpen = false;
bool finished = false;

void ReapDryRun(bool stop) {
  if (dryPid <= 0) return;
  if (stop) kill(dryPid, SIGKILL);
  int status;
  while (waitpid(dryPid, &status, 0) < 0 && errno == EINTR) {
  }
  dryPid = -1;
  if (answerFd >= 0) close(answerFd);
  answerFd = -1;
}

void EndProgressLine() {
  if (settings.progress) std::fputc('\n', stderr);
  settings.progress = false;
}

[[noreturn]] void Fail(std::string what, int status) {
  if (role == Role::kDry) _exit(status);  // the capture itself reports
  if (interrupted) {  // whatever an interrupted write or wait reported, the cause is this
    what = "interrupted; nothing was kept";
    status = CAPTUREStatusInterrupted;
  }
  EndProgressLine();
  std::fprintf(stderr, "kestrel8-capture: %s\n", what.c_str());
  if (sink) sink->Abandon();
  ReapDryRun(true);
  finished = true;
  std::exit(status);
}

void FailSink(const char* doing) {
  Fail(std::string(doing) + ": " + sink->Error() + "; nothing was kept",
       CAPTUREStatusFailed);
}

// Ends at exit too: the demo stops a failed start-up with exit(2), and what was written
// then must not stay behind.
void AbandonAtExit() {
  if (finished || role == Role::kDry) return;
  EndProgressLine();
  if (sink) sink->Abandon();
  ReapDryRun(true);
}

void OnStopSignal(int) { interrupted = 1; }

void TakeSignals() {
  struct sigaction stop = {};
  stop.sa_handler = OnStopSignal;
  sigemptyset(&stop.sa_mask);
  stop.sa_flags = 0;  // a wait on the output or the dry run ends, so the interrupt is seen
  for (int sig : {SIGINT, SIGTERM}) {
    struct sigaction current;
    // A signal the caller set to be ignored stays ignored, as the demo itself keeps it.
    if (sigaction(sig, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
      sigaction(sig, &stop, nullptr);
  }
  signal(SIGPIPE, SIG_IGN);
}

// ---- The dry run --------------------------------------------------------------------------
void Tell(const Answer& told) {
  ssize_t written;
  do written = write(answerFd, &told, sizeof told);
  while (written < 0 && errno == EINTR);
  _exit(written == static_cast<ssize_t>(sizeof told) ? 0 : CAPTUREStatusFailed);
}

// The dry run's view of present `present` (already looked at): the end of the ring is the
// present before a run of fade steps that opens scene 1 again, once the run has shown to be
// a scene's opening (a frame with a tick follows it) rather than the closing fade.
long candidate = -1;
void DryPresent(long present) {
  if (candidate >= 0 && !watch.fade) Tell({candidate, candidate + 1 + kFadeSteps});
  if (watch.groupStart && watch.groups > 1 && watch.Scene() == 0 && ScriptDoneBy(present - 1))
    candidate = present - 1;
  if (settings.frameLimit > 0 && present + 1 >= settings.frameLimit)
    Tell({-1, settings.frameLimit});
}

void StartDryRun() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0)
    Fail(std::string("cannot start the dry run: ") + std::strerror(errno), CAPTUREStatusFailed);
  const pid_t pid = fork();
  if (pid < 0)
    Fail(std::string("cannot start the dry run: ") + std::strerror(errno), CAPTUREStatusFailed);
  if (pid == 0) {
    role = Role::kDry;
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the capture
    close(fds[0]);
    answerFd = fds[1];
    return;
  }
  close(fds[1]);
  dryPid = pid;
  answerFd = fds[0];
}

// Reads the dry run's answer: waiting for it when `wait`, else only when it is already there.
void ReadAnswer(bool wait) {
  if (answered || answerFd < 0) return;
  if (!wait) {
    pollfd ready = {answerFd, POLLIN, 0};
    if (poll(&ready, 1, 0) <= 0) return;
  }
  Answer told;
  ssize_t got;
  do got = read(answerFd, &told, sizeof told);
  while (got < 0 && errno == EINTR && !interrupted);
  if (interrupted) Fail("interrupted; nothing was kept", CAPTUREStatusInterrupted);
  if (got != static_cast<ssize_t>(sizeof told))
    Fail("the dry run that finds the end of the show failed", CAPTUREStatusFailed);
  answer = told;
  answered = true;
  ReapDryRun(false);
}

// ---- Progress -----------------------------------------------------------------------------
double Seconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
double startTime = 0;
double shownTime = 0;

void ShowProgress(long frames, bool last) {
  if (!settings.progress) return;
  const double now = Seconds();
  if (!last && now - shownTime < 0.25) return;
  shownTime = now;
  const double wall = now - startTime;
  const double show = static_cast<double>(frames) / CAPTUREFramesPerSecond;
  char total[32] = "?";
  if (answered) std::snprintf(total, sizeof total, "%ld", answer.total);
  std::fprintf(stderr, "\rkestrel8-capture: frame %ld of %s, %.1f x real time   ", frames, total,
               wall > 0 ? show / wall : 0.0);
  std::fflush(stderr);
}

// ---- The hooks ----------------------------------------------------------------------------
long written = 0;
bool stopping = false;  // the frame limit is reached: the rest of the show is not taken

void Opened() {
  VCLOCKStart();
  watch = Watch{};
  TakeSignals();  // after the demo's own start-up handlers: an interrupt ends the capture cleanly
  std::atexit(AbandonAtExit);
  startTime = shownTime = Seconds();
  StartDryRun();
}

void RecordFrame(const IMG& image) {
  if (!sinkOpen) {
    sink = settings.makeSink();
    if (!sink->Open(image.width, image.height)) FailSink("cannot start the output");
    sinkOpen = true;
  }
  if (!sink->Frame(image)) FailSink("cannot write a frame");
  const int16_t* sound = FrameSound();
  if (!sound) Fail("cannot write the sound log", CAPTUREStatusFailed);
  if (!sink->Sound(sound, CAPTURESamplesPerFrame)) FailSink("cannot write the sound");
  ++written;
}

void Presented(SDL_Surface*, const IMG* image) {
  const long present = watch.presents++;
  Look(present);
  if (interrupted) Fail("interrupted; nothing was kept", CAPTUREStatusInterrupted);
  if (role == Role::kDry) {
    FrameSound();  // the callback runs as in the capture, so the show runs alike
    KEYSCRIPTPush(&settings.script, present);
    DryPresent(present);
    return;
  }
  if (stopping) return;
  if (!image || !image->pixels) Fail("a frame without pixels was presented", CAPTUREStatusFailed);
  RecordFrame(*image);
  ReadAnswer(false);
  ShowProgress(written, false);
  if (settings.frameLimit > 0 && written >= settings.frameLimit) {
    stopping = true;
    KEYSCRIPTPushKey(SDLK_ESCAPE);  // the program ends; its remaining frames are not taken
    return;
  }
  KEYSCRIPTPush(&settings.script, present);
  // The only frames that can end the ring: scene 4's, with no scripted press after them.
  if (!watch.fade && watch.Scene() == 3 && ScriptDoneBy(present)) {
    ReadAnswer(true);
    if (answer.quitAfter == present) KEYSCRIPTPushKey(SDLK_q);
  }
}

void Closing() {
  if (role == Role::kDry) Tell({-1, watch.presents});
}

}  // namespace

extern const SDLDPYBACKEND CAPTUREBackend = {Opened, Presented, Closing};

void CAPTUREConfigure(CAPTURESETTINGS given) { settings = std::move(given); }

long CAPTUREFrames() { return written; }

bool CAPTUREInterrupted() { return interrupted != 0; }

int CAPTUREFinish() {
  ShowProgress(written, true);
  EndProgressLine();
  if (device.refused)
    Fail("the program asked for a sound format the capture cannot record", CAPTUREStatusFailed);
  ReadAnswer(true);
  if (written == 0) Fail("the program presented no frame", CAPTUREStatusFailed);
  if (answer.total != written)
    Fail("the show took " + std::to_string(written) + " frames where its dry run took " +
             std::to_string(answer.total) + "; nothing was kept",
         CAPTUREStatusFailed);
  if (!sink->Finish()) FailSink("cannot complete the output");
  finished = true;
  return 0;
}

// ---- SDL's audio calls, answered without a device ------------------------------------------
extern "C" {

int SDL_OpenAudio(SDL_AudioSpec* desired, SDL_AudioSpec* obtained) {
  if (!desired || !desired->callback) {
    SDL_SetError("no audio callback");
    return -1;
  }
  if (device.open) {
    SDL_SetError("audio device already open");
    return -1;
  }
  if (desired->freq != CAPTURERate || desired->format != AUDIO_S16LSB || desired->channels != 1) {
    device.refused = true;
    SDL_SetError("the capture records 44100 Hz mono signed 16-bit sound only");
    return -1;
  }
  device = Device{};
  device.open = true;
  device.callback = desired->callback;
  device.userdata = desired->userdata;
  if (desired->samples > 0) device.blockSamples = desired->samples;
  desired->silence = 0;
  desired->size = static_cast<Uint32>(device.blockSamples) * sizeof(int16_t);
  if (obtained) *obtained = *desired;
  return 0;
}

void SDL_PauseAudio(int pauseOn) { device.paused = pauseOn != 0; }

SDL_audiostatus SDL_GetAudioStatus(void) {
  if (!device.open) return SDL_AUDIO_STOPPED;
  return device.paused ? SDL_AUDIO_PAUSED : SDL_AUDIO_PLAYING;
}

// The callback runs on the main thread between frames: there is nothing to lock against.
void SDL_LockAudio(void) {}
void SDL_UnlockAudio(void) {}

void SDL_CloseAudio(void) {
  const bool refused = device.refused;
  device = Device{};
  device.refused = refused;
}

}  // extern "C"

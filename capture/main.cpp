// kestrel8-capture: the show rendered to a video file on the virtual clock, frame-exact and
// sample-exact, faster than it plays. The demo's own start-up, ring and shutdown run
// unchanged; the capture backend (backend.h) takes every present and the sound.
#include <dirent.h>
#include <fcntl.h>
#include <sys/personality.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <linux/limits.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "capture/sink.h"
#include "demo/demo.h"
#include "capture/backend.h"
#include "platform/sdldpybackend.h"

namespace {

constexpr int kStatusUsage = 2;
constexpr int kDefaultScale = 4;
constexpr int kMaxScale = 16;

void Usage(FILE* out) {
  std::fputs(
      "Usage: kestrel8-capture [OPTION...] OUTPUT\n"
      "Records the KESTREL8 show, frame by frame and sample by sample, without a window or a\n"
      "sound device: each present is one 20 ms frame (50 per second), the fades' steps too, and\n"
      "the sound is the stream the program plays (44100 Hz mono).\n"
      "\n"
      "Photosensitivity warning: the show has fast flashing and moving patterns that may\n"
      "trigger seizures in people with photosensitive epilepsy. Where you share a video of it,\n"
      "say so beside the video, before anyone starts it.\n"
      "\n"
      "OUTPUT is chosen by its ending:\n"
      "  NAME.mkv  the master: the 256 x 256 frames and the sound exactly (H.264 RGB\n"
      "            at quantizer 0, FLAC)\n"
      "  NAME.mp4  for sharing: pixels scaled up by --scale (nearest neighbour), H.264 yuv420p,\n"
      "            AAC at 48 kHz, index at the front\n"
      "  DIR/      a folder of numbered PPM frames and sound.wav (needs no ffmpeg); it must not\n"
      "            exist or be empty\n"
      "Videos are written by Debian's ffmpeg (tools/setup.sh --capture installs it).\n"
      "\n"
      "Options:\n"
      "  --keys TEXT       key presses \"N:KEY ...\": KEY goes down right after present N (counted\n"
      "                    from 0, fade steps included); KEY is one character, space or escape\n"
      "  --script FILE     the same from a file; '#' starts a comment (tests/web/frames.keys)\n"
      "  --frames N        stop after N frames\n"
      "  --scale N         .mp4 only: a whole even factor from 2 to 16 (default 4: 1024 x 1024)\n"
      "  --sound-log FILE  also write every block the audio callback filled, raw signed 16-bit\n"
      "                    little-endian (for checking the recorded sound)\n"
      "  --help            this text\n"
      "\n"
      "Without keys the whole show is recorded: one ring of the four scenes, ending in scene 4's\n"
      "last frame and the closing fade. With keys it ends at the program's own quit, or else in\n"
      "the last frame of the first scene 4 that ends after the last key. A progress line is shown\n"
      "on a terminal. Exit status: 0 done, 1 failed, 2 bad arguments, 130 interrupted; an\n"
      "unfinished capture leaves no output behind.\n",
      out);
}

[[noreturn]] void Refuse(const std::string& why) {
  std::fprintf(stderr, "kestrel8-capture: %s (see --help)\n", why.c_str());
  std::exit(kStatusUsage);
}

long WholeNumber(const char* option, const char* text, long low, long high) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (!*text || *text < '0' || *text > '9' || *end || errno == ERANGE || value < low ||
      value > high)
    Refuse(std::string(option) + " wants a whole number from " + std::to_string(low) + " to " +
           std::to_string(high) + ", not \"" + text + "\"");
  return value;
}

bool EndsWith(const char* text, const char* end) {
  const size_t n = std::strlen(text), m = std::strlen(end);
  return n > m && std::strcmp(text + n - m, end) == 0;
}

bool IsDirectory(const char* path) {
  struct stat s;
  return stat(path, &s) == 0 && S_ISDIR(s.st_mode);
}

// The folder holding `path` (without trailing slashes), in `parent`.
void ParentOf(const char* path, char (&parent)[PATH_MAX]) {
  size_t n = std::strlen(path);
  while (n > 1 && path[n - 1] == '/') --n;
  while (n > 0 && path[n - 1] != '/') --n;
  while (n > 1 && path[n - 1] == '/') --n;
  if (n == 0) {
    std::strcpy(parent, ".");
  } else {
    std::snprintf(parent, sizeof parent, "%.*s", static_cast<int>(n), path);
  }
}

bool IsEmptyDirectory(const char* path) {
  DIR* dir = opendir(path);
  if (!dir) return false;
  bool empty = true;
  while (const dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      empty = false;
      break;
    }
  }
  closedir(dir);
  return empty;
}

// The ffmpeg on PATH into `found`; false when there is none.
bool FindFfmpeg(char (&found)[PATH_MAX]) {
  const char* path = std::getenv("PATH");
  if (!path) path = "/usr/bin:/bin";
  for (const char* dir = path;; ++dir) {
    const size_t length = std::strcspn(dir, ":");
    std::snprintf(found, sizeof found, "%.*s/ffmpeg", static_cast<int>(length ? length : 1),
                  length ? dir : ".");
    if (access(found, X_OK) == 0 && !IsDirectory(found)) return true;
    dir += length;
    if (!*dir) return false;
  }
}

// The panel of scene 2 shows the screen image's address. Without address randomisation the
// same show gives the same address, so two captures of it are the same file; the program
// starts itself once more that way when it can (and runs as it is when it cannot).
void FixAddresses(char** argv) {
  const int persona = personality(0xffffffff);
  if (persona < 0 || (persona & ADDR_NO_RANDOMIZE)) return;
  if (personality(static_cast<unsigned long>(persona) | ADDR_NO_RANDOMIZE) < 0) return;
  execv("/proc/self/exe", argv);
  personality(static_cast<unsigned long>(persona));  // no re-run: carry on as started
}

// The output chosen on the command line. Kept in plain storage and turned into a sink only
// at the first frame (see CAPTURESETTINGS): the heap before the show starts is the same
// whatever the names are.
enum class Form { kFolder, kMaster, kShare };
struct Output {
  const char* path = nullptr;
  Form form = Form::kFolder;
  int scale = kDefaultScale;
  char ffmpeg[PATH_MAX] = "";
};
Output output;

std::unique_ptr<CAPTURESINK> MakeSink() {
  if (output.form == Form::kFolder) return NewFolderSink(output.path);
  return NewVideoSink(output.ffmpeg, output.path,
                      output.form == Form::kMaster ? VideoKind::kMaster : VideoKind::kShare,
                      output.scale);
}

struct Options {
  CAPTURESETTINGS settings;
  const char* soundLog = nullptr;
  int scale = 0;
};

Options ReadOptions(int argc, char** argv) {
  Options o;
  bool keysGiven = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    auto is = [arg](const char* name) { return std::strcmp(arg, name) == 0; };
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) Refuse(std::string(arg) + " needs a value");
      return argv[++i];
    };
    if (is("--help") || is("-h")) {
      Usage(stdout);
      std::exit(0);
    } else if (is("--keys") || is("--script")) {
      if (keysGiven) Refuse("give the keys once, with --keys or --script");
      keysGiven = true;
      const bool file = is("--script");
      const char* text = value();
      std::string why;
      const bool read = file ? KEYSCRIPTReadFile(text, &o.settings.script, &why)
                             : KEYSCRIPTParse(text, &o.settings.script, &why);
      if (!read) Refuse("cannot read the keys: " + why);
    } else if (is("--frames")) {
      o.settings.frameLimit = WholeNumber("--frames", value(), 1, LONG_MAX / 2);
    } else if (is("--scale")) {
      o.scale = static_cast<int>(WholeNumber("--scale", value(), 2, kMaxScale));
      if (o.scale % 2) Refuse("--scale must be even, so that 4:2:0 colour loses nothing");
    } else if (is("--sound-log")) {
      o.soundLog = value();
    } else if (arg[0] == '-' && arg[1]) {
      Refuse(std::string("unknown option ") + arg);
    } else if (!output.path) {
      output.path = arg;
    } else {
      Refuse(std::string("one OUTPUT only, not also ") + arg);
    }
  }
  if (!output.path || !*output.path) Refuse("no OUTPUT given");
  return o;
}

// Checks the output before anything runs, so that a mistake costs no time.
void ChooseOutput(const Options& o) {
  const char* out = output.path;
  const bool folder = out[std::strlen(out) - 1] == '/' || IsDirectory(out);
  const bool master = EndsWith(out, ".mkv"), share = EndsWith(out, ".mp4");
  if (!folder && !master && !share)
    Refuse(std::string("OUTPUT must end in .mkv, .mp4 or / (a folder), not \"") + out + "\"");
  if (o.scale && !(share && !folder)) Refuse("--scale is for .mp4 output only");
  char parent[PATH_MAX];
  ParentOf(out, parent);
  if (!IsDirectory(parent)) Refuse(std::string("cannot write into ") + parent + ": no such folder");
  if (access(parent, W_OK) != 0)
    Refuse(std::string("cannot write into ") + parent + ": " + std::strerror(errno));
  if (folder) {
    if (IsDirectory(out) && !IsEmptyDirectory(out))
      Refuse(std::string(out) + " exists and is not empty");
    output.form = Form::kFolder;
    return;
  }
  output.form = master ? Form::kMaster : Form::kShare;
  if (o.scale) output.scale = o.scale;
  if (!FindFfmpeg(output.ffmpeg)) {
    std::fprintf(stderr,
                 "kestrel8-capture: ffmpeg is not installed, so no video can be written: install "
                 "Debian's ffmpeg (tools/setup.sh --capture), or write a folder (OUTPUT ending "
                 "in /)\n");
    std::exit(CAPTUREStatusFailed);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options = ReadOptions(argc, argv);
  ChooseOutput(options);
  int soundLog = -1;
  if (options.soundLog) {
    soundLog = open(options.soundLog, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (soundLog < 0)
      Refuse(std::string("cannot write ") + options.soundLog + ": " + std::strerror(errno));
  }
  FixAddresses(argv);
  // No window and no sound device, whatever the environment says.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  options.settings.makeSink = MakeSink;
  options.settings.soundLog = soundLog;
  options.settings.progress = isatty(STDERR_FILENO);
  CAPTUREConfigure(std::move(options.settings));
  SDLDPYBackend = &CAPTUREBackend;
  DemoStartUp();
  DemoSceneRing();
  DemoShutDown();
  const int status = CAPTUREFinish();
  if (soundLog >= 0 && close(soundLog) != 0) {
    std::fprintf(stderr, "kestrel8-capture: cannot write %s: %s\n", options.soundLog,
                 std::strerror(errno));
    return CAPTUREStatusFailed;
  }
  return status;
}

// kestrel8-capture: the show rendered to a video file on the virtual clock, frame-exact and
// sample-exact, faster than it plays. The demo's own start-up, ring and shutdown run
// unchanged; the capture backend (platform/capture.h) takes every present and the sound.
#include <dirent.h>
#include <sys/personality.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "capture/sink.h"
#include "demo/demo.h"
#include "platform/capture.h"
#include "platform/sdldpybackend.h"

extern const SDLDPYBACKEND* const SDLDPYBackend = &CAPTUREBackend;

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

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

std::string ParentOf(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : trimmed.substr(0, slash);
}

bool IsEmptyDirectory(const std::string& path) {
  DIR* dir = opendir(path.c_str());
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

// The ffmpeg on PATH, or "" when there is none.
std::string FindFfmpeg() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : std::string(".");
    const std::string candidate = dir + "/ffmpeg";
    if (access(candidate.c_str(), X_OK) == 0 && !IsDirectory(candidate)) return candidate;
    start = end + 1;
  }
  return "";
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

struct Options {
  CAPTURESETTINGS settings;
  std::string output;
  std::string soundLog;
  int scale = 0;
};

Options ReadOptions(int argc, char** argv) {
  Options o;
  bool keysGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char* option) -> const char* {
      if (i + 1 >= argc) Refuse(std::string(option) + " needs a value");
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      std::exit(0);
    } else if (arg == "--keys" || arg == "--script") {
      if (keysGiven) Refuse("give the keys once, with --keys or --script");
      keysGiven = true;
      const char* text = value(arg.c_str());
      std::string why;
      const bool read = arg == "--keys" ? KEYSCRIPTParse(text, &o.settings.script, &why)
                                        : KEYSCRIPTReadFile(text, &o.settings.script, &why);
      if (!read) Refuse("cannot read the keys: " + why);
    } else if (arg == "--frames") {
      o.settings.frameLimit = WholeNumber("--frames", value("--frames"), 1, LONG_MAX / 2);
    } else if (arg == "--scale") {
      o.scale = static_cast<int>(WholeNumber("--scale", value("--scale"), 2, kMaxScale));
      if (o.scale % 2) Refuse("--scale must be even, so that 4:2:0 colour loses nothing");
    } else if (arg == "--sound-log") {
      o.soundLog = value("--sound-log");
    } else if (arg.size() > 1 && arg[0] == '-') {
      Refuse("unknown option " + arg);
    } else if (o.output.empty()) {
      o.output = arg;
    } else {
      Refuse("one OUTPUT only, not also " + arg);
    }
  }
  if (o.output.empty()) Refuse("no OUTPUT given");
  return o;
}

std::unique_ptr<CAPTURESINK> MakeSink(const Options& o) {
  const std::string& out = o.output;
  const bool folder = out.back() == '/' || IsDirectory(out);
  const bool master = EndsWith(out, ".mkv"), share = EndsWith(out, ".mp4");
  if (!folder && !master && !share)
    Refuse("OUTPUT must end in .mkv, .mp4 or / (a folder), not \"" + out + "\"");
  if (o.scale && !share) Refuse("--scale is for .mp4 output only");
  const std::string parent = ParentOf(out);
  if (!IsDirectory(parent) || access(parent.c_str(), W_OK) != 0)
    Refuse("cannot write into " + parent + ": " +
           (IsDirectory(parent) ? std::strerror(EACCES) : "no such folder"));
  if (folder) {
    if (IsDirectory(out) && !IsEmptyDirectory(out))
      Refuse(out + " exists and is not empty");
    return NewFolderSink(out);
  }
  if (IsDirectory(out)) Refuse(out + " is a folder");
  const std::string ffmpeg = FindFfmpeg();
  if (ffmpeg.empty()) {
    std::fprintf(stderr,
                 "kestrel8-capture: ffmpeg is not installed, so no video can be written: install "
                 "Debian's ffmpeg (tools/setup.sh --capture), or write a folder (OUTPUT ending "
                 "in /)\n");
    std::exit(CAPTUREStatusFailed);
  }
  return NewVideoSink(ffmpeg, out, master ? VideoKind::kMaster : VideoKind::kShare,
                      o.scale ? o.scale : kDefaultScale);
}

}  // namespace

int main(int argc, char** argv) {
  Options options = ReadOptions(argc, argv);
  std::unique_ptr<CAPTURESINK> sink = MakeSink(options);
  FILE* soundLog = nullptr;
  if (!options.soundLog.empty()) {
    soundLog = std::fopen(options.soundLog.c_str(), "wb");
    if (!soundLog)
      Refuse("cannot write " + options.soundLog + ": " + std::strerror(errno));
  }
  FixAddresses(argv);
  // No window and no sound device, whatever the environment says.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  options.settings.sink = sink.get();
  options.settings.soundLog = soundLog;
  options.settings.progress = isatty(STDERR_FILENO);
  CAPTUREConfigure(std::move(options.settings));
  DemoStartUp();
  DemoSceneRing();
  DemoShutDown();
  const int status = CAPTUREFinish();
  if (soundLog && std::fclose(soundLog) != 0) {
    std::fprintf(stderr, "kestrel8-capture: cannot write %s: %s\n", options.soundLog.c_str(),
                 std::strerror(errno));
    return CAPTUREStatusFailed;
  }
  return status;
}

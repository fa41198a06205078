// flashcheck FOLDER: measures a capture's frames for flashing by the WCAG 2.x rules for general
// and red flashes (tools/flash.h), and prints per scene the seconds over the limit. The frames
// are the numbered PPM pictures that kestrel8-capture writes into a folder, read with the
// image module's own reader.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/img.h"
#include "tools/flash.h"

namespace {

constexpr int kStatusFailed = 1;
constexpr int kStatusUsage = 2;

void Usage(FILE* out) {
  std::fputs(
      "Usage: flashcheck [OPTION...] FOLDER\n"
      "Measures the frames of a capture for flashing by the WCAG 2.x rules for general and\n"
      "red flashes, and prints per scene the seconds over the limit: more than 3 flashes in\n"
      "one second over more than a quarter of some 10-degree field of view.\n"
      "\n"
      "FOLDER holds frame000000.ppm, frame000001.ppm, ... at 50 frames a second, as\n"
      "kestrel8-capture writes them (its OUTPUT ending in /); they are read in order up to the\n"
      "first number missing, and sound.wav beside them is left alone.\n"
      "\n"
      "How it measures: each frame is cut into blocks (--block), and a block's state is the\n"
      "mean of its pixels' linear colour (sRGB decoded). A general transition is a change of\n"
      "relative luminance by 0.1 or more where the darker state is below 0.8; a red one a\n"
      "change of (R - G - 0.05) x 320 by more than 20 to or from a saturated red\n"
      "(R / (R + G + B) >= 0.8). Both are measured from the extreme since the last transition,\n"
      "and a flash is a pair of opposing transitions. A second is over the limit when, at some\n"
      "frame in it, the blocks with more than 3 flashes in the second up to that frame cover\n"
      "more than a quarter of a field. The field is WCAG's: a third of the screen's width by a\n"
      "third of its height (341 x 256 of 1024 x 768), on the screen below.\n"
      "\n"
      "Scenes are found by the program's fades to black (32 frames, each the one before with\n"
      "red, green and blue lowered by 8), and numbered 1, 2, 3, 4, 1, ... after them; their\n"
      "seconds count from 1 at their first frame, the fades belong to no scene. A key that\n"
      "skips or quits a scene still ends it with a fade, so keyed captures split alike.\n"
      "\n"
      "Options:\n"
      "  --screen WxH  the screen the picture is seen on (default 1920x1080)\n"
      "  --height N    the picture's height on it, in screen pixels (default 1024: the\n"
      "                capture's .mp4, 256 x 256 scaled 4 times)\n"
      "  --block N     side of a block, in screen pixels (default 16: 4 x 4 picture pixels at\n"
      "                the default height); at least one picture pixel\n"
      "  --help        this text\n"
      "\n"
      "Exit status: 0 measured (whatever it found), 1 the frames could not be read, 2 bad\n"
      "arguments.\n",
      out);
}

[[noreturn]] void Refuse(const std::string& why) {
  std::fprintf(stderr, "flashcheck: %s (see --help)\n", why.c_str());
  std::exit(kStatusUsage);
}

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "flashcheck: %s\n", why.c_str());
  std::exit(kStatusFailed);
}

int32_t WholeNumber(const char* option, const char* text, long low, long high) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*text < '0' || *text > '9' || *end || errno == ERANGE || value < low || value > high)
    Refuse(std::string(option) + " wants a whole number from " + std::to_string(low) + " to " +
           std::to_string(high) + ", not \"" + text + "\"");
  return static_cast<int32_t>(value);
}

void ReadScreen(const char* text, FLASHVIEW* view) {
  const char* x = std::strchr(text, 'x');
  if (!x) Refuse(std::string("--screen wants WIDTHxHEIGHT, not \"") + text + "\"");
  const std::string width(text, x);
  view->screenWidth = WholeNumber("--screen", width.c_str(), 1, 65535);
  view->screenHeight = WholeNumber("--screen", x + 1, 1, 65535);
}

std::string FramePath(const std::string& folder, long n) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame%06ld.ppm", n);
  return folder + name;
}

// "3-5, 9" for the seconds 2, 3, 4 and 8 (counted from 0): counted from 1, runs joined.
std::string Seconds(const std::vector<int32_t>& seconds) {
  std::string text;
  for (size_t i = 0; i < seconds.size();) {
    size_t j = i;
    while (j + 1 < seconds.size() && seconds[j + 1] == seconds[j] + 1) ++j;
    if (!text.empty()) text += ", ";
    text += std::to_string(seconds[i] + 1);
    if (j > i) {
      text += '-';
      text += std::to_string(seconds[j] + 1);
    }
    i = j + 1;
  }
  return text;
}

void PrintPart(const char* name, const FLASHPART& part) {
  std::printf("%s, frames %lld to %lld (%d s):\n", name, static_cast<long long>(part.first),
              static_cast<long long>(part.first + part.frames - 1), part.seconds);
  std::printf("  general flashes over the limit in %zu of %d seconds%s%s%s\n", part.general.size(),
              part.seconds, part.general.empty() ? "" : " (", Seconds(part.general).c_str(),
              part.general.empty() ? "" : ")");
  std::printf("  red flashes over the limit in %zu of %d seconds%s%s%s\n", part.red.size(),
              part.seconds, part.red.empty() ? "" : " (", Seconds(part.red).c_str(),
              part.red.empty() ? "" : ")");
  std::printf("  at most %d general and %d red flashes in one second in one block\n",
              part.mostGeneral, part.mostRed);
}

// Reads the frames of `folder` in order into a new *meter; what went wrong, or "".
std::string Measure(const std::string& folder, const FLASHVIEW& view, FLASHMETER** meter,
                    int32_t* width, int32_t* height, long* frames) {
  for (*frames = 0;; ++*frames) {
    const std::string name = FramePath(folder, *frames);
    if (*frames > 0 && access(name.c_str(), F_OK) != 0) return "";
    if (access(name.c_str(), R_OK) != 0) return "cannot read " + name + ": " + std::strerror(errno);
    IMG* frame = IMGReadPNM(name.c_str());
    if (!frame) return "cannot read " + name + ": not a PNM picture, or cut short";
    if (!*meter) {
      *width = frame->width;
      *height = frame->height;
      *meter = FLASHMeterNew(*width, *height, view);
    }
    const bool added = FLASHMeterAdd(*meter, *frame);
    const std::string size = std::to_string(frame->width) + " x " + std::to_string(frame->height);
    IMGFree(&frame);
    if (!added)
      return name + " is " + size + ", the frames before it " + std::to_string(*width) + " x " +
             std::to_string(*height);
  }
}

}  // namespace

int main(int argc, char** argv) {
  FLASHVIEW view;
  const char* folder = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    auto is = [arg](const char* name) { return std::strcmp(arg, name) == 0; };
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) Refuse(std::string(arg) + " needs a value");
      return argv[++i];
    };
    if (is("--help") || is("-h")) {
      Usage(stdout);
      return 0;
    } else if (is("--screen")) {
      ReadScreen(value(), &view);
    } else if (is("--height")) {
      view.pictureHeight = WholeNumber("--height", value(), 1, 65535);
    } else if (is("--block")) {
      view.block = WholeNumber("--block", value(), 1, 4096);
    } else if (arg[0] == '-' && arg[1]) {
      Refuse(std::string("unknown option ") + arg);
    } else if (!folder) {
      folder = arg;
    } else {
      Refuse(std::string("one FOLDER only, not also ") + arg);
    }
  }
  if (!folder || !*folder) Refuse("no FOLDER given");

  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat s;
  if (stat(path.c_str(), &s) != 0) Fail("cannot read " + path + ": " + std::strerror(errno));
  if (!S_ISDIR(s.st_mode))
    Fail(path + " is not a folder of frames (kestrel8-capture writes one for an OUTPUT ending "
                "in /)");
  if (access(FramePath(path, 0).c_str(), F_OK) != 0)
    Fail(path + " holds no frames (frame000000.ppm, frame000001.ppm, ...)");

  FLASHMETER* meter = nullptr;
  int32_t width = 0, height = 0;
  long frames = 0;
  const std::string trouble = Measure(path, view, &meter, &width, &height, &frames);
  if (!trouble.empty()) {
    FLASHMeterFree(&meter);
    Fail(trouble);
  }

  const FLASHREPORT report = FLASHMeterReport(meter);
  const double scale = static_cast<double>(view.pictureHeight) / height;
  std::printf("%s: %ld frames of %d x %d, %d seconds at %d a second\n", path.c_str(), frames,
              width, height, report.whole.seconds, view.rate);
  std::printf("Seen %d pixels tall on a %d x %d screen: a 10-degree field is %.0f x %.0f screen "
              "pixels,\n%.1f x %.1f of the picture's; blocks of %d x %d picture pixels.\n\n",
              view.pictureHeight, view.screenWidth, view.screenHeight, report.fieldWidth * scale,
              report.fieldHeight * scale, report.fieldWidth, report.fieldHeight, report.blockSide,
              report.blockSide);
  for (const FLASHPART& part : report.scenes) {
    const std::string name =
        part.scene ? "scene " + std::to_string(part.scene) : std::string("before the first fade");
    PrintPart(name.c_str(), part);
  }
  PrintPart("the whole capture", report.whole);
  FLASHMeterFree(&meter);
  return 0;
}

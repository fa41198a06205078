// caption - reads a PNM picture, scales it, turns it, writes a caption on it and saves a PPM.
//
// A small program over the installed KESTREL8 image library (IMG and FONT), written to be
// copied: it shows reading and writing PNM files, IMGScale into a sized destination,
// IMGRotate's angle unit and half-turn offset, and text with the built-in 8 x 8 font.
//
//   caption [--scale PERCENT] [--rotate DEGREES] [--text TEXT] INPUT OUTPUT.ppm
//
// Exit status: 0 when the picture was written, 1 when a file could not be read or written or
// memory ran out, 2 for a bad command line.
#include <kestrel8/image/font.h>
#include <kestrel8/image/img.h>
#include <kestrel8/version.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const kUsage =
    "usage: caption [--scale PERCENT] [--rotate DEGREES] [--text TEXT] INPUT OUTPUT.ppm\n";

void Help() {
  std::printf(
      "%s\n"
      "Reads INPUT (a PNM picture: P1 to P6), scales it, turns it about its centre, draws\n"
      "TEXT in its bottom-left corner with the built-in 8 x 8 font and writes OUTPUT as a\n"
      "binary PPM (P6).\n"
      "\n"
      "  -s, --scale PERCENT   new size as a percentage of the old, 1 to 1000 (default 100)\n"
      "  -r, --rotate DEGREES  turn counter-clockwise by DEGREES, -360 to 360 (default 0); a\n"
      "                        turned picture is about 1.414 times as large, corners black\n"
      "  -t, --text TEXT       caption, one line of printable ASCII (default none)\n"
      "  -h, --help            this text\n"
      "      --version         the program's and the library's version\n"
      "\n"
      "Exit status: 0 written, 1 a file could not be read or written, 2 bad arguments.\n"
      "KESTREL8 %s\n",
      kUsage, KESTREL8_VERSION);
}

// IMGFree reports a null handle as misuse; a picture that was never made needs no release.
void Release(IMG*& image) {
  if (image) IMGFree(&image);
}

int BadArguments(const char* what, const char* value = nullptr) {
  if (value)
    std::fprintf(stderr, "caption: %s: '%s'\n", what, value);
  else
    std::fprintf(stderr, "caption: %s\n", what);
  std::fputs(kUsage, stderr);
  std::fputs("Try 'caption --help' for more.\n", stderr);
  return 2;
}

// A whole decimal number within [low, high], or false.
bool ParseNumber(const char* text, long low, long high, long& value) {
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
  value = v;
  return true;
}

// IMGReadPNM reports "IMG error" on standard output and returns null for anything it cannot
// read; opening the file first lets the user see why (missing, no permission, ...).
IMG* ReadPicture(const char* path) {
  FILE* f = std::fopen(path, "rb");
  if (!f) {
    std::fprintf(stderr, "caption: cannot read %s: %s\n", path, std::strerror(errno));
    return nullptr;
  }
  std::fclose(f);
  IMG* image = IMGReadPNM(path);
  if (!image || !image->pixels || image->width <= 0 || image->height <= 0) {
    std::fprintf(stderr, "caption: %s is not a PNM picture (P1 to P6) or is damaged\n", path);
    Release(image);
    return nullptr;
  }
  return image;
}

// IMGScale fills the destination's current size, so the destination is sized first.
IMG* Scaled(const IMG* source, long percent) {
  const int64_t width = std::max<int64_t>(1, int64_t(source->width) * percent / 100);
  const int64_t height = std::max<int64_t>(1, int64_t(source->height) * percent / 100);
  if (width * height > (int64_t(1) << 26)) {  // 64 M pixels, 256 MB: surely a mistake
    std::fprintf(stderr, "caption: %lld x %lld is too large a picture\n",
                 static_cast<long long>(width), static_cast<long long>(height));
    return nullptr;
  }
  IMG* result = IMGNew();
  if (result) IMGResize(result, int32_t(width), int32_t(height));
  if (!result || !result->pixels || result->width != width) {
    std::fputs("caption: out of memory\n", stderr);
    Release(result);
    return nullptr;
  }
  IMGScale(source, result);
  return result;
}

// IMGRotate takes angles in 1/1024 of a turn and always adds half a turn, so an upright
// result asks for 512 less.
IMG* Turned(const IMG* source, long degrees) {
  const int32_t angle = int32_t(degrees * 1024 / 360) - 512;
  IMG* result = IMGRotate(source, angle);
  if (!result || !result->pixels) {
    std::fputs("caption: out of memory\n", stderr);
    Release(result);
  }
  return result;
}

// White 8 x 8 letters on a black band along the bottom edge; what does not fit is clipped.
bool DrawCaption(IMG* image, const std::string& text) {
  FONT* font = FONTNewBuiltIn();
  if (!font) {
    std::fputs("caption: out of memory\n", stderr);
    return false;
  }
  const int32_t y = image->height - font->glyphHeight - 2;
  const int64_t width = int64_t(text.size()) * font->glyphWidth + 4;
  IMGFillRect(image, 0, y - 2, int32_t(std::min<int64_t>(width, image->width)),
              font->glyphHeight + 4, 0x000000);
  FONTDrawString(font, text.c_str(), 2, y, image);
  FONTFree(&font);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  long percent = 100, degrees = 0;
  std::string text;
  const char* paths[2] = {nullptr, nullptr};
  int npaths = 0;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (options && (arg == "-h" || arg == "--help")) {
      Help();
      return 0;
    } else if (options && arg == "--version") {
      std::printf("caption (KESTREL8 %s)\n", KESTREL8_VERSION);
      return 0;
    } else if (options && (arg == "-s" || arg == "--scale")) {
      if (!hasValue) return BadArguments("--scale needs a percentage");
      if (!ParseNumber(argv[++i], 1, 1000, percent))
        return BadArguments("--scale must be a whole number from 1 to 1000", argv[i]);
    } else if (options && (arg == "-r" || arg == "--rotate")) {
      if (!hasValue) return BadArguments("--rotate needs an angle in degrees");
      if (!ParseNumber(argv[++i], -360, 360, degrees))
        return BadArguments("--rotate must be a whole number from -360 to 360", argv[i]);
    } else if (options && (arg == "-t" || arg == "--text")) {
      if (!hasValue) return BadArguments("--text needs a caption");
      text = argv[++i];
      for (unsigned char c : text)
        if (c < 32 || c > 126)
          return BadArguments("--text must be one line of printable ASCII", argv[i]);
    } else if (options && arg == "--") {
      options = false;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      return BadArguments("unknown option", argv[i]);
    } else if (npaths < 2) {
      paths[npaths++] = argv[i];
    } else {
      return BadArguments("too many file names", argv[i]);
    }
  }
  if (npaths < 2) return BadArguments(npaths ? "no OUTPUT file given" : "no INPUT file given");

  IMG* image = ReadPicture(paths[0]);
  if (!image) return 1;
  int status = 1;
  if (percent != 100) {
    IMG* scaled = Scaled(image, percent);
    Release(image);
    image = scaled;
  }
  if (image && degrees != 0) {
    IMG* turned = Turned(image, degrees);
    Release(image);
    image = turned;
  }
  if (image && (text.empty() || DrawCaption(image, text))) {
    errno = 0;
    if (IMGWritePPM(image, paths[1])) {
      status = 0;
    } else {
      std::fprintf(stderr, "caption: cannot write %s: %s\n", paths[1],
                   errno ? std::strerror(errno) : "write failed");
    }
  }
  Release(image);
  return status;
}

// sdldpy.cpp - the display: one SDL 1.2 video mode and the once-per-frame present.
//
// A frame is an IMG of 0x00RRGGBB words. SDLDPYShowIMG wraps it in a throw-away 32-bit
// surface (no copy), lets SDL_DisplayFormat convert it to whatever the screen is, and blits
// that. Flip and Copy hand the words to the screen unconverted and so only accept a screen
// that stores exactly those words; Flip also only one whose rows are packed.
#include "platform/sdldpy.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/sdldpybackend.h"

SDLDPY* SDLDPYCurrent = nullptr;
SDL_Surface* SDLDPYSurface = nullptr;
uint32_t SDLDPYVideoFlags = 0;
int32_t SDLDPYDoubleBuffered = 0;
uint8_t SDLDPYReport = 0;
const SDLDPYBACKEND* SDLDPYBackend = nullptr;

namespace {

constexpr const char* kCaption = "KESTREL8";
constexpr int32_t kStartSide = 256;
constexpr uint32_t kRedMask = 0x00FF0000u;
constexpr uint32_t kGreenMask = 0x0000FF00u;
constexpr uint32_t kBlueMask = 0x000000FFu;
constexpr uint32_t kAlphaMask = 0xFF000000u;
// SDL 1.2 keeps a surface's row length in 16 bits and refuses surfaces 16384 pixels wide,
// so no 32-bit surface (screen or temporary) can be wider than this. Holding the height to
// the same bound keeps width * height * 4 inside SDL's int arithmetic.
constexpr int32_t kMaxSide = 16383;

// The screen surface, but only while SDL still owns it as its video surface: SDL_Quit or
// SDL_QuitSubSystem(SDL_INIT_VIDEO) release it behind this module's back.
SDL_Surface* LiveScreen() {
  if (SDLDPYSurface && SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetVideoSurface() == SDLDPYSurface)
    return SDLDPYSurface;
  return nullptr;
}

// Shows the screen, then lets the program's backend see the frame (see sdldpybackend.h).
void Present(SDL_Surface* screen, const IMG* image) {
  if (SDLDPYDoubleBuffered)
    SDL_Flip(screen);
  else
    SDL_UpdateRect(screen, 0, 0, 0, 0);
  if (SDLDPYBackend && SDLDPYBackend->presented) SDLDPYBackend->presented(screen, image);
}

// ---- How sdl12-compat shows the mode ---------------------------------------------------------
// sdl12-compat (SDL 1.2 over SDL2) stretches the full-screen picture over the screen, and
// smooths it while doing so unless SDL12COMPAT_SCALE_METHOD is "nearest" (read as video
// starts); it shows a window enlarged by the whole factor in SDL12COMPAT_WINDOW_SCALING (read
// when the mode is set). The classic library reads neither variable and always shows the mode
// at its own size, so setting them changes nothing there, and no test of which library is
// loaded is needed. A variable the viewer has set is left as it is.

constexpr char kScaleMethod[] = "SDL12COMPAT_SCALE_METHOD";
constexpr char kWindowScaling[] = "SDL12COMPAT_WINDOW_SCALING";
// The enlarged window takes at most this share of the desktop's height (and width).
constexpr int32_t kWindowShareNumerator = 4;
constexpr int32_t kWindowShareDenominator = 5;
constexpr int32_t kMaxWindowScale = 16;

// putenv keeps the text it is given, so these live as long as the process.
char nearestSetting[] = "SDL12COMPAT_SCALE_METHOD=nearest";
char windowScalingSetting[sizeof kWindowScaling + 8];
// Whether the window's factor is this module's choice (and so may be chosen again), and the
// desktop it was chosen for: once a mode is up SDL reports the mode's size, not the desktop's.
bool ownWindowScaling = false;
int32_t desktopWidth = 0;
int32_t desktopHeight = 0;

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Sharp pixels however the picture is stretched. Before SDL's video starts.
void KeepPixelsSharp() {
  if (!IsSet(kScaleMethod)) putenv(nearestSetting);
}

// Drivers that show no window (SDL's dummy and SDL2's off-screen one): enlarging what nobody
// sees would only cost time, in the capture program above all.
bool ShowsAWindow() {
  char name[32] = "";
  if (!SDL_VideoDriverName(name, sizeof name)) return false;
  const std::string_view driver(name);
  return driver != "dummy" && driver != "offscreen";
}

// The largest whole n with the width x height mode enlarged n times no more than four fifths
// of the desktop in each direction; at least 1 (also for a desktop of unknown size, 0).
int32_t WindowScaleFor(int32_t width, int32_t height, int32_t deskWidth, int32_t deskHeight) {
  int32_t n = kMaxWindowScale;
  if (width > 0)
    n = std::min(n, deskWidth * kWindowShareNumerator / (width * kWindowShareDenominator));
  if (height > 0)
    n = std::min(n, deskHeight * kWindowShareNumerator / (height * kWindowShareDenominator));
  return std::max(n, int32_t{1});
}

// A window people can see on today's screens: sdl12-compat shows it enlarged by the factor
// WindowScaleFor gives for the desktop. After SDL's video started, before the mode is set.
void ChooseWindowScale(uint32_t flags, int32_t width, int32_t height) {
  if (flags & SDL_FULLSCREEN) return;
  if (IsSet(kWindowScaling) && !ownWindowScaling) return;
  if (!ShowsAWindow()) return;
  if (!SDL_GetVideoSurface()) {  // no mode yet: SDL still reports the desktop
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    desktopWidth = info ? info->current_w : 0;
    desktopHeight = info ? info->current_h : 0;
  }
  std::snprintf(windowScalingSetting, sizeof windowScalingSetting, "%s=%d", kWindowScaling,
                static_cast<int>(WindowScaleFor(width, height, desktopWidth, desktopHeight)));
  putenv(windowScalingSetting);
  ownWindowScaling = true;
}

bool HoldsIMGWords(const SDL_Surface* surface) {
  const SDL_PixelFormat* f = surface->format;
  return f->BytesPerPixel == 4 && f->Rmask == kRedMask && f->Gmask == kGreenMask &&
         f->Bmask == kBlueMask;
}

// A w x h surface over the top-left corner of `image`, reading the image's own rows (row
// length 4 x image width): no pixel is copied. The surface is made over the image's block
// from the start rather than given it afterwards, because an SDL 1.2 that keeps its own
// copy of each surface (sdl12-compat) never sees a pixel pointer swapped in later and would
// convert blank memory. Freeing the surface leaves the image's block alone.
SDL_Surface* LendImage(const IMG* image, int32_t w, int32_t h) {
  return SDL_CreateRGBSurfaceFrom(image->pixels, w, h, 32, image->width * 4, kRedMask,
                                  kGreenMask, kBlueMask, kAlphaMask);
}

// The screen, when `image` can be handed to it word for word: the current display, an image
// of exactly its size, and a screen surface of that size holding IMG words.
SDL_Surface* ScreenForWholeImage(const SDLDPY* display, const IMG* image) {
  SDL_Surface* screen = LiveScreen();
  if (!display || display != SDLDPYCurrent || !image || !image->pixels || !screen) return nullptr;
  if (image->width != display->width || image->height != display->height) return nullptr;
  if (screen->w != image->width || screen->h != image->height || !HoldsIMGWords(screen))
    return nullptr;
  return screen;
}

}  // namespace

void SDLDPYError() {
  if (SDLDPYReport) std::printf("SDLDPY error\n");
}

SDLDPY* SDLDPYNew() {
  if (SDLDPYCurrent) {
    SDLDPYError();
    return SDLDPYCurrent;
  }
  auto* display = static_cast<SDLDPY*>(std::calloc(1, sizeof(SDLDPY)));
  if (!display) {
    SDLDPYError();
    return nullptr;
  }
  SDLDPYCurrent = display;
  // From the first frame on: a backend that runs on a virtual clock must have it before the
  // frame timer's first reading.
  if (SDLDPYBackend && SDLDPYBackend->opened) SDLDPYBackend->opened();
  SDLDPYSetMode(display, kStartSide, kStartSide);
  return display;
}

void SDLDPYFree(SDLDPY** display) {
  if (!display || !*display || *display != SDLDPYCurrent) {
    SDLDPYError();
    return;
  }
  // SDL keeps its video surface to itself; the call is a no-op kept for symmetry with
  // SDLDPYSetMode, and is skipped when SDL has already shut video down.
  if (SDL_Surface* screen = LiveScreen()) SDL_FreeSurface(screen);
  SDLDPYSurface = nullptr;
  SDLDPYDoubleBuffered = 0;
  if (SDLDPYBackend && SDLDPYBackend->closing) SDLDPYBackend->closing();
  std::free(*display);
  *display = nullptr;
  SDLDPYCurrent = nullptr;
}

void SDLDPYSetMode(SDLDPY* display, int32_t width, int32_t height) {
  if (!display || display != SDLDPYCurrent || width < 0 || height < 0 || width > kMaxSide ||
      height > kMaxSide) {
    SDLDPYError();
    return;
  }
  if (SDL_Surface* screen = LiveScreen()) SDL_FreeSurface(screen);
  SDLDPYSurface = nullptr;
  SDLDPYVideoFlags = SDLDPYBuildFlags;
  KeepPixelsSharp();
  // The sound module initialises the rest of SDL later; video must be up before a mode.
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) < 0) {
    SDLDPYError();
    return;
  }
  ChooseWindowScale(SDLDPYVideoFlags, width, height);
  SDLDPYSurface = SDL_SetVideoMode(width, height, 0, SDLDPYVideoFlags);
  if (!SDLDPYSurface) {
    SDLDPYError();
    return;
  }
  SDL_WM_SetCaption(kCaption, kCaption);
  display->depth = SDLDPYSurface->format->BitsPerPixel;
  display->width = width;
  display->height = height;
  SDLDPYDoubleBuffered = (SDLDPYSurface->flags & SDL_DOUBLEBUF) ? 1 : 0;
}

void SDLDPYShowIMG(SDLDPY* display, const IMG* image) {
  SDL_Surface* screen = LiveScreen();
  if (!display || display != SDLDPYCurrent || !image || !image->pixels || !screen) {
    SDLDPYError();
    return;
  }
  const int32_t w = std::min(image->width, display->width);
  const int32_t h = std::min(image->height, display->height);
  // The temporary surface walks the image with the image's own row length, which must fit
  // SDL's 16-bit pitch.
  if (w <= 0 || h <= 0 || image->width > kMaxSide) {
    SDLDPYError();
    return;
  }
  SDL_Surface* temporary = LendImage(image, w, h);
  if (!temporary) {
    SDLDPYError();
    return;
  }
  SDL_Surface* converted = SDL_DisplayFormat(temporary);
  SDL_FreeSurface(temporary);
  if (!converted) {
    SDLDPYError();
    return;
  }
  SDL_Rect origin = {0, 0, 0, 0};
  SDL_UpperBlit(converted, nullptr, screen, &origin);
  SDL_FreeSurface(converted);
  Present(screen, image);
}

void SDLDPYFlipIMG(SDLDPY* display, const IMG* image) {
  SDL_Surface* screen = ScreenForWholeImage(display, image);
  // The image goes in as one run, so the screen's rows must be exactly the image's.
  if (!screen || screen->pitch != image->width * 4 || SDL_LockSurface(screen) < 0) {
    SDLDPYError();
    return;
  }
  // Lending the image's block to the screen for the present (pointing the surface's pixels
  // at it) shows the screen's old picture on both SDL 1.2 libraries: classic SDL's X11 driver
  // sends its own XImage, sdl12-compat its own SDL2 surface, and neither reads the pointer.
  // The words therefore go into the screen's own memory, which is what gets presented.
  std::memcpy(screen->pixels, image->pixels,
              static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 4);
  SDL_UnlockSurface(screen);
  Present(screen, image);
}

void SDLDPYCopyIMG(SDLDPY* display, const IMG* image) {
  SDL_Surface* screen = ScreenForWholeImage(display, image);
  if (!screen || SDL_LockSurface(screen) < 0) {
    SDLDPYError();
    return;
  }
  // Row by row with the screen's own pitch: one run whenever the rows are packed.
  const size_t rowBytes = static_cast<size_t>(image->width) * 4;
  auto* target = static_cast<uint8_t*>(screen->pixels);
  for (int32_t y = 0; y < image->height; ++y)
    std::memcpy(target + static_cast<size_t>(y) * screen->pitch,
                image->pixels + static_cast<size_t>(y) * image->width, rowBytes);
  SDL_UnlockSurface(screen);
  Present(screen, image);
}

const char* SDLDPYToASCII(const SDLDPY* display) {
  if (!display || display != SDLDPYCurrent) {
    SDLDPYError();
    return nullptr;
  }
  return "";
}

SDLDPY* SDLDPYFromASCII(const char* text) {
  if (!text || SDLDPYCurrent) SDLDPYError();
  return nullptr;
}

uint8_t SDLDPYEqual(const SDLDPY* a, const SDLDPY* b) {
  if (!a || !b || a != b || a != SDLDPYCurrent) {
    SDLDPYError();
    return 0;
  }
  return 1;
}

SDLDPY* SDLDPYCopy(SDLDPY* display) {
  if (!display || display != SDLDPYCurrent) {
    SDLDPYError();
    return nullptr;
  }
  return display;
}

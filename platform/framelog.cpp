// framelog.cpp - the per-present hash log of test builds; see framelog.h.
#include "platform/framelog.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/fps.h"

namespace {

struct Press {
  long present;
  SDLKey key;
};

bool active = false;
long presents = 0;
std::vector<Press> presses;  // in script order
size_t nextPress = 0;
SDL_Rect mask = {0, 0, 0, 0};
uint32_t virtualMs = 0;

uint32_t VirtualClock() { return virtualMs += 20; }
void NoSleep(uint32_t) {}

bool ParseKey(const char* name, size_t length, SDLKey* key) {
  if (length == 1) {
    *key = static_cast<SDLKey>(static_cast<unsigned char>(name[0]));
    return true;
  }
  if (length == 5 && std::strncmp(name, "space", 5) == 0) {
    *key = SDLK_SPACE;
    return true;
  }
  if (length == 6 && std::strncmp(name, "escape", 6) == 0) {
    *key = SDLK_ESCAPE;
    return true;
  }
  return false;
}

bool ParseKeys(const char* text) {
  const char* p = text;
  long previous = -1;
  while (*p) {
    if (*p == ' ' || *p == ',') {
      ++p;
      continue;
    }
    char* end = nullptr;
    const long present = std::strtol(p, &end, 10);
    if (end == p || *end != ':' || present <= previous) return false;
    const char* name = end + 1;
    size_t length = std::strcspn(name, " ,");
    SDLKey key;
    if (!ParseKey(name, length, &key)) return false;
    presses.push_back({present, key});
    previous = present;
    p = name + length;
  }
  return true;
}

bool ParseMask(const char* text) {
  int x, y, w, h;
  char extra;
  constexpr int kMaxSide = 16383;  // SDL 1.2's bound on a surface side
  if (std::sscanf(text, "%d,%d,%d,%d%c", &x, &y, &w, &h, &extra) != 4 || x < 0 || y < 0 ||
      w < 0 || h < 0 || x > kMaxSide || y > kMaxSide || w > kMaxSide || h > kMaxSide)
    return false;
  mask = SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                  static_cast<Uint16>(h)};
  return true;
}

void PushKeyDown(SDLKey key) {
  SDL_Event event;
  std::memset(&event, 0, sizeof event);
  event.type = SDL_KEYDOWN;
  event.key.type = SDL_KEYDOWN;
  event.key.state = SDL_PRESSED;
  event.key.keysym.sym = key;
  SDL_PushEvent(&event);
}

int Shift(uint32_t mask) { return mask ? __builtin_ctz(mask) : 0; }

}  // namespace

bool FRAMELOGStart() {
  presses.clear();
  nextPress = 0;
  presents = 0;
  mask = SDL_Rect{0, 0, 0, 0};
  const char* keys = std::getenv("K8_FRAMELOG_KEYS");
  const char* maskText = std::getenv("K8_FRAMELOG_MASK");
  if (keys && !ParseKeys(keys)) {
    std::fprintf(stderr, "frame log: cannot read K8_FRAMELOG_KEYS \"%s\"\n", keys);
    return active = false;
  }
  if (maskText && !ParseMask(maskText)) {
    std::fprintf(stderr, "frame log: cannot read K8_FRAMELOG_MASK \"%s\"\n", maskText);
    return active = false;
  }
  virtualMs = 0;
  FPSClock = VirtualClock;
  FPSSleep = NoSleep;
  return active = true;
}

uint64_t FRAMELOGHash(SDL_Surface* surface, SDL_Rect skip) {
  if (!surface || !surface->format || surface->format->BytesPerPixel != 4) return 0;
  if (SDL_LockSurface(surface) < 0) return 0;
  const SDL_PixelFormat* f = surface->format;
  const int rs = Shift(f->Rmask), gs = Shift(f->Gmask), bs = Shift(f->Bmask);
  uint64_t h = 14695981039346656037ull;  // FNV-1a 64-bit offset basis
  for (int y = 0; y < surface->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(
                                                            surface->pixels) +
                                                        static_cast<size_t>(y) * surface->pitch);
    const bool rowMasked = y >= skip.y && y < skip.y + skip.h;
    for (int x = 0; x < surface->w; ++x) {
      if (rowMasked && x >= skip.x && x < skip.x + skip.w) continue;
      const uint32_t p = row[x];
      const uint32_t rgb = ((p & f->Rmask) >> rs) << 16 | ((p & f->Gmask) >> gs) << 8 |
                           ((p & f->Bmask) >> bs);
      h = (h ^ rgb) * 1099511628211ull;
    }
  }
  SDL_UnlockSurface(surface);
  return h;
}

void FRAMELOGPresent(SDL_Surface* screen) {
  if (!active) return;
  if (!screen || !screen->format || screen->format->BytesPerPixel != 4) {
    // A screen with fewer bits cannot show the colours exactly, so its read-back would not
    // compare with another build's.
    std::printf("present %ld unreadable: not a 32-bit screen\n", presents);
  } else {
    std::printf("present %ld %016" PRIx64 "\n", presents, FRAMELOGHash(screen, mask));
  }
  while (nextPress < presses.size() && presses[nextPress].present == presents)
    PushKeyDown(presses[nextPress++].key);
  ++presents;
}

void FRAMELOGEnd() {
  if (!active) return;
  std::printf("end %ld\n", presents);
  std::fflush(stdout);
  active = false;
}

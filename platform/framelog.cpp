// framelog.cpp - the per-present hash log of test builds; see framelog.h.
#include "platform/framelog.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/keyscript.h"
#include "platform/vclock.h"

namespace {

bool active = false;
long presents = 0;
KEYSCRIPT script;
SDL_Rect mask = {0, 0, 0, 0};

constexpr uint64_t kFnvBasis = 14695981039346656037ull;  // FNV-1a 64-bit offset basis
constexpr uint64_t kFnvPrime = 1099511628211ull;

int Shift(uint32_t bits) { return bits ? __builtin_ctz(bits) : 0; }

bool Masked(SDL_Rect skip, int x, int y) {
  return y >= skip.y && y < skip.y + skip.h && x >= skip.x && x < skip.x + skip.w;
}

void Opened() { FRAMELOGStart(); }
void Presented(SDL_Surface* screen, const IMG*) { FRAMELOGPresent(screen); }
void Closing() { FRAMELOGEnd(); }

}  // namespace

extern const SDLDPYBACKEND FRAMELOGBackend = {Opened, Presented, Closing};

bool FRAMELOGParseMask(const char* text, SDL_Rect* out) {
  int x, y, w, h;
  char extra;
  constexpr int kMaxSide = 16383;  // SDL 1.2's bound on a surface side
  if (!text || std::sscanf(text, "%d,%d,%d,%d%c", &x, &y, &w, &h, &extra) != 4 || x < 0 ||
      y < 0 || w < 0 || h < 0 || x > kMaxSide || y > kMaxSide || w > kMaxSide || h > kMaxSide)
    return false;
  *out = SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                  static_cast<Uint16>(h)};
  return true;
}

bool FRAMELOGStart() {
  presents = 0;
  mask = SDL_Rect{0, 0, 0, 0};
  const char* keys = std::getenv("K8_FRAMELOG_KEYS");
  const char* maskText = std::getenv("K8_FRAMELOG_MASK");
  std::string why;
  if (!KEYSCRIPTParse(keys ? keys : "", &script, &why)) {
    std::fprintf(stderr, "frame log: cannot read K8_FRAMELOG_KEYS \"%s\": %s\n", keys,
                 why.c_str());
    return active = false;
  }
  if (maskText && !FRAMELOGParseMask(maskText, &mask)) {
    std::fprintf(stderr, "frame log: cannot read K8_FRAMELOG_MASK \"%s\"\n", maskText);
    return active = false;
  }
  VCLOCKStart();
  return active = true;
}

uint64_t FRAMELOGHash(SDL_Surface* surface, SDL_Rect skip) {
  if (!surface || !surface->format || surface->format->BytesPerPixel != 4) return 0;
  if (SDL_LockSurface(surface) < 0) return 0;
  const SDL_PixelFormat* f = surface->format;
  const int rs = Shift(f->Rmask), gs = Shift(f->Gmask), bs = Shift(f->Bmask);
  uint64_t h = kFnvBasis;
  for (int y = 0; y < surface->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(
                                                            surface->pixels) +
                                                        static_cast<size_t>(y) * surface->pitch);
    for (int x = 0; x < surface->w; ++x) {
      if (Masked(skip, x, y)) continue;
      const uint32_t p = row[x];
      const uint32_t rgb = ((p & f->Rmask) >> rs) << 16 | ((p & f->Gmask) >> gs) << 8 |
                           ((p & f->Bmask) >> bs);
      h = (h ^ rgb) * kFnvPrime;
    }
  }
  SDL_UnlockSurface(surface);
  return h;
}

uint64_t FRAMELOGHashWords(const uint32_t* words, int width, int count, int stride,
                           SDL_Rect skip) {
  uint64_t h = kFnvBasis;
  for (int y = 0; y < count; ++y) {
    const uint32_t* row = words + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      if (Masked(skip, x, y)) continue;
      h = (h ^ (row[x] & 0x00FFFFFFu)) * kFnvPrime;
    }
  }
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
  KEYSCRIPTPush(&script, presents);
  ++presents;
}

void FRAMELOGEnd() {
  if (!active) return;
  std::printf("end %ld\n", presents);
  std::fflush(stdout);
  active = false;
}

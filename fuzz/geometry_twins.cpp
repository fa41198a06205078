// Fuzzes the IMG and BYTEMAP geometry twins against each other: the same small pictures (a
// byte per pixel, held in IMG as that value in blue) go through the same clipped blits, fills,
// wraps, scaling and rotation with coordinates taken from the whole int32_t range, and the two
// must place exactly the same pixels. The line point lists of the twins must be identical.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bytemap/bytemap.h"
#include "image/img.h"

namespace {

// Reads the fuzzer's bytes in order; past the end everything is 0.
struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint8_t Byte() { return at < size ? data[at++] : 0; }
  int32_t Int32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
    return static_cast<int32_t>(v);
  }
  // A coordinate: mostly small, so blocks overlap the pictures, sometimes anywhere at all.
  int32_t Coord() {
    const uint8_t kind = Byte();
    if (kind < 192) return static_cast<int8_t>(Byte());
    return Int32();
  }
};

struct Twins {
  IMG* image = nullptr;
  BYTEMAP* map = nullptr;
};

Twins Make(Input& in, bool fill) {
  const int32_t w = in.Byte() % 40, h = in.Byte() % 40;
  Twins t{IMGNew(), BYTEMAPNew()};
  if (!t.image || !t.map) abort();
  IMGResize(t.image, w, h);
  BYTEMAPResize(t.map, w, h);
  for (int32_t i = 0; fill && i < w * h; ++i) {
    const uint8_t v = in.Byte();
    t.image->pixels[i] = v;
    t.map->pixels[i] = v;
  }
  return t;
}

void Same(const Twins& t) {
  if (t.image->width != t.map->width || t.image->height != t.map->height) abort();
  for (int32_t i = 0; i < t.image->width * t.image->height; ++i)
    if (t.image->pixels[i] != t.map->pixels[i]) abort();
}

void Free(Twins& t) {
  IMGFree(&t.image);
  BYTEMAPFree(&t.map);
}

void SameLine(Input& in) {
  // Short enough coordinates that a list stays small; the twins must agree point for point.
  const int32_t x0 = int16_t(in.Int32()), y0 = int16_t(in.Int32());
  const int32_t x1 = int16_t(in.Int32()), y1 = int16_t(in.Int32());
  int32_t* a = IMGLinePoints(x0, y0, x1, y1);
  int32_t* b = BYTEMAPLinePoints(x0, y0, x1, y1);
  if (!a != !b) abort();
  if (a && (a[0] != b[0] || std::memcmp(a, b, sizeof(int32_t) * size_t(a[0])) != 0)) abort();
  std::free(a);
  std::free(b);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  return std::freopen("/dev/null", "w", stdout) ? 0 : 0;  // the modules' refusal lines
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  Twins source = Make(in, true), target = Make(in, true);
  for (int step = 0; step < 4 && in.at < in.size; ++step) {
    switch (in.Byte() % 7) {
      case 0: {
        const int32_t sx = in.Coord(), sy = in.Coord(), dx = in.Coord(), dy = in.Coord();
        const int32_t w = in.Coord(), h = in.Coord();
        IMGBlit(source.image, target.image, sx, sy, dx, dy, w, h);
        BYTEMAPBlit(source.map, target.map, sx, sy, dx, dy, w, h);
        break;
      }
      case 1: {
        const int32_t sx = in.Coord(), sy = in.Coord(), dx = in.Coord(), dy = in.Coord();
        const int32_t w = in.Coord(), h = in.Coord(), stepX = in.Coord(), stepY = in.Coord();
        IMGBlitSpaced(source.image, target.image, sx, sy, dx, dy, w, h, stepX, stepY);
        BYTEMAPBlitSpaced(source.map, target.map, sx, sy, dx, dy, w, h, stepX, stepY);
        break;
      }
      case 2: {
        const int32_t from = in.Coord(), to = in.Coord(), shift = in.Coord();
        IMGWrapRow(source.image, target.image, from, to, shift);
        BYTEMAPWrapRow(source.map, target.map, from, to, shift);
        IMGWrapColumn(source.image, target.image, to, from, shift);
        BYTEMAPWrapColumn(source.map, target.map, to, from, shift);
        break;
      }
      case 3: {
        const int32_t x = in.Coord(), y = in.Coord(), w = in.Coord(), h = in.Coord();
        const uint8_t v = in.Byte();
        IMGFillRect(target.image, x, y, w, h, v);
        BYTEMAPFillRect(target.map, x, y, w, h, v);
        break;
      }
      case 4:
        IMGScale(source.image, target.image);
        BYTEMAPScale(source.map, target.map);
        break;
      case 5: {
        const int32_t angle = in.Int32();
        Twins turned{IMGRotate(source.image, angle), BYTEMAPRotate(source.map, angle)};
        if (!turned.image != !turned.map) abort();
        if (turned.image) Same(turned);
        Free(turned);
        break;
      }
      default:
        SameLine(in);
        break;
    }
    Same(target);
  }
  Free(source);
  Free(target);
  return 0;
}

// Scene 2's renderer: a true-colour pattern in which each channel is a product of two sines,
// looked up in one 1 MiB table, with its own moving row and column phases and its own row
// and column wobble; and the simpler two-sine side strip.
//
// Pixels go straight into `screen`, row-major, screenWidth per row. Both renderers work from
// the right edge of their region leftwards; column counter k is 0 at the rightmost pixel.
// Every shift takes its count modulo 32 (a count of 32 shifts by 0).
#include <cstdlib>

#include "base/sine.h"
#include "demo/demo.h"

TEXTURESTATE Texture = {{0, 0, 0, 0, 0, 0}, {8, 5, 7, 9, 11, 5}, {0, 0, 0, 0, 0, 0},
                        {0, 0, 0, 0, 0, 0}};
int32_t zoom = 2;
int32_t speed = 10;
int32_t xDist = 9;
int32_t yDist = 4;

namespace {

constexpr int32_t kMaxZoom = 65536;
constexpr int32_t kVelocityStep[6] = {3, 5, -2, -3, 7, 7};
constexpr int32_t kWobbleStep[6] = {3, 2, 1, 3, 2, 1};

uint8_t* table = nullptr;

// Column offsets (red, green, blue) of wobbleWidth values and row offsets of wobbleHeight.
int32_t* columnOffset[3] = {};
int32_t* rowOffset[3] = {};
int32_t wobbleWidth = 0;
int32_t wobbleHeight = 0;

constexpr int32_t Shift(int32_t value, int32_t count) { return value >> (count & 31); }

uint8_t* BuildTable() {
  auto* t = static_cast<uint8_t*>(std::calloc(1024 * 1024, 1));
  if (!t) DemoFatal("allocate the texture table (1 MiB)", "out of memory");
  for (int32_t a = 0; a < 1024; ++a)
    for (int32_t b = 0; b < 1024; ++b) {
      int32_t v = ((SineTable.entry[a] * SineTable.entry[b]) >> 23) + 128;
      t[a * 1024 + b] = static_cast<uint8_t>(v == 0 ? 2 : v);
    }
  return t;
}

void EnsureWobbleTables() {
  if (wobbleWidth == screenWidth && wobbleHeight == screenHeight && columnOffset[0]) return;
  for (int32_t c = 0; c < 3; ++c) {
    std::free(columnOffset[c]);
    std::free(rowOffset[c]);
    columnOffset[c] = static_cast<int32_t*>(std::calloc(screenWidth, sizeof(int32_t)));
    rowOffset[c] = static_cast<int32_t*>(std::calloc(screenHeight, sizeof(int32_t)));
    if (!columnOffset[c] || !rowOffset[c])
      DemoFatal("allocate the texture's wobble tables", "out of memory");
  }
  wobbleWidth = screenWidth;
  wobbleHeight = screenHeight;
}

// offset[j] = S[phase + n - j] >> dist, for j = n - 1 down to 0.
void FillWobble(int32_t* offset, int32_t n, int32_t phase, int32_t dist) {
  int32_t p = phase;
  for (int32_t j = n - 1; j >= 0; --j) {
    p = (p + 1) & 1023;
    offset[j] = Shift(Sine(p), dist);
  }
}

// The rectangle of columns [left, left + w) and rows [y0, y0 + h) lies inside the screen.
bool RegionInside(int32_t left, int32_t y0, int32_t w, int32_t h) {
  if (!screen || !screen->pixels || screen->width != screenWidth ||
      screen->height != screenHeight)
    return false;
  return w >= 0 && h >= 0 && w <= screenWidth && h <= screenHeight && left >= 0 &&
         left <= screenWidth - w && y0 >= 0 && y0 <= screenHeight - h;
}

void AdvanceAnimation() {
  TEXTURESTATE& s = Texture;
  for (int32_t k = 0; k < 6; ++k) s.t[k] = (s.t[k] + s.v[k]) & 1023;
  for (int32_t k = 0; k < 6; ++k) s.q[k] = (s.q[k] + kVelocityStep[k]) & 1023;
  for (int32_t k = 0; k < 6; ++k) s.v[k] = Shift(Sine(s.q[k]), speed);
  for (int32_t k = 0; k < 6; ++k) s.d[k] = (s.d[k] + kWobbleStep[k]) & 1023;
}

}  // namespace

const uint8_t* TextureTable() {
  if (!table) table = BuildTable();
  return table;
}

void TextureDraw(int32_t x0, int32_t y0, int32_t w, int32_t h) {
  // Region: columns x0 + screenWidth - w to x0 + screenWidth - 1.
  if (!RegionInside(x0 + screenWidth - w, y0, w, h)) {
    DemoError();
    return;
  }
  const uint8_t* tab = TextureTable();
  EnsureWobbleTables();
  TEXTURESTATE& s = Texture;
  // Channels in red, green, blue order: their row phase T, column phase T, wobble phases.
  static constexpr int32_t kRowPhase[3] = {4, 2, 0};
  static constexpr int32_t kColumnPhase[3] = {5, 3, 1};
  static constexpr int32_t kColumnWobble[3] = {0, 1, 2};
  static constexpr int32_t kRowWobble[3] = {3, 4, 5};
  for (int32_t c = 0; c < 3; ++c) {
    FillWobble(columnOffset[c], screenWidth, s.d[kColumnWobble[c]], xDist);
    FillWobble(rowOffset[c], screenHeight, s.d[kRowWobble[c]], yDist);
  }
  const int32_t z = zoom;
  int32_t rowPhase[3];
  for (int32_t c = 0; c < 3; ++c) rowPhase[c] = s.t[kRowPhase[c]];
  for (int32_t i = 0; i < h; ++i) {
    int32_t col[3];
    for (int32_t c = 0; c < 3; ++c) {
      rowPhase[c] = (rowPhase[c] + z) & 1023;  // only the low 10 bits are ever read
      col[c] = s.t[kColumnPhase[c]] + rowOffset[c][i];
    }
    uint32_t* out = screen->pixels + static_cast<size_t>(y0 + i) * screenWidth + x0 + screenWidth - 1;
    for (int32_t k = 0; k < w; ++k) {
      uint32_t pixel = 0;
      for (int32_t c = 0; c < 3; ++c) {
        int32_t u = (rowPhase[c] + columnOffset[c][k]) & 1023;
        col[c] = (col[c] + z) & 1023;
        pixel = (pixel << 8) | tab[u * 1024 + col[c]];
      }
      out[-k] = pixel;
    }
  }
  AdvanceAnimation();
}

void StripDraw(int32_t x0, int32_t y0, int32_t w, int32_t h) {
  // Region: columns -x0 to w - x0 - 1.
  if (!RegionInside(-x0, y0, w, h)) {
    DemoError();
    return;
  }
  const int32_t z = zoom;
  int32_t v = Texture.t[1];
  for (int32_t i = 0; i < h; ++i) {
    v = (v + z) & 1023;
    const uint32_t red = static_cast<uint32_t>((Sine(v) + 32768) & 0xFF00) << 8;
    uint32_t* out = screen->pixels + static_cast<size_t>(y0 + i) * screenWidth + (w - x0 - 1);
    int32_t u = Texture.t[0];
    for (int32_t k = 0; k < w; ++k) {
      u = (u + z) & 1023;
      out[-k] = red | static_cast<uint32_t>(((Sine(u) + 32768) & 0xFF00) >> 8);
    }
  }
}

void TextureZoomUp() {
  if (zoom < kMaxZoom) zoom <<= 1;
}

void TextureZoomDown() {
  if (zoom > 1) zoom >>= 1;
}

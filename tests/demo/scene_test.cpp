// The scenes' drawing helpers and scene 2's renderer, checked against the arithmetic they
// are meant to carry out, written out independently here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "base/sine.h"
#include "demo/demo.h"
#include "harness.h"

namespace {

// A started program, headless; each test leaves it shut down and reset.
class StartedDemo : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    DemoStartUp();
  }
  void TearDown() override {
    DemoShutDown();
    DemoReset();
  }
  // Entry i becomes a colour of its own, so a pixel tells its palette index.
  static void DistinctPalette() {
    for (int i = 0; i < 256; ++i) palette->items[i] = 0x010000 + i * 0x000101;
  }
};

IMG* MakeImage(int w, int h) {
  IMG* img = IMGNew();
  IMGResize(img, w, h);
  return img;
}

uint32_t At(const IMG* img, int x, int y) { return img->pixels[y * img->width + x]; }

int TableValue(int a, int b) {
  int v = ((Sine(a) * Sine(b)) >> 23) + 128;
  return v == 0 ? 2 : v;
}

// Scene 2's first frame after start-up: every phase 0, zoom 2, xDist 9, yDist 4, and all
// three channels alike. k counts from the region's right edge, i is the row.
uint32_t FirstTexturePixel(int k, int i) {
  int rowPhase = 2 * (i + 1);
  int rowOffset = Sine(256 - i) >> 4;
  int columnOffset = Sine(256 - k) >> 9;
  int u = (rowPhase + columnOffset) & 1023;
  int c = (rowOffset + 2 * (k + 1)) & 1023;
  return static_cast<uint32_t>(TableValue(u, c)) * 0x010101u;
}

// The strip after the first frame has moved T0 to 8 and T1 to 5.
uint32_t FirstStripPixel(int k, int i) {
  int sv = Sine(5 + 2 * (i + 1)), su = Sine(8 + 2 * (k + 1));
  return (static_cast<uint32_t>((sv + 32768) & 0xFF00) << 8) |
         (static_cast<uint32_t>((su + 32768) & 0xFF00) >> 8);
}

// The bracket pixels of a rectangle with their colours.
void Brackets(std::vector<std::pair<int, uint32_t>>& out, int width, int x, int y, int w,
              int h, uint32_t colour) {
  for (int i = 0; i < 16; ++i) {
    uint32_t c = colour - i * 0x040404u;
    int pts[8][2] = {{x + i, y},         {x, y + i},         {x + w - 1 - i, y},
                     {x + w - 1, y + i}, {x + i, y + h - 1}, {x, y + h - 1 - i},
                     {x + w - 1 - i, y + h - 1}, {x + w - 1, y + h - 1 - i}};
    for (auto& p : pts) out.push_back({p[1] * width + p[0], c});
  }
}

}  // namespace

TEST(TextureTable, HoldsClampedSineProducts) {
  const uint8_t* t = TextureTable();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(TextureTable(), t);  // built once
  int zeros = 0, asymmetric = 0, wrong = 0, twos = 0;
  for (int a = 0; a < 1024; ++a)
    for (int b = 0; b < 1024; ++b) {
      uint8_t v = t[a * 1024 + b];
      zeros += v == 0;
      twos += v == 2;
      asymmetric += v != t[b * 1024 + a];
      wrong += v != TableValue(a, b);
    }
  EXPECT_EQ(zeros, 0);
  EXPECT_EQ(asymmetric, 0);
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(twos, 0);  // the products at -32766 x 32766 land on 0 and are stored as 2
  for (int n = 0; n < 1024; ++n) {
    EXPECT_EQ(t[0 * 1024 + n], 128);    // S[0] = 0
    EXPECT_EQ(t[n * 1024 + 512], 128);  // S[512] = 0
  }
  EXPECT_EQ(t[256 * 1024 + 256], 255);  // 32766^2 >> 23 = 127
  EXPECT_EQ(t[256 * 1024 + 768], 2);    // -128 + 128 = 0, stored as 2
}

TEST(SineScene, FirstFrameIsTheTextureStripPanelAndBrackets) {
  // Straight from the formula: the two pixels the brackets later cover.
  EXPECT_EQ(FirstTexturePixel(0, 0), 0x808080u);
  EXPECT_EQ(FirstTexturePixel(2, 0), 0x818181u);

  std::vector<uint32_t> frame;
  DemoScript s;
  s.Press(0, 0, SDLK_SPACE);
  s.Press(1, 0, SDLK_ESCAPE);
  s.onFrame = [&](int visit, int f) {
    if (visit == 1 && f == 0) frame.assign(screen->pixels, screen->pixels + 256 * 256);
  };
  RunDemo(s);
  ASSERT_EQ(frame.size(), 65536u);

  std::vector<std::pair<int, uint32_t>> brackets;
  Brackets(brackets, 256, 64, 0, 192, 256, 0x4080F0);
  Brackets(brackets, 256, 0, 0, 64, 256, 0xF08040);
  std::vector<int> isBracket(65536, 0);
  int bracketWrong = 0;
  for (auto& [index, colour] : brackets) {
    isBracket[index] = 1;
    bracketWrong += frame[index] != colour;
  }
  EXPECT_EQ(bracketWrong, 0);
  // The top-right pixel is the texture's bracket, not the texture's 0x808080.
  EXPECT_EQ(frame[255], 0x4080F0u);
  EXPECT_EQ(frame[253], 0x4080F0u - 2 * 0x040404u);

  int textureWrong = 0, stripWrong = 0, text = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      int index = y * 256 + x;
      if (isBracket[index]) continue;
      if (x >= 64) {
        textureWrong += frame[index] != FirstTexturePixel(255 - x, y);
      } else if (frame[index] == 0xFFFFFFu) {
        ++text;  // panel text and logo over the strip (the strip has no green)
      } else {
        stripWrong += frame[index] != FirstStripPixel(63 - x, y);
      }
    }
  EXPECT_EQ(textureWrong, 0);
  EXPECT_EQ(stripWrong, 0);
  EXPECT_GT(text, 200);
}

TEST(SineScene, KeysChangeTheTextureWithinTheirLimits) {
  struct Seen {
    int xDist, yDist, zoom, speed;
    uint32_t corner;
  };
  std::vector<Seen> seen;
  DemoScript s;
  s.Press(0, 0, SDLK_SPACE);
  auto pressRun = [&](int from, int count, SDLKey key) {
    for (int f = from; f < from + count; ++f) s.Press(1, f, key);
    return from + count;
  };
  int f = 0;
  f = pressRun(f, 8, SDLK_a);   // 0..7: xDist 9 -> 17 at frame 8
  f = pressRun(f, 20, SDLK_a);  // 8..27: up to 32 and no further
  f = pressRun(f, 40, SDLK_s);  // 28..67: down to 1
  f = pressRun(f, 10, SDLK_e);  // 68..77: yDist 4 -> 1
  f = pressRun(f, 40, SDLK_d);  // 78..117: up to 32
  f = pressRun(f, 2, SDLK_f);   // 118..119: zoom 2 -> 1, then nothing
  f = pressRun(f, 20, SDLK_r);  // 120..139: zoom up to 65536 and no further
  f = pressRun(f, 12, SDLK_w);  // 140..151: speed 10 -> 1
  f = pressRun(f, 1, SDLK_g);   // 152: full-screen layout from frame 153
  f = pressRun(f, 1, SDLK_g);   // 153: panel layout again from frame 154
  s.Press(1, 160, SDLK_ESCAPE);
  s.onFrame = [&](int visit, int) {
    if (visit == 1) seen.push_back({xDist, yDist, zoom, speed, screen->pixels[0]});
  };
  RunDemo(s);
  ASSERT_EQ(seen.size(), 161u);
  EXPECT_EQ(seen[0].xDist, 9);
  EXPECT_EQ(seen[8].xDist, 17);
  EXPECT_EQ(seen[8 + 15].xDist, 32);
  EXPECT_EQ(seen[28].xDist, 32);
  EXPECT_EQ(seen[28 + 31].xDist, 1);
  EXPECT_EQ(seen[68].xDist, 1);
  EXPECT_EQ(seen[68].yDist, 4);
  EXPECT_EQ(seen[78].yDist, 1);
  EXPECT_EQ(seen[118].yDist, 32);
  EXPECT_EQ(seen[118].zoom, 2);
  EXPECT_EQ(seen[119].zoom, 1);
  EXPECT_EQ(seen[120].zoom, 1);
  EXPECT_EQ(seen[136].zoom, 65536);
  EXPECT_EQ(seen[140].zoom, 65536);
  EXPECT_EQ(seen[140].speed, 10);
  EXPECT_EQ(seen[149].speed, 1);
  EXPECT_EQ(seen[152].speed, 1);
  EXPECT_EQ(seen[152].corner, 0xF08040u);  // panel layout: the strip's bracket
  EXPECT_EQ(seen[153].corner, 0x80F040u);  // full screen: the whole screen's bracket
  EXPECT_EQ(seen[154].corner, 0xF08040u);
  EXPECT_EQ(seen[160].corner, 0xF08040u);

  // The scene's own table outside the common keys: q also slows the texture (to 32 at most).
  speed = 31;
  SceneSineTextureKey('q');
  EXPECT_EQ(speed, 32);
  SceneSineTextureKey('q');
  EXPECT_EQ(speed, 32);
  SceneSineTextureKey('x');
  EXPECT_EQ(speed, 32);
  DemoReset();
}

TEST_F(StartedDemo, TextureRefusesRegionsOutsideTheScreen) {
  IMGClear(screen);
  const TEXTURESTATE before = Texture;
  TextureDraw(0, 0, 257, 256);
  TextureDraw(1, 0, 256, 256);
  StripDraw(0, 1, 64, 256);
  StripDraw(-200, 0, 64, 256);
  for (int i = 0; i < 256 * 256; ++i) ASSERT_EQ(screen->pixels[i], 0u) << i;
  EXPECT_EQ(Texture.t[0], before.t[0]);
  // The zoom keeps to its range.
  zoom = 65536;
  TextureZoomUp();
  EXPECT_EQ(zoom, 65536);
  zoom = 1;
  TextureZoomDown();
  EXPECT_EQ(zoom, 1);
  TextureZoomUp();
  EXPECT_EQ(zoom, 2);
  // The first frame moves the phases by the starting velocities.
  TextureDraw(0, 0, 256, 256);
  const int32_t moved[6] = {8, 5, 7, 9, 11, 5};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Texture.t[k], moved[k]);
  EXPECT_EQ(Texture.v[0], Sine(3) >> 10);
  EXPECT_EQ(Texture.v[2], Sine(-2) >> 10);  // negative sines shift towards minus infinity
  EXPECT_EQ(screen->pixels[255], 0x808080u);
  EXPECT_EQ(screen->pixels[253], 0x818181u);
}

TEST_F(StartedDemo, RingsNestInsideTheRectangle) {
  DistinctPalette();
  const uint32_t* pal = reinterpret_cast<const uint32_t*>(palette->items);
  IMG* img = MakeImage(10, 8);
  DemoDrawRings(img, 1, 1, 7, 4, 5);  // drawn as 6 x 4: rings 6 x 4 and 4 x 2
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) {
      bool outer = (x >= 1 && x <= 6 && (y == 1 || y == 4)) || ((x == 1 || x == 6) && y >= 1 && y <= 4);
      bool inner = x >= 2 && x <= 5 && y >= 2 && y <= 3;
      uint32_t want = outer ? pal[5] : inner ? pal[6] : 0;
      EXPECT_EQ(At(img, x, y), want) << x << "," << y;
    }
  IMGClear(img);
  DemoDrawRings(img, 0, 0, 1, 8, 0);
  DemoDrawRings(img, 0, 0, 10, 1, 0);
  DemoDrawRings(nullptr, 0, 0, 10, 8, 0);
  for (int i = 0; i < 80; ++i) EXPECT_EQ(img->pixels[i], 0u);
  IMGFree(&img);

  // 256 x 256: 128 rings cover every pixel; ring d has index c + d.
  IMGClear(screen);
  DemoDrawRings(screen, 0, 0, 256, 256, 250);
  int wrong = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      int d = std::min(std::min(x, y), std::min(255 - x, 255 - y));
      wrong += At(screen, x, y) != pal[(250 + d) & 255];
    }
  EXPECT_EQ(wrong, 0);
}

TEST_F(StartedDemo, MosaicRecordsOnlyItsLevelAndRedrawsFromTheList) {
  DistinctPalette();
  const uint32_t* pal = reinterpret_cast<const uint32_t*>(palette->items);
  MosaicClearList();
  MosaicRecord(0, 0, 256, 256, 40, 8);
  EXPECT_EQ(MosaicHighWater, 5);
  EXPECT_EQ(MosaicWritePos, 5);
  EXPECT_EQ(MosaicList[2], 256);
  EXPECT_EQ(MosaicList[4], 40);

  // One level up the four children of level 8 are recorded, 32 colour steps further on.
  MosaicClearList();
  MosaicRecord(0, 0, 256, 256, 40, 7);
  ASSERT_GE(MosaicHighWater, 5);
  ASSERT_LE(MosaicHighWater, 20);
  for (int p = 0; p < MosaicHighWater; p += 5) {
    const int32_t* r = MosaicList + p;
    EXPECT_EQ(r[4], 72);
    EXPECT_GE(r[0], 1);
    EXPECT_GE(r[1], 1);
    EXPECT_LE(r[0] + r[2], 255);
    EXPECT_LE(r[1] + r[3], 255);
  }

  // Redraws pick the one record and keep its base colour in the corner; deeper levels
  // are 16 steps on per level.
  MosaicClearList();
  MosaicRecord(0, 0, 256, 256, 40, 8);
  std::set<uint32_t> allowed;
  for (int j = 0; j < 16; ++j) allowed.insert(pal[(40 + 16 * j) & 255]);
  for (int n = 0; n < 3; ++n) {
    MosaicRedraw();
    EXPECT_EQ(At(screen, 0, 0), pal[40]);
    EXPECT_EQ(At(screen, 255, 255), pal[40]);
    int stray = 0;
    for (int i = 0; i < 256 * 256; ++i) stray += allowed.count(screen->pixels[i]) == 0;
    EXPECT_EQ(stray, 0);
  }
  EXPECT_EQ(MosaicWritePos, 0);
  MosaicClearList();
  IMGClear(screen);
  MosaicRedraw();  // an empty list draws nothing
  EXPECT_EQ(At(screen, 0, 0), 0u);
}

TEST_F(StartedDemo, LogoLinesBobAroundTheirRows) {
  IMG* want = MakeImage(256, 256);
  std::set<int> offsets;
  const char* lines[3] = {"M A R L ", "6 0 1 5 ", "20101117"};
  int mismatched = 0;
  for (int n = 1; n <= 64; ++n) {
    IMGClear(screen);
    IMGClear(want);
    DemoDrawLogo();
    for (int line = 0; line < 3; ++line) {
      int offset = Sine(16 * n + 32 * line) >> 13;
      offsets.insert(offset);
      FONTDrawString(font, lines[line], 0, 16 + 8 * line + offset, want);
    }
    mismatched += !IMGEqual(screen, want);
  }
  EXPECT_EQ(mismatched, 0);
  EXPECT_EQ(offsets, (std::set<int>{-4, -3, -2, -1, 0, 1, 2, 3}));
  EXPECT_EQ(DemoLogoPhase, 0);  // 64 drawings are one full bob: back to phase 0 mod 1024
  EXPECT_EQ(Sine(256) >> 13, 3);
  EXPECT_EQ(Sine(768) >> 13, -4);
  IMGFree(&want);
}

TEST(DemoHelpers, Hex32AndCorners) {
  char text[9] = {};
  DemoHex32(10, text);
  EXPECT_STREQ(text, "0000000A");
  DemoHex32(0x1234ABCD, text);
  EXPECT_STREQ(text, "1234ABCD");
  DemoHex32(65536, text);
  EXPECT_STREQ(text, "00010000");
  DemoHex32(-1, text);  // an address with its top bit set still reads as its digits
  EXPECT_STREQ(text, "FFFFFFFF");
  DemoHex32(5, nullptr);

  IMG* img = MakeImage(48, 48);
  DemoDrawCorners(img, 4, 4, 40, 40, 0x4080F0);
  int set = 0;
  for (int i = 0; i < 48 * 48; ++i) set += img->pixels[i] != 0;
  EXPECT_EQ(set, 4 * 31);  // each bracket 31 pixels, the corner shared by its arms
  EXPECT_EQ(At(img, 4, 4), 0x4080F0u);
  EXPECT_EQ(At(img, 19, 4), 0x4080F0u - 15 * 0x040404u);
  EXPECT_EQ(At(img, 43, 43), 0x4080F0u);
  EXPECT_EQ(At(img, 43, 8), 0x4080F0u - 4 * 0x040404u);
  EXPECT_EQ(At(img, 20, 4), 0u);  // arms of 16 leave the middle open
  IMGClear(img);
  DemoDrawCorners(img, 0, 0, 15, 20, 1);   // narrower than an arm
  DemoDrawCorners(img, 40, 0, 16, 16, 1);  // past the right edge
  DemoDrawCorners(img, 0, -1, 16, 16, 1);
  DemoDrawCorners(nullptr, 0, 0, 16, 16, 1);
  for (int i = 0; i < 48 * 48; ++i) EXPECT_EQ(img->pixels[i], 0u);
  IMGFree(&img);
}

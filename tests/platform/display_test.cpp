// Display tests on SDL's dummy video driver. Its screen is a plain memory buffer whose
// "desktop" depth is that of the mode opened before (8 bits at first), so a test picks the
// depth by opening a mode of it before the display takes over with depth 0.
#include <bit>

#include "headless.h"
#include "image/img.h"
#include "support/k8test.h"

namespace {

// The screen word at (x, y), read with the screen's own depth.
uint32_t ScreenPixel(int x, int y) {
  SDL_Surface* screen = SDLDPYSurface;
  const int bytes = screen->format->BytesPerPixel;
  SDL_LockSurface(screen);
  const uint8_t* at = static_cast<uint8_t*>(screen->pixels) + y * screen->pitch + x * bytes;
  // SDL keeps a pixel as a word in the machine's byte order (3-byte pixels too).
  uint32_t word = 0;
  for (int i = 0; i < bytes; ++i)
    word = word << 8 | at[std::endian::native == std::endian::little ? bytes - 1 - i : i];
  SDL_UnlockSurface(screen);
  return bytes == 4 ? word & 0x00FFFFFFu : word;
}

// What a 0x00RRGGBB colour becomes on the screen.
uint32_t OnScreen(uint32_t colour) {
  return SDL_MapRGB(SDLDPYSurface->format, uint8_t(colour >> 16), uint8_t(colour >> 8),
                    uint8_t(colour));
}

void FillScreen(uint32_t colour) { SDL_FillRect(SDLDPYSurface, nullptr, OnScreen(colour)); }

// Opens a plain mode of `bpp` bits first, standing in for the desktop, then the display.
SDLDPY* OpenDisplay(int bpp = 32) {
  SDL_InitSubSystem(SDL_INIT_VIDEO);
  SDL_SetVideoMode(16, 16, bpp, SDL_SWSURFACE);
  return SDLDPYNew();
}

// A w x h image whose every pixel names its place (and carries a top byte to be ignored).
IMG* PatternIMG(int32_t w, int32_t h) {
  IMG* image = IMGNew();
  IMGResize(image, w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      image->pixels[x + y * w] = 0xFF000000u | uint32_t(x + 1) << 12 | uint32_t(y + 1);
  return image;
}

uint32_t PatternAt(int x, int y) { return uint32_t(x + 1) << 12 | uint32_t(y + 1); }

std::string Caption() {
  char* title = nullptr;
  char* icon = nullptr;
  SDL_WM_GetCaption(&title, &icon);
  return std::string(title ? title : "(none)") + "/" + (icon ? icon : "(none)");
}

class Display : public Headless {};

TEST_F(Display, NewOpensTheStartModeWithCaptionOnce) {
  ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  SDLDPY* display = SDLDPYNew();
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(SDLDPYCurrent, display);
  ASSERT_NE(SDLDPYSurface, nullptr);
  EXPECT_EQ(SDLDPYSurface, SDL_GetVideoSurface());
  EXPECT_EQ(display->width, 256);
  EXPECT_EQ(display->height, 256);
  EXPECT_EQ(display->depth, SDLDPYSurface->format->BitsPerPixel);
  EXPECT_EQ(SDLDPYSurface->w, 256);
  EXPECT_EQ(Caption(), "KESTREL8/KESTREL8");
  EXPECT_EQ(SDLDPYVideoFlags, SDLDPYBuildFlags);
  EXPECT_EQ(SDLDPYDoubleBuffered, 0);

  // A second New hands back the same display without opening another mode: the caption
  // and the screen contents stay as they were.
  SDL_WM_SetCaption("other", "other");
  FillScreen(0x123456);
  void* pixels = SDLDPYSurface->pixels;
  std::string printed = Printed([&] { EXPECT_EQ(SDLDPYNew(), display); });
  EXPECT_EQ(printed, "SDLDPY error\n");
  EXPECT_EQ(Caption(), "other/other");
  EXPECT_EQ(SDLDPYSurface->pixels, pixels);
  EXPECT_EQ(ScreenPixel(10, 10), OnScreen(0x123456));
}

TEST_F(Display, SetModeChangesSizeAndRefusesBadSizes) {
  SDLDPY* display = OpenDisplay();
  SDL_WM_SetCaption("other", "other");
  SDLDPYSetMode(display, 320, 200);
  ASSERT_NE(SDLDPYSurface, nullptr);
  EXPECT_EQ(display->width, 320);
  EXPECT_EQ(display->height, 200);
  EXPECT_EQ(SDLDPYSurface->w, 320);
  EXPECT_EQ(SDLDPYSurface->h, 200);
  EXPECT_EQ(Caption(), "KESTREL8/KESTREL8");

  SDL_Surface* screen = SDLDPYSurface;
  for (auto [w, h] : {std::pair{-1, 10}, {10, -1}, {100000, 10}, {10, 70000}}) {
    std::string printed = Printed([&] { SDLDPYSetMode(display, w, h); });
    EXPECT_EQ(printed, "SDLDPY error\n") << w << "x" << h;
    EXPECT_EQ(display->width, 320);
    EXPECT_EQ(display->height, 200);
    EXPECT_EQ(SDLDPYSurface, screen);
    EXPECT_EQ(SDLDPYSurface->w, 320);
  }
  SDLDPY stranger = *display;
  EXPECT_EQ(Printed([&] { SDLDPYSetMode(&stranger, 64, 64); }), "SDLDPY error\n");
  EXPECT_EQ(Printed([] { SDLDPYSetMode(nullptr, 64, 64); }), "SDLDPY error\n");
  EXPECT_EQ(SDLDPYSurface->w, 320);
}

TEST_F(Display, ReportsAreSilentUnlessSwitchedOn) {
  ::testing::internal::CaptureStdout();
  SDLDPYSetMode(nullptr, 1, 1);
  SDLDPYShowIMG(nullptr, nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

// Every driver of either SDL 1.2 library presents the screen surface's own memory, so that
// memory, read back after a present, is the frame the window shows: it must be the image,
// pixel for pixel, whichever of the three presents drew it.
TEST_F(Display, EveryPresentLeavesTheImageOnTheScreen) {
  SDLDPY* display = OpenDisplay();
  ASSERT_EQ(display->depth, 32);
  IMG* image = PatternIMG(256, 256);
  using Present = void (*)(SDLDPY*, const IMG*);
  for (auto [name, present] : {std::pair<const char*, Present>{"Show", SDLDPYShowIMG},
                               {"Flip", SDLDPYFlipIMG},
                               {"Copy", SDLDPYCopyIMG}}) {
    FillScreen(0xABCDEF);
    EXPECT_EQ(Printed([&] { present(display, image); }), "") << name;
    int wrong = 0;
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) wrong += ScreenPixel(x, y) != PatternAt(x, y);
    EXPECT_EQ(wrong, 0) << name << " left pixels that are not the image's";
  }
  // The image keeps its own pixels, top bytes included.
  EXPECT_EQ(image->pixels[255 + 255 * 256], 0xFF000000u | PatternAt(255, 255));
  IMGFree(&image);
}

TEST_F(Display, ShowSmallerImageDrawsOnlyTheTopLeftCorner) {
  SDLDPY* display = OpenDisplay();
  SDLDPYSetMode(display, 8, 6);
  IMG* image = PatternIMG(3, 2);
  FillScreen(0xABCDEF);
  SDLDPYShowIMG(display, image);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(ScreenPixel(x, y), x < 3 && y < 2 ? OnScreen(PatternAt(x, y)) : OnScreen(0xABCDEF))
          << x << "," << y;
  IMGFree(&image);
}

TEST_F(Display, ShowLargerImageTakesRowsFromTheImage) {
  SDLDPY* display = OpenDisplay();
  SDLDPYSetMode(display, 8, 6);
  IMG* image = PatternIMG(13, 9);
  SDLDPYShowIMG(display, image);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(ScreenPixel(x, y), OnScreen(PatternAt(x, y))) << x << "," << y;
  IMGFree(&image);
}

TEST_F(Display, ShowConvertsToTheScreensDepthAndOnlyShowCanDoThat) {
  constexpr uint32_t kColours[] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                   0xFFFFFF, 0xFFFF00, 0x00FFFF, 0xFF00FF};
  if (k8test::OnSDL12Compat())
    GTEST_SKIP() << "sdl12-compat's dummy screen always has the 32 bits of SDL2's desktop";
  // (Not 8 bits: SDL 1.2's own 32-to-8-bit conversion repeats the first pixel there.)
  for (int bpp : {16, 24}) {
    SDLDPY* display = OpenDisplay(bpp);
    SDLDPYSetMode(display, 8, 6);
    ASSERT_NE(SDLDPYSurface, nullptr);
    EXPECT_EQ(display->depth, bpp);
    IMG* image = IMGNew();
    IMGResize(image, 8, 6);
    for (int32_t i = 0; i < 48; ++i) image->pixels[i] = 0x7F000000u | kColours[(i + i / 8) % 8];
    SDLDPYShowIMG(display, image);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 8; ++x)
        EXPECT_EQ(ScreenPixel(x, y), OnScreen(kColours[(x + y * 8 + y) % 8]))
            << bpp << " bits at " << x << "," << y;

    // Flip and Copy hand the words over unconverted: refused on a screen of another depth.
    FillScreen(0x00FF00);
    EXPECT_EQ(Printed([&] { SDLDPYFlipIMG(display, image); }), "SDLDPY error\n");
    EXPECT_EQ(Printed([&] { SDLDPYCopyIMG(display, image); }), "SDLDPY error\n");
    EXPECT_EQ(ScreenPixel(7, 5), OnScreen(0x00FF00));
    IMGFree(&image);
    SDLDPYFree(&display);
    SDL_Quit();
  }
}

TEST_F(Display, ShowRefusesMisuseAndDrawsNothing) {
  SDLDPY* display = OpenDisplay();
  SDLDPYSetMode(display, 8, 6);
  IMG* image = PatternIMG(8, 6);
  IMG empty = {8, 6, nullptr};
  SDLDPY stranger = *display;
  FillScreen(0xABCDEF);
  EXPECT_EQ(Printed([&] { SDLDPYShowIMG(nullptr, image); }), "SDLDPY error\n");
  EXPECT_EQ(Printed([&] { SDLDPYShowIMG(display, nullptr); }), "SDLDPY error\n");
  EXPECT_EQ(Printed([&] { SDLDPYShowIMG(display, &empty); }), "SDLDPY error\n");
  EXPECT_EQ(Printed([&] { SDLDPYShowIMG(&stranger, image); }), "SDLDPY error\n");
  EXPECT_EQ(ScreenPixel(0, 0), OnScreen(0xABCDEF));
  IMGFree(&image);
}

TEST_F(Display, FailedVideoLeavesNoScreenAndShowsNothing) {
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  SDLDPY* display = nullptr;
  EXPECT_EQ(Printed([&] { display = SDLDPYNew(); }), "SDLDPY error\n");
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(SDLDPYSurface, nullptr);
  EXPECT_EQ(display->width, 0);
  IMG* image = PatternIMG(4, 4);
  EXPECT_EQ(Printed([&] { SDLDPYShowIMG(display, image); }), "SDLDPY error\n");
  EXPECT_EQ(Printed([&] { SDLDPYCopyIMG(display, image); }), "SDLDPY error\n");

  // A later mode on a working driver brings the display back.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SDLDPYSetMode(display, 4, 4);
  ASSERT_NE(SDLDPYSurface, nullptr);
  EXPECT_EQ(SDLDPYSurface->w, 4);
  EXPECT_EQ(display->width, 4);
  EXPECT_EQ(Printed([&] { SDLDPYShowIMG(display, image); }), "");
  IMGFree(&image);
}

TEST_F(Display, VideoShutDownUnderTheDisplayIsNoScreen) {
  SDLDPY* display = OpenDisplay();
  IMG* image = PatternIMG(256, 256);
  // SDL frees its video surface here; the display must not touch it any more.
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  EXPECT_EQ(Printed([&] { SDLDPYShowIMG(display, image); }), "SDLDPY error\n");
  EXPECT_EQ(Printed([&] { SDLDPYFlipIMG(display, image); }), "SDLDPY error\n");

  // With the video subsystem down a mode brings it up again first; a failed driver keeps
  // the old size and depth.
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  SDLDPYSetMode(display, 64, 48);
  EXPECT_EQ(SDLDPYSurface, nullptr);
  EXPECT_EQ(display->width, 256);
  EXPECT_EQ(display->height, 256);
  EXPECT_EQ(display->depth, 32);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SDLDPYSetMode(display, 64, 48);
  ASSERT_NE(SDLDPYSurface, nullptr);
  EXPECT_EQ(SDLDPYSurface->w, 64);
  IMGFree(&image);
}

TEST_F(Display, FlipAndCopyNeedTheDisplaysExactSize) {
  SDLDPY* display = OpenDisplay();
  SDLDPYSetMode(display, 8, 6);
  IMG* exact = PatternIMG(8, 6);
  FillScreen(0xABCDEF);
  for (auto [w, h] : {std::pair{7, 6}, {8, 7}, {16, 12}, {4, 3}}) {
    IMG* wrong = PatternIMG(w, h);
    EXPECT_EQ(Printed([&] { SDLDPYFlipIMG(display, wrong); }), "SDLDPY error\n");
    EXPECT_EQ(Printed([&] { SDLDPYCopyIMG(display, wrong); }), "SDLDPY error\n");
    EXPECT_EQ(ScreenPixel(0, 0), OnScreen(0xABCDEF));
    IMGFree(&wrong);
  }
  void* pixels = SDLDPYSurface->pixels;
  EXPECT_EQ(Printed([&] { SDLDPYFlipIMG(display, exact); }), "");
  EXPECT_EQ(SDLDPYSurface->pixels, pixels) << "the screen keeps its own memory";
  IMGFree(&exact);
}

TEST_F(Display, ObjectConvention) {
  SDLDPY* display = OpenDisplay();
  SDLDPY stranger = *display;
  EXPECT_STREQ(SDLDPYToASCII(display), "");
  EXPECT_EQ(Printed([&] { EXPECT_EQ(SDLDPYToASCII(nullptr), nullptr); }), "SDLDPY error\n");
  EXPECT_EQ(SDLDPYToASCII(&stranger), nullptr);
  EXPECT_EQ(Printed([] { EXPECT_EQ(SDLDPYFromASCII(""), nullptr); }), "SDLDPY error\n");
  EXPECT_EQ(SDLDPYFromASCII(nullptr), nullptr);
  EXPECT_EQ(SDLDPYEqual(display, display), 1);
  EXPECT_EQ(Printed([&] { EXPECT_EQ(SDLDPYEqual(display, &stranger), 0); }), "SDLDPY error\n");
  EXPECT_EQ(SDLDPYEqual(display, nullptr), 0);
  EXPECT_EQ(SDLDPYEqual(nullptr, display), 0);
  EXPECT_EQ(SDLDPYEqual(&stranger, &stranger), 0);
  EXPECT_EQ(SDLDPYCopy(display), display);
  EXPECT_EQ(SDLDPYCopy(nullptr), nullptr);
  EXPECT_EQ(SDLDPYCopy(&stranger), nullptr);
}

TEST_F(Display, FreeEmptiesTheSlotAndRefusesStrangers) {
  SDLDPY* display = OpenDisplay();
  SDLDPY* copy = display;
  SDLDPY stranger = *display;
  SDLDPY* strangerHandle = &stranger;
  EXPECT_EQ(Printed([&] { SDLDPYFree(&strangerHandle); }), "SDLDPY error\n");
  EXPECT_EQ(strangerHandle, &stranger);
  EXPECT_EQ(Printed([] { SDLDPYFree(nullptr); }), "SDLDPY error\n");

  SDLDPYFree(&display);
  EXPECT_EQ(display, nullptr);
  EXPECT_EQ(SDLDPYCurrent, nullptr);
  EXPECT_EQ(SDLDPYSurface, nullptr);
  // The second handle now names a released record and is refused.
  EXPECT_EQ(Printed([&] { SDLDPYFree(&copy); }), "SDLDPY error\n");
  EXPECT_EQ(Printed([&] { EXPECT_EQ(SDLDPYFromASCII("x"), nullptr); }), "");

  SDLDPY* fresh = SDLDPYNew();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(SDLDPYCurrent, fresh);
  EXPECT_EQ(fresh->width, 256);
}

}  // namespace

// Start-up, shutdown, start-up failures, and memory that stays flat from one ring to the next.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>

#include "base/random.h"
#include "demo/demo.h"
#include "harness.h"
#include "platform/fps.h"

#if defined(__SANITIZE_ADDRESS__)
#define K8_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define K8_ASAN 1
#endif
#endif
#ifdef K8_ASAN
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);  // ASan's allocator
#endif

namespace {
size_t AllocatedBytes() {
#ifdef K8_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  // Chunks in the heap and chunks mapped on their own: where a block lands depends on
  // glibc's moving mmap threshold, not on whether it is still in use.
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}
}  // namespace

TEST(DemoStartUp, CreatesEveryObjectAndShutDownReleasesThemInTurn) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  DemoStartUp();
  EXPECT_EQ(DemoRandomState, 0xFACE5718u);  // seeded, nothing drawn yet
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(display->width, 256);
  EXPECT_EQ(SDLDPYVideoFlags, SDLDPYBuildFlags);  // the windowed build's flag word
  EXPECT_NE(SDLDPYSurface, nullptr);
  EXPECT_EQ(screenWidth, 256);
  EXPECT_EQ(screenHeight, 256);
  ASSERT_NE(keyboard, nullptr);
  EXPECT_EQ(keyboard->keys[0], 0);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->width, 256);
  EXPECT_EQ(screen->height, 256);
  ASSERT_NE(bytemap, nullptr);
  EXPECT_EQ(bytemap->width, 256);
  EXPECT_EQ(bytemap->height, 256);
  ASSERT_NE(palette, nullptr);
  ASSERT_EQ(palette->length, 256);
  for (int i : {0, 252, 253, 254, 255}) EXPECT_EQ(palette->items[i], 0x00FF00) << i;
  EXPECT_EQ(palette->items[41], 0x00FFF6);
  EXPECT_EQ(palette->items[42], 0x00FFFF);
  EXPECT_EQ(palette->items[126], 0xFF00FF);
  EXPECT_EQ(palette->items[251], 0x09FF00);
  ASSERT_NE(music, nullptr);
  ASSERT_EQ(music->instruments->count, 8);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(ARRAYGet(music->instruments, i), reinterpret_cast<intptr_t>(&MUSICClipTable.clip[i]));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->glyphWidth, 8);
  EXPECT_EQ(font->glyphHeight, 8);
  ASSERT_NE(font->sheet, nullptr);
  EXPECT_EQ(font->sheet->width, 128);
  EXPECT_EQ(font->sheet->height, 144);
  EXPECT_EQ(FPS.target, 50);
  EXPECT_EQ(exitRequest, 0);
  EXPECT_EQ(overlayFlags, 0);

  // The frame tail clears the key byte after acting on it.
  keyboard->keys[0] = 'x';
  FPSClock = [] { static uint32_t ms = 0; return ms += 20; };
  FPSSleep = [](uint32_t) {};
  DemoEndFrame();
  EXPECT_EQ(keyboard->keys[0], 0);
  EXPECT_EQ(exitRequest, 0);

  // The fade takes any picture to black.
  for (int i = 0; i < 256 * 256; ++i) screen->pixels[i] = 0xFFFFFFu;
  DemoFadeOut();
  int lit = 0;
  for (int i = 0; i < 256 * 256; ++i) lit += screen->pixels[i] != 0;
  EXPECT_EQ(lit, 0);

  DemoShutDown();
  EXPECT_EQ(font, nullptr);
  EXPECT_EQ(screen, nullptr);
  EXPECT_EQ(bytemap, nullptr);
  EXPECT_EQ(keyboard, nullptr);
  EXPECT_EQ(display, nullptr);
  EXPECT_EQ(sound, nullptr);
  EXPECT_NE(palette, nullptr);  // kept to the end of the process
  EXPECT_NE(music, nullptr);
  DemoReset();
  EXPECT_EQ(palette, nullptr);
  EXPECT_EQ(music, nullptr);
}

TEST(DemoStartUpDeathTest, StopsWithOneLineWhenTheVideoModeCannotOpen) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("SDL_VIDEODRIVER", "nonexistent", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        DemoStartUp();
        std::exit(0);
      },
      ::testing::ExitedWithCode(2),
      "^kestrel8: cannot (open the 256x256 video mode|create the display): [^\n]+\n$");
  EXPECT_EXIT(DemoFatal("allocate the texture table (1 MiB)", "out of memory"),
              ::testing::ExitedWithCode(2),
              "^kestrel8: cannot allocate the texture table \\(1 MiB\\): out of memory\n$");
}

TEST(DemoMemory, StaysFlatFromOneRingToTheNext) {
  // Two whole rings, every scene playing all its frames (scene 2 makes its tables in the
  // first): the bytes in use at the start of the second and of the third ring must match.
  // Then a second run, skipping through one ring, must leave nothing more behind than the
  // first: start-up and shutdown release what they make.
  size_t atRing[3] = {};
  DemoScript whole;
  whole.recordHashes = false;
  whole.Press(8, 0, SDLK_ESCAPE);
  whole.onFrame = [&](int visit, int frame) {
    if (frame == 0 && visit % 4 == 0) atRing[visit / 4] = AllocatedBytes();
  };
  DemoScript quick;
  quick.recordHashes = false;
  for (int v = 0; v < 4; ++v) quick.Press(v, 2, SDLK_SPACE);
  quick.Press(4, 0, SDLK_ESCAPE);
  const size_t before = AllocatedBytes();
  {
    DemoRunLog first = RunDemo(whole);
    ASSERT_EQ(first.SceneVisits(), 9);
    EXPECT_GT(first.frames, 2 * 5001);  // scene 2 alone runs 5001 frames in each ring
  }
  const size_t between = AllocatedBytes();
  {
    DemoRunLog second = RunDemo(quick);
    EXPECT_EQ(second.SceneVisits(), 5);
  }
  const size_t after = AllocatedBytes();
  EXPECT_NEAR(static_cast<double>(atRing[2]), static_cast<double>(atRing[1]), 1024.0);
  // A whole run (start-up to shutdown) leaves only scene 2's tables and the music's scratch
  // loop behind, made once; a second run adds nothing. The slack covers glibc counting the
  // chunks in its per-thread caches as in use; a lost screen, byte map or font sheet would
  // be 64 KiB or more.
  EXPECT_NEAR(static_cast<double>(after), static_cast<double>(between), 8192.0);
  EXPECT_GE(between + 4096, before);
}

// headless.h - fixture for the platform tests: SDL on its dummy video driver, and a clean
// slate (no display, keyboard or pointer, SDL shut down) after every test, since each
// module holds a single instance.
#pragma once
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/sdldpy.h"
#include "platform/sdlkbd.h"
#include "platform/sdlptr.h"

class Headless : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }
  void TearDown() override {
    SDLDPYReport = 0;
    SDLPTRReport = 0;
    if (SDLKBD* keyboard = SDLKBDCurrent) SDLKBDFree(&keyboard);
    if (SDLPTR* pointer = SDLPTRCurrent) SDLPTRFree(&pointer);
    if (SDLDPY* display = SDLDPYCurrent) SDLDPYFree(&display);
    SDL_Quit();
  }

  // Runs `action` with the reporters on and returns what it printed.
  template <typename Action>
  static std::string Printed(Action action) {
    SDLDPYReport = 1;
    SDLPTRReport = 1;
    ::testing::internal::CaptureStdout();
    action();
    std::string text = ::testing::internal::GetCapturedStdout();
    SDLDPYReport = 0;
    SDLPTRReport = 0;
    return text;
  }
};

/* Test shim for the end-to-end runs, preloaded into the real program.
 *
 * When the program has finished - its fade and its releases done - it keeps the window and
 * its last presented frame on the screen for a moment, so a test can photograph that frame
 * from the X server. The hold comes just before SDL closes the window (the program's final
 * SDL_Quit, which this shim wraps and then calls), or at exit when SDL_Quit is never called.
 * It touches the file named by K8_HOLD_MARKER to say it is holding, then sleeps
 * K8_HOLD_SECONDS (default 2). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static int held = 0;

static void Hold(void) {
  const char* marker = getenv("K8_HOLD_MARKER");
  const char* seconds = getenv("K8_HOLD_SECONDS");
  if (held) return;
  held = 1;
  if (marker != NULL) {
    FILE* f = fopen(marker, "w");
    if (f != NULL) fclose(f);
  }
  sleep(seconds != NULL ? (unsigned)atoi(seconds) : 2u);
}

void SDL_Quit(void) {
  void (*real)(void) = (void (*)(void))dlsym(RTLD_NEXT, "SDL_Quit");
  Hold();
  if (real != NULL) real();
}

__attribute__((constructor)) static void InstallHold(void) { atexit(Hold); }

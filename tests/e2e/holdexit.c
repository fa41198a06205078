/* Test shim for the end-to-end runs, preloaded into the real program.
 *
 * When the program has finished (main returned, so the fade and the releases are done), it
 * keeps the process - and with it the window and its last presented frame - alive for a
 * moment, so a test can photograph that frame from the X server. It touches the file named
 * by K8_HOLD_MARKER to say it is holding, then sleeps K8_HOLD_SECONDS (default 2). */
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static void HoldAtExit(void) {
  const char* marker = getenv("K8_HOLD_MARKER");
  const char* seconds = getenv("K8_HOLD_SECONDS");
  if (marker != NULL) {
    FILE* f = fopen(marker, "w");
    if (f != NULL) fclose(f);
  }
  sleep(seconds != NULL ? (unsigned)atoi(seconds) : 2u);
}

__attribute__((constructor)) static void InstallHold(void) { atexit(HoldAtExit); }

/* winkeys.c - a Windows test helper run under Wine beside KESTREL8: waits for the program's
 * window and types keys into it the way Windows delivers them (posted WM_KEYDOWN and WM_KEYUP
 * messages), so that it works without an X display and without a window manager's focus.
 *
 * Usage: winkeys.exe STEP...
 *   wait         wait up to 30 s for a top-level window captioned "KESTREL8" (again: check
 *                that it is still there)
 *   sleep:MS     sleep MS milliseconds
 *   key:C        press and release the key of character C (a letter or digit)
 *   key:space    the same with the space bar
 * Exit status 0 when every step worked; otherwise a line on standard error and status 1. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HWND window;

static int Fail(const char* what) {
  fprintf(stderr, "winkeys: %s\n", what);
  return 1;
}

static int Wait(void) {
  for (int i = 0; i < 300; ++i) {
    window = FindWindowA(NULL, "KESTREL8");
    if (window) return 0;
    Sleep(100);
  }
  return Fail("no window captioned KESTREL8 within 30 s");
}

static int Key(char c) {
  if (!window) return Fail("key: no window");
  const SHORT vk = VkKeyScanA(c);
  if (vk == -1) return Fail("key: a character without a key");
  const UINT code = LOBYTE(vk), scan = MapVirtualKeyA(code, MAPVK_VK_TO_VSC);
  if (!PostMessageA(window, WM_KEYDOWN, code, 1 | (LPARAM)scan << 16) ||
      (Sleep(60), !PostMessageA(window, WM_KEYUP, code, 1 | (LPARAM)scan << 16 | 3u << 30)))
    return Fail("key: the window took no message");
  return 0;
}

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* step = argv[i];
    int failed;
    if (strcmp(step, "wait") == 0)
      failed = Wait();
    else if (strncmp(step, "sleep:", 6) == 0)
      Sleep((DWORD)strtoul(step + 6, NULL, 10)), failed = 0;
    else if (strcmp(step, "key:space") == 0)
      failed = Key(' ');
    else if (strncmp(step, "key:", 4) == 0 && strlen(step) == 5)
      failed = Key(step[4]);
    else
      failed = Fail("unknown step (see the comment at the top of winkeys.c)");
    if (failed) return 1;
  }
  return 0;
}

// console.cpp - Windows only: the program's standard output and error reach the console it
// was started from.
//
// The programs are built for Windows' GUI subsystem, so a double-click opens no console window.
// Such a program started from a command prompt has no standard handles at all, and the module
// reporters' lines would vanish; so, before main, a stream without a usable handle is joined
// to the console of the starting process, if it has one. A stream that already goes somewhere
// (redirected to a file or a pipe, or Wine's Unix terminal) is left alone, and so is a program
// started without a console (a double-click): then nothing is opened.
#include <windows.h>

#include <cstdio>

namespace {

bool Usable(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

struct StarterConsole {
  StarterConsole() {
    const bool out = Usable(STD_OUTPUT_HANDLE), err = Usable(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!out && std::freopen("CONOUT$", "w", stdout)) std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (!err && std::freopen("CONOUT$", "w", stderr)) std::setvbuf(stderr, nullptr, _IONBF, 0);
  }
};

const StarterConsole starterConsole;

}  // namespace

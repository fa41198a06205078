#!/usr/bin/env bash
# Installs what is missing, builds the one program it is asked to run, and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
me="tools/run.sh"

usage() {
  cat <<'TEXT'
Usage: tools/run.sh [fullscreen] [--scale N] [--help]
Installs what building and running needs (compiler, CMake, SDL 1.2), builds the demo
and starts it. Quit it with Escape or q.
  fullscreen   start the full-screen build instead of the windowed one
  --scale N    show every pixel of the window as N x N (N from 1 to 16) instead of the
               size chosen for the screen; needs sdl12-compat (SDL 1.2 over SDL2, Debian
               package libsdl1.2-compat), which is used when it is installed, also beside
               the classic SDL 1.2
  --help       this text
The build goes to ./build-run (or $K8_RUN_BUILD_DIR), without tests or benchmarks.
TEXT
}

bad_usage() {
  echo "$me: $1" >&2
  echo "Usage: tools/run.sh [fullscreen] [--scale N] [--help]" >&2
  exit 2
}

program=kestrel8
scale=""
while (($# > 0)); do
  case "$1" in
    -h | --help) usage; exit 0 ;;
    fullscreen) program=kestrel8-fullscreen ;;
    --scale)
      (($# >= 2)) || bad_usage "--scale needs a number"
      scale="$2"
      shift ;;
    --scale=*) scale="${1#--scale=}" ;;
    *) bad_usage "unknown argument '$1'" ;;
  esac
  shift
done
if [[ -n "$scale" ]] && ! [[ "$scale" =~ ^[1-9][0-9]?$ && "$scale" -le 16 ]]; then
  bad_usage "--scale takes a whole number from 1 to 16, not '$scale'"
fi

"$root/tools/setup.sh"

# A build of its own, the program preset's (CMakePresets.json): without the tests and
# benchmarks, whose libraries only `tools/setup.sh --test` installs. Only the chosen program
# is built.
build="${K8_RUN_BUILD_DIR:-$root/build-run}"
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  echo "Configuring the build in $build"
  mkdir -p "$build"
  cmake -S "$root" --preset program -B "$build" > "$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 1; }
fi
echo "Building $program"
cmake --build "$build" --target "$program" -j"$(nproc 2>/dev/null || echo 2)"
binary="$build/demo/$program"

# The SDL 1.2 the program loads, and whether it is sdl12-compat (its library names itself).
is_compat() { [[ -n "$1" && -f "$1" ]] && grep -qa 'sdl12-compat' "$1"; }
loaded_sdl() { ldd "$binary" | awk '$1 ~ /^libSDL-1\.2\.so/ { print $3; exit }'; }

if [[ -n "$scale" ]]; then
  sdl="$(loaded_sdl)"
  if ! is_compat "$sdl"; then
    # Debian installs sdl12-compat's library in a directory of its own beside the classic one.
    beside="$(dirname "${sdl:-/nonexistent}")/sdl12-compat"
    if is_compat "$beside/libSDL-1.2.so.0"; then
      export LD_LIBRARY_PATH="$beside${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
      sdl="$beside/libSDL-1.2.so.0"
    else
      echo "$me: cannot scale: the installed SDL 1.2 (${sdl:-not found}) is the classic library," \
        "which always shows 256 x 256 screen pixels. Scaling needs sdl12-compat:" \
        "install the Debian package libsdl1.2-compat and run this again." >&2
      exit 1
    fi
  fi
  echo "Showing each pixel as $scale x $scale with sdl12-compat ($sdl)"
  export SDL12COMPAT_WINDOW_SCALING="$scale"
fi
# Otherwise the program itself picks the window's size for the screen and keeps its pixels
# sharp on sdl12-compat, as it does started from the menu or a terminal.
exec "$binary"

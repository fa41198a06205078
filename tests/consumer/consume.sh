#!/usr/bin/env bash
# The libraries as another project uses them: the build installed into a temporary prefix, and
# examples/caption.cpp built three ways (find_package(KESTREL8), pkg-config, and the source
# tree taken in by add_subdirectory), each then run on a real picture and on bad input; and the
# platform library linked and opened without the program defining a video flag word.
# Usage: consume.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
root="$1" build="$2"
jobs="$(nproc 2>/dev/null || echo 2)"
fail() { echo "FAIL: $*" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
quiet() {  # quiet LOG COMMAND...: the command's output only when it fails
  local log="$1"; shift
  "$@" > "$log" 2>&1 || { cat "$log" >&2; fail "$* failed"; }
}

quiet "$work/install.log" cmake --install "$build" --prefix "$work/prefix"
pcdir="$(dirname "$(find "$work/prefix" -name kestrel8.pc)")"
quiet "$work/find_package.log" cmake -S "$root/examples" -B "$work/find_package" \
  -DCMAKE_PREFIX_PATH="$work/prefix"
quiet "$work/find_package.build.log" cmake --build "$work/find_package"
mkdir -p "$work/pkg-config"
# shellcheck disable=SC2046 # pkg-config's flags are meant to be split
g++ -Wall -Wextra -Werror -o "$work/pkg-config/caption" "$root/examples/caption.cpp" \
  $(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs kestrel8)
# The platform library's own video flag word is the windowed one.
printf '%s\n' '#include <kestrel8/platform/sdldpy.h>' \
  'int main() { SDLDPY* d = SDLDPYNew(); if (!d) return 2; SDLDPYFree(&d);' \
  '  return SDLDPYBuildFlags == 0x10000001u ? 0 : 1; }' > "$work/platform.cpp"
# shellcheck disable=SC2046
g++ -Wall -Wextra -Werror -o "$work/platform" "$work/platform.cpp" \
  $(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs kestrel8-platform)
SDL_VIDEODRIVER=dummy "$work/platform" || fail "the platform library's program gave $?"
mkdir -p "$work/subdir"
printf '%s\n' 'cmake_minimum_required(VERSION 3.20)' 'project(UsesKestrel8 LANGUAGES CXX)' \
  "add_subdirectory(\"$root\" kestrel8)" "add_subdirectory(\"$root/examples\" examples)" \
  > "$work/subdir/CMakeLists.txt"
quiet "$work/subdir.log" cmake -S "$work/subdir" -B "$work/subdir/build"
quiet "$work/subdir.build.log" cmake --build "$work/subdir/build" --target caption -j"$jobs"

pngtopnm "$root/docs/scene2.png" > "$work/scene2.ppm"
for caption in "$work/find_package/caption" "$work/pkg-config/caption" \
               "$work/subdir/build/examples/caption"; do
  "$caption" --help > /dev/null
  "$caption" --scale 50 --rotate 30 --text "Hello, KESTREL8" "$work/scene2.ppm" "$work/out.ppm"
  # 256 x 256 scaled to 128 x 128, turned into a picture 1.414 times as large.
  [[ "$(head -c 11 "$work/out.ppm")" == $'P6\n180 180' ]] ||
    fail "$caption: unexpected output $(head -c 16 "$work/out.ppm" | od -c)"
  status=0; "$caption" "$work/missing.ppm" "$work/x.ppm" 2> "$work/err" || status=$?
  [[ $status == 1 && -s "$work/err" ]] || fail "$caption: missing file gave $status"
  status=0; "$caption" --scale 0 a b 2> "$work/err" || status=$?
  [[ $status == 2 && -s "$work/err" ]] || fail "$caption: bad option gave $status"
  echo "${caption#"$work/"}: ok"
done

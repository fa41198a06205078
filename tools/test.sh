#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, headless SDL and the
# end-to-end runs of both programs under Xvfb).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  cat <<'TEXT'
Usage: tools/test.sh [--preset NAME] [--sdl12-compat] [--help] [-- CTEST ARGUMENT...]
Installs the Debian packages the tests need when they are missing (tools/setup.sh --test
--bench), configures and builds with the CMake preset NAME (default: default, into ./build;
tools/build.sh) and runs its tests with ctest's test preset of the same name.
  --preset NAME   another preset with tests: asan, tsan, lsan, web, windows (the windows
                  preset takes SDL from the cache tools/windows.sh build fills)
  --sdl12-compat  run them with the programs and test executables loading sdl12-compat
                  (SDL 1.2 over SDL2) instead of the SDL 1.2 they were built against, without
                  rebuilding; fails unless sdl12-compat is really the library loaded
  --help          this text
Arguments after -- go to ctest, for example -- -L image or -- -R Font.
TEXT
}

compat=0
preset=default
ctest_args=()
while (($#)); do
  case "$1" in
    --sdl12-compat) compat=1 ;;
    --preset)
      [[ $# -ge 2 ]] || { echo "tools/test.sh: --preset needs a name" >&2; exit 2; }
      preset="$2"; shift ;;
    --preset=*) preset="${1#--preset=}" ;;
    --) shift; ctest_args=("$@"); break ;;
    -h | --help) usage; exit 0 ;;
    *) echo "tools/test.sh: unknown argument '$1'" >&2; usage | head -1 >&2; exit 2 ;;
  esac
  shift
done

# What the preset needs installed, and its build folder (CMakePresets.json).
case "$preset" in
  default) setup=(--test --bench) build="$root/build" ;;
  web) setup=(--web --test) build="$root/build-web/.build/web" ;;
  windows) setup=(--windows --test) build="$root/build-windows/.build/windows" ;;
  *) setup=(--test) build="$root/build-$preset" ;;
esac
"$root/tools/setup.sh" "${setup[@]}"
"$root/tools/build.sh" --preset "$preset"
[[ -f "$build/CTestTestfile.cmake" ]] || { echo "tools/test.sh: the $preset preset has no tests" >&2; exit 2; }
cd "$build"

if ((compat)); then
  fail() { echo "tools/test.sh: $*" >&2; exit 1; }
  # The SDL 1.2 an executable loads, and whether it is sdl12-compat (its library names itself).
  loaded_sdl() { ldd "$1" 2>/dev/null | awk '$1 ~ /^libSDL-1\.2\.so/ { print $3; exit }'; }
  is_compat() { [[ -n "$1" && -f "$1" ]] && grep -qa 'sdl12-compat' "$1"; }
  sdl="$(loaded_sdl demo/kestrel8)"
  if ! is_compat "$sdl"; then
    # Debian installs sdl12-compat's library in a directory of its own beside the classic one.
    beside="$(dirname "${sdl:-/nonexistent}")/sdl12-compat"
    is_compat "$beside/libSDL-1.2.so.0" ||
      fail "sdl12-compat is not installed beside ${sdl:-the SDL 1.2 in use} (Debian package libsdl1.2-compat)"
    export LD_LIBRARY_PATH="$beside${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
  fi
  # Every executable of the build that uses SDL must now resolve it to sdl12-compat, and the
  # programs and test programs must say so themselves when they start.
  users=()
  while IFS= read -r exe; do
    lib="$(loaded_sdl "$exe")"
    [[ -n "$lib" ]] || continue
    is_compat "$lib" || fail "$exe loads $lib, not sdl12-compat"
    users+=("$exe")
  done < <(find . -type f -perm -u+x ! -name '*.so*' ! -path '*/CMakeFiles/*' | sort)
  # What an executable printed on standard error when started with sdl12-compat's own log on.
  start_log() {
    SDL12COMPAT_DEBUG_LOGGING=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 2 "$@" \
      2>&1 >/dev/null </dev/null || true
  }
  said=""
  for exe in "${users[@]}"; do
    case "$exe" in
      ./tests/test_*) log="$(start_log "$exe" --gtest_list_tests)" ;;
      ./demo/*) log="$(start_log "$exe")" ;;
      *) continue ;;
    esac
    said="$(grep -m1 '^INFO: sdl12-compat' <<<"$log" || true)"
    [[ -n "$said" ]] || fail "$exe does not report sdl12-compat when it starts"
  done
  [[ -n "$said" ]] || fail "no program or test program of the build uses SDL"
  echo "sdl12-compat is the SDL 1.2 of all ${#users[@]} executables that use it" \
    "(LD_LIBRARY_PATH=${LD_LIBRARY_PATH:-}): ${said#INFO: }"
fi

cd "$root"
ctest --preset "$preset" -j"$(nproc 2>/dev/null || echo 2)" ${ctest_args[@]+"${ctest_args[@]}"}

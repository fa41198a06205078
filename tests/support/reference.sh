#!/usr/bin/env bash
# The reference every frame comparison checks against (reference.cmake): the desktop program's
# frame log (kestrel8-framelog) for the keys and mask of K8_FRAMELOG_KEYS and K8_FRAMELOG_MASK,
# on sdl12-compat's dummy driver, which gives a 32-bit screen to read back without a display.
# Usage: reference.sh PROGRAM OUT   the run; exits 77 (skipped) without sdl12-compat
#        reference.sh --build SOURCE_DIR
#                                   builds kestrel8-framelog in the program preset's folder
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
if [[ "$1" == --build ]]; then
  cd "$2"
  [[ -f build-run/CMakeCache.txt ]] || cmake --preset program > /dev/null
  exec cmake --build --preset program --target kestrel8-framelog -j"$(nproc 2>/dev/null || echo 2)"
fi
program="$1" out="$2"
[[ -n "${K8_FRAMELOG_KEYS:-}" && -n "${K8_FRAMELOG_MASK:-}" ]] ||
  fail "K8_FRAMELOG_KEYS and K8_FRAMELOG_MASK must be set"
compat=/usr/lib/x86_64-linux-gnu/sdl12-compat
[[ -e "$compat/libSDL-1.2.so.0" ]] ||
  { echo "skipped: sdl12-compat is missing (tools/setup.sh --test)"; exit 77; }
mkdir -p "$(dirname "$out")"
rm -f "$out"
status=0
LD_LIBRARY_PATH="$compat" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
  timeout 300 "$program" > "$out.part" 2> "$out.err" || status=$?
# The program's exit status is 1 by design.
[[ $status -eq 1 ]] || { cat "$out.err" >&2; fail "the desktop run ended with $status"; }
grep -q unreadable "$out.part" && fail "the desktop run had no 32-bit screen to read back"
mv "$out.part" "$out"
echo "$(grep -c '^present' "$out") presents logged in $out"

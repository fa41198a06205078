#!/usr/bin/env bash
# The reference every frame comparison checks against: the desktop program's frame log
# (kestrel8-framelog) for the shared key script, on sdl12-compat's dummy driver, which gives a
# 32-bit screen to read back without a display. Scene 2's panel shows the screen image's
# address (x < 64, rows 96 to 103), which no two processes share, so it is left out.
# Usage: reference.sh PROGRAM OUT [KEYS]   (KEYS in the key script's form; default: frames.keys)
# Exits 77 (skipped) without sdl12-compat, 1 when the run fails.
set -euo pipefail
program="$1" out="$2"
here="$(cd "$(dirname "$0")" && pwd)"
keys="${3:-$(grep -v '^#' "$here/frames.keys" | tr '\n' ' ')}"
compat=/usr/lib/x86_64-linux-gnu/sdl12-compat
[[ -e "$compat/libSDL-1.2.so.0" ]] ||
  { echo "skipped: sdl12-compat is missing (tools/setup.sh --test)"; exit 77; }
mkdir -p "$(dirname "$out")"
status=0
K8_FRAMELOG_KEYS="$keys" K8_FRAMELOG_MASK="${K8_FRAMELOG_MASK:-0,96,64,8}" \
  LD_LIBRARY_PATH="$compat" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
  timeout 300 "$program" > "$out" 2> "$out.err" || status=$?
# The program's exit status is 1 by design.
[[ $status -eq 1 ]] || { cat "$out.err" >&2; echo "FAIL: the desktop run ended with $status" >&2; exit 1; }
if grep -q unreadable "$out"; then
  echo "FAIL: the desktop run had no 32-bit screen to read back" >&2; exit 1
fi
echo "$(grep -c '^present' "$out") presents logged in $out"

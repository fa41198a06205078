#!/usr/bin/env bash
# The shipped Windows programs under Wine, as a person starts them from their folder:
#  1. without an X display (Wine's null graphics driver): each program opens its window,
#     keeps playing, quits on q with exit status 1, prints nothing, and writes no file beside
#     itself;
#  2. a bad video driver: one line "kestrel8: cannot ..." on standard error and status 2;
#  3. under Xvfb (Wine's X11 driver): a screenshot shows scene 1 in a 256 x 256 window, space
#     moves to scene 2, whose screenshot shows its many-coloured texture, and q quits with
#     status 1.
# Keys are typed by winkeys.exe, a Windows program run beside the demo.
# Usage: tests/windows/play.sh ZIP WINKEYS.EXE
#   ZIP holds one folder with kestrel8.exe, kestrel8-fullscreen.exe and SDL.dll; the test
#   skips (77) when there is none yet (tools/windows.sh build packs it).
#   WINEPREFIX must name a prepared 64-bit prefix (prefix.sh makes one).
#   K8_KEEP=DIR keeps the screenshots and the programs' output there; K8_SHOT=FILE keeps the
#   screenshot of scene 2.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/wine.bash"

zip="$1"
winkeys="$2"
[[ -f "$zip" ]] || { echo "skipped: no $zip (tools/windows.sh build packs it)"; exit 77; }
WORK="$(mktemp -d)"
XVFB_PID=""
cleanup() {
  [[ -n "${K8_KEEP:-}" ]] && cp -r "$WORK" "$K8_KEEP"
  wineserver -k 2>/dev/null || true
  [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

unzip -q "$zip" -d "$WORK/unzipped"
folder="$(find "$WORK/unzipped" -mindepth 1 -maxdepth 1 -type d)"
[[ -f "$folder/kestrel8.exe" && -f "$folder/SDL.dll" && -f "$winkeys" ]] ||
  { echo "usage: tests/windows/play.sh ZIP WINKEYS.EXE (the zip has no programs)" >&2; exit 2; }

listing() { (cd "$folder" && find . | LC_ALL=C sort); }
before="$(listing)"

# run_with_keys PROGRAM STEPS...: starts the program from its folder, then winkeys with the
# steps; waits for the program, which gets 60 s in all. Sets STATUS; its output is in $WORK/out, $WORK/err.
run_with_keys() {
  local program="$1"
  shift
  (cd "$folder" && exec timeout 60 "$WINE64" "$program" > "$WORK/out" 2> "$WORK/err") &
  local pid=$!
  "$WINE64" "$winkeys" "$@" || { kill "$pid" 2>/dev/null; wait "$pid" || true;
                                  cat "$WORK/err" >&2; fail "$program: the keys could not be typed"; }
  STATUS=0
  wait "$pid" || STATUS=$?
}

use_graphics null
for program in kestrel8.exe kestrel8-fullscreen.exe; do
  # It plays: the window is there at once and still there 3 seconds later.
  run_with_keys "$program" wait sleep:3000 wait key:q
  [[ $STATUS == 1 ]] || { cat "$WORK/err" >&2; fail "$program ended with status $STATUS, expected 1"; }
  [[ ! -s "$WORK/out" && ! -s "$WORK/err" ]] ||
    { cat "$WORK/out" "$WORK/err" >&2; fail "$program printed something on a normal run"; }
  [[ "$(listing)" == "$before" ]] ||
    fail "$program wrote files beside itself: $(diff <(echo "$before") <(listing) | grep '^>' | tr '\n' ' ')"
  echo "$program: started, played, quit on q with status 1, wrote nothing (no display)"
done

status=0
(cd "$folder" && SDL_VIDEODRIVER=none timeout 60 "$WINE64" kestrel8.exe > "$WORK/out" 2> "$WORK/err") ||
  status=$?
said="$(tr -d '\r' < "$WORK/err")"  # Windows' line ends
[[ $status == 2 && "$(wc -l < "$WORK/err")" == 1 && "$said" == "kestrel8: cannot "* ]] ||
  { cat "$WORK/err" >&2; fail "a failed start-up gave status $status and the lines above"; }
echo "kestrel8.exe: a failed start-up says \"$said\" and ends with status 2"

# Under Xvfb: the window shows the picture.
start_xvfb
use_graphics x11
(cd "$folder" && exec timeout 60 "$WINE64" kestrel8.exe > "$WORK/out" 2> "$WORK/err") &
pid=$!
"$WINE64" "$winkeys" wait sleep:2000 || fail "no window under Xvfb"
window=""
for _ in $(seq 50); do
  window="$(xdotool search --name '^KESTREL8$' 2>/dev/null | head -1 || true)"
  [[ -n "$window" ]] && break
  sleep 0.1
done
[[ -n "$window" ]] || fail "Wine's window is not on the X server"
colours() { ppmhist -noheader "$1" | wc -l; }
first="$(shot "$window" scene1)"
[[ "$(pnmfile "$first" | grep -Eo '[0-9]+ by [0-9]+')" == "256 by 256" ]] ||
  fail "the window is $(pnmfile "$first")"
# Scene 1 has drawn a few dozen rectangles in a handful of hues by now; scene 2's texture has
# hundreds of colours.
(($(colours "$first") >= 4)) || fail "scene 1 shows $(colours "$first") colours, not its picture"
"$WINE64" "$winkeys" wait key:space sleep:1500 || fail "space could not be typed under Xvfb"
second="$(shot "$window" scene2)"
(($(colours "$second") >= 64)) || fail "scene 2 shows $(colours "$second") colours, not its texture"
"$WINE64" "$winkeys" wait key:q || fail "q could not be typed under Xvfb"
status=0
wait "$pid" || status=$?
[[ $status == 1 ]] || { cat "$WORK/err" >&2; fail "under Xvfb the program ended with status $status"; }
[[ -n "${K8_SHOT:-}" ]] && cp "$second" "$K8_SHOT"
echo "kestrel8.exe under Xvfb: scene 1 in $(colours "$first") colours, space, scene 2 in" \
  "$(colours "$second"); q quit with status 1"

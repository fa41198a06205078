#!/usr/bin/env bash
# The windowed program in a real X server of today's size (1920 x 1080): a window captioned
# KESTREL8, the keys 8, space (through all four scenes) and q, a black last frame and exit
# status 1. The classic SDL 1.2 shows the window at 256 x 256; sdl12-compat enlarges it to the
# largest whole factor within four fifths of the screen's height, 3 (768 x 768), keeping every
# pixel sharp, unless the viewer chose a factor and a scaling method, which hold.
source "$(dirname "$0")/lib.bash"
start_xvfb 1920x1080

window_side() {
  xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}

library="$(sdl_library "$KESTREL8")"
side=256
[[ "$library" == sdl12-compat ]] && side=768

if [[ "$library" == sdl12-compat ]]; then
  # The viewer's own choice: twice the size, smoothed.
  SDL12COMPAT_WINDOW_SCALING=2 SDL12COMPAT_SCALE_METHOD=linear launch "$KESTREL8"
  [[ "$(window_side "$WINDOW")" == 512x512 ]] ||
    fail "with SDL12COMPAT_WINDOW_SCALING=2 the window is $(window_side "$WINDOW"), not 512x512"
  sleep 1.5
  photo="$(shot "$WINDOW" chosen)"
  sample_back "$photo" "$WORK/chosen-sampled.ppm"
  blended "$photo" "$WORK/chosen-sampled.ppm" ||
    fail "with SDL12COMPAT_SCALE_METHOD=linear the window shows no blended edges"
  kill -9 "$PROGRAM_PID"
  wait "$PROGRAM_PID" 2>/dev/null || true
  PROGRAM_PID=""
  # Its window gone, so that the next search finds the next program's.
  for _ in $(seq 50); do
    [[ -z "$(xdotool search --name '^KESTREL8$' 2>/dev/null)" ]] && break
    sleep 0.1
  done
fi

launch "$KESTREL8"
[[ "$(window_side "$WINDOW")" == "${side}x${side}" ]] ||
  fail "on $library the window is $(window_side "$WINDOW"), not ${side}x${side}"
play_through "$WINDOW"
echo "windowed: ok ($library, ${side} x ${side})"

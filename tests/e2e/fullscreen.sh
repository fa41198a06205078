#!/usr/bin/env bash
# The full-screen program on a 1920 x 1080 X screen with a window manager: the same run as the
# windowed one, photographed from the whole screen. sdl12-compat fills the screen's height with
# the picture, aspect kept, centred between black bars, each pixel enlarged without blending;
# the classic SDL 1.2, which has no 256 x 256 mode to switch this screen to, shows the picture
# at its own size in the middle of the black screen.
source "$(dirname "$0")/lib.bash"
width=1920
height=1080
start_xvfb "${width}x${height}"
start_window_manager

library="$(sdl_library "$KESTREL8_FULLSCREEN")"
if [[ "$library" == sdl12-compat ]]; then
  FRAME_BOX="$(((width - height) / 2)) 0 $height"
else
  FRAME_BOX="$(((width - 256) / 2)) $(((height - 256) / 2)) 256"
fi
launch "$KESTREL8_FULLSCREEN"
# On sdl12-compat the window manager lays the program's window over the whole screen, which
# a loaded machine may take a moment to do. (The classic library covers the screen with a
# window of its own, without the window manager.)
covers_screen() {
  local id
  for id in $(xdotool search --name '^KESTREL8$' 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | awk -v w="$width" -v h="$height" '
      /Width:/ { ww = $2 } /Height:/ { hh = $2 } END { exit !(ww == w && hh == h) }' && return 0
  done
  return 1
}
if [[ "$library" == sdl12-compat ]]; then
  for _ in $(seq 150); do
    covers_screen && break
    sleep 0.1
  done
  covers_screen || fail "no window of the program covers the ${width} x ${height} screen"
fi
play_through root
echo "fullscreen: ok ($library, the picture at (left top side) $FRAME_BOX)"

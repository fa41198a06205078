#!/usr/bin/env bash
# The full-screen program on a 256 x 256 X screen: the same run as the windowed one,
# photographed from the whole screen.
source "$(dirname "$0")/lib.bash"
start_xvfb 256x256
start_program "$KESTREL8_FULLSCREEN"
find_window > /dev/null
play_through root
echo "fullscreen: ok"

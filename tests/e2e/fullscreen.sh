#!/usr/bin/env bash
# The full-screen program on a 256 x 256 X screen: the same run as the windowed one,
# photographed from the whole screen.
source "$(dirname "$0")/lib.bash"
start_xvfb 256x256
launch "$KESTREL8_FULLSCREEN"
play_through root
echo "fullscreen: ok"

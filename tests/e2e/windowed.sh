#!/usr/bin/env bash
# The windowed program in a real X server: a 256 x 256 window captioned KESTREL8, the keys
# 8, space (through all four scenes) and q, a black last frame and exit status 1.
source "$(dirname "$0")/lib.bash"
start_xvfb 640x480
launch "$KESTREL8"
play_through "$WINDOW"
echo "windowed: ok"

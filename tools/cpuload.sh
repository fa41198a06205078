#!/usr/bin/env bash
# Measures the demo's CPU use at its 50 frames per second: runs the windowed program in a
# private X server (dummy sound) for N seconds (default 60) and prints the share of one core
# it used, from the process's own user and system time.
#   tools/cpuload.sh [seconds] [program]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
program="${2:-${K8_BUILD_DIR:-$root/build}/demo/kestrel8}"

display=":$((700 + $$ % 200))"
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
trap 'kill -9 ${pid:-} 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
sleep 1
DISPLAY="$display" SDL_AUDIODRIVER=dummy "$program" > /dev/null 2>&1 &
pid=$!
sleep "$seconds"
# Fields 14 and 15 of /proc/PID/stat: user and system time in clock ticks.
read -r utime stime < <(awk '{print $14, $15}' "/proc/$pid/stat")
hz=$(getconf CLK_TCK)
awk -v u="$utime" -v s="$stime" -v hz="$hz" -v t="$seconds" \
  'BEGIN { printf "CPU over %d s: user %.2f s, system %.2f s, %.1f%% of one core\n", t, u/hz, s/hz, 100*(u+s)/hz/t }'

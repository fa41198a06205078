#!/usr/bin/env bash
# Measures the demo's CPU use at its 50 frames per second: runs the windowed program in a
# private X server (dummy sound) for N seconds (default 60) and prints the share of one core
# it used, from the process's own user and system time.
#   tools/cpuload.sh [SECONDS] [PROGRAM]     (tools/cpuload.sh --help for more)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  cat <<'TEXT'
Usage: tools/cpuload.sh [SECONDS] [PROGRAM]
Runs PROGRAM (default build/demo/kestrel8, or $K8_BUILD_DIR/demo/kestrel8) in a private
X server with dummy sound for SECONDS (1 to 3600, default 60) and prints the share of one
CPU core it used. Needs Xvfb (tools/setup.sh --test installs it).
TEXT
}
# A refusal: what was wrong, the usage line, status 2.
refuse() {
  echo "tools/cpuload.sh: $*" >&2
  usage | head -1 >&2
  exit 2
}

args=()
for arg in "$@"; do
  case "$arg" in
    -h | --help) usage; exit 0 ;;
    -*) refuse "unknown option '$arg'" ;;
    *) args+=("$arg") ;;
  esac
done
if ((${#args[@]} > 2)); then
  refuse "too many arguments"
fi
seconds="${args[0]:-60}"
program="${args[1]:-${K8_BUILD_DIR:-$root/build}/demo/kestrel8}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || ((10#$seconds < 1 || 10#$seconds > 3600)); then
  refuse "SECONDS must be a whole number from 1 to 3600, not '$seconds'"
fi
seconds=$((10#$seconds))
if [[ ! -x "$program" ]]; then
  echo "tools/cpuload.sh: no program at $program; build it first with tools/build.sh" >&2
  exit 1
fi
if ! command -v Xvfb > /dev/null; then
  echo "tools/cpuload.sh: Xvfb is missing; install it with tools/setup.sh --test" >&2
  exit 1
fi

display=":$((700 + $$ % 200))"
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
trap 'kill -9 ${pid:-} 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
sleep 1
DISPLAY="$display" SDL_AUDIODRIVER=dummy "$program" > /dev/null 2>&1 &
pid=$!
sleep "$seconds"
if ! kill -0 "$pid" 2>/dev/null; then
  echo "tools/cpuload.sh: $program stopped before $seconds s were up; nothing measured" >&2
  exit 1
fi
# Fields 14 and 15 of /proc/PID/stat: user and system time in clock ticks.
read -r utime stime < <(awk '{print $14, $15}' "/proc/$pid/stat")
hz=$(getconf CLK_TCK)
awk -v u="$utime" -v s="$stime" -v hz="$hz" -v t="$seconds" \
  'BEGIN { printf "CPU over %d s: user %.2f s, system %.2f s, %.1f%% of one core\n", t, u/hz, s/hz, 100*(u+s)/hz/t }'

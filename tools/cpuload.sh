#!/usr/bin/env bash
# Measures the demo's CPU use at its 50 frames per second: runs the windowed program in a
# private X server (dummy sound) for N seconds (default 60) and prints the share of one core
# it used, from the process's own user and system time; with --scenes, that share for each of
# the four scenes in turn.
#   tools/cpuload.sh [--scenes] [SECONDS] [PROGRAM]     (tools/cpuload.sh --help for more)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  cat <<'TEXT'
Usage: tools/cpuload.sh [--scenes] [SECONDS] [PROGRAM]
Runs PROGRAM (default build/demo/kestrel8, the default preset's) in a private X server
with dummy sound for SECONDS (1 to 3600, default 60) and prints the share of one
CPU core it used. Needs Xvfb (tools/setup.sh --test installs it).
  --scenes  measure each of the four scenes for SECONDS instead (default 10), after its
            opening fade, moving on with the space key; prints one line per scene, with the
            load average beside it. Needs xdotool too (tools/setup.sh --test).
TEXT
}
# A refusal: what was wrong, the usage line, status 2.
refuse() {
  echo "tools/cpuload.sh: $*" >&2
  usage | head -1 >&2
  exit 2
}

args=()
scenes=0
for arg in "$@"; do
  case "$arg" in
    -h | --help) usage; exit 0 ;;
    --scenes) scenes=1 ;;
    -*) refuse "unknown option '$arg'" ;;
    *) args+=("$arg") ;;
  esac
done
if ((${#args[@]} > 2)); then
  refuse "too many arguments"
fi
seconds="${args[0]:-$((scenes ? 10 : 60))}"
program="${args[1]:-$root/build/demo/kestrel8}"
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

if ((scenes)) && ! command -v xdotool > /dev/null; then
  echo "tools/cpuload.sh: xdotool is missing; install it with tools/setup.sh --test" >&2
  exit 1
fi

display=":$((700 + $$ % 200))"
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
trap 'kill -9 ${pid:-} 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
export DISPLAY="$display"
sleep 1
SDL_AUDIODRIVER=dummy "$program" > /dev/null 2>&1 &
pid=$!
hz=$(getconf CLK_TCK)

# The process's user and system time so far, in clock ticks (fields 14 and 15 of its stat).
ticks() { awk '{print $14, $15}' "/proc/$pid/stat"; }
alive_after() {  # alive_after WHAT: refuses when the program has ended
  kill -0 "$pid" 2>/dev/null && return 0
  echo "tools/cpuload.sh: $program stopped before $1; nothing measured" >&2
  exit 1
}

if ((!scenes)); then
  sleep "$seconds"
  alive_after "$seconds s were up"
  read -r utime stime < <(ticks)
  awk -v u="$utime" -v s="$stime" -v hz="$hz" -v t="$seconds" \
    'BEGIN { printf "CPU over %d s: user %.2f s, system %.2f s, %.1f%% of one core\n", t, u/hz, s/hz, 100*(u+s)/hz/t }'
  exit 0
fi

# Per scene: the keys go to the window under the pointer (there is no window manager).
window=""
for _ in $(seq 150); do
  window=$(xdotool search --name '^KESTREL8$' 2> /dev/null | head -1 || true)
  [[ -n "$window" ]] && break
  alive_after "it showed its window"
  sleep 0.1
done
if [[ -z "$window" ]]; then
  echo "tools/cpuload.sh: no window captioned KESTREL8 after 15 s" >&2
  exit 1
fi
xdotool mousemove --window "$window" 128 128
echo "desktop: CPU per scene, $seconds s each (load: 1, 5, 15 min)"
for scene in 1 2 3 4; do
  if ((scene > 1)); then
    # Held for a few frames: the program polls its events once per frame.
    xdotool keydown space; sleep 0.15; xdotool keyup space
  fi
  sleep 1.5  # the scene's opening fade
  read -r u0 s0 < <(ticks)
  start=$(date +%s.%N)
  sleep "$seconds"
  alive_after "scene $scene was measured"
  read -r u1 s1 < <(ticks)
  awk -v u="$((u1 - u0))" -v s="$((s1 - s0))" -v hz="$hz" -v t0="$start" -v t1="$(date +%s.%N)" \
    -v n="$scene" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" \
    'BEGIN { printf "desktop scene %d: %.1f%% of one core (user %.2f s, system %.2f s" \
                    " over %.2f s; load %s)\n", n, 100*(u+s)/hz/(t1-t0), u/hz, s/hz, t1-t0, load }'
done

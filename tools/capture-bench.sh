#!/usr/bin/env bash
# Measures kestrel8-capture: the whole show recorded to the master (.mkv) and to the sharing
# form (.mp4), each as show time / wall time. A benchmark, not a test: nothing is asserted.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  cat <<'TEXT'
Usage: tools/capture-bench.sh [--runs N] [--help]
Builds kestrel8-capture (tools/build.sh, RelWithDebInfo), records the whole show to .mkv and
to .mp4 N times each (default 3) and prints, for each form, the show's length, the best and
median wall times and show time / wall time, with the machine's processors and load.
Needs ffmpeg (tools/setup.sh --capture).
TEXT
}
runs=3
while (($#)); do
  case "$1" in
    -h | --help) usage; exit 0 ;;
    --runs)
      [[ "${2:-}" =~ ^[1-9][0-9]*$ ]] || { echo "tools/capture-bench.sh: --runs wants a number" >&2; exit 2; }
      runs="$2"; shift ;;
    *) echo "tools/capture-bench.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
  shift
done

"$root/tools/setup.sh" --capture
"$root/tools/build.sh" kestrel8-capture > /dev/null
capture="$root/build/capture/kestrel8-capture"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
echo "processors: $(nproc); load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for form in mkv mp4; do
  times=()
  for ((i = 0; i < runs; i++)); do
    rm -f "$work/show.$form"
    start=$(now)
    "$capture" "$work/show.$form" 2> "$work/err" < /dev/null || { cat "$work/err" >&2; exit 1; }
    end=$(now)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')")
  done
  frames=$(ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets \
             -of csv=p=0 "$work/show.$form")
  show=$(awk -v f="$frames" 'BEGIN { print f / 50 }')
  sorted=($(printf '%s\n' "${times[@]}" | sort -g))
  best=${sorted[0]}
  median=${sorted[$((runs / 2))]}
  printf '%s: %d frames = %.1f s of show; wall best %.1f s, median %.1f s; %.1f x real time (best), %.1f x (median); %d MB\n' \
    "$form" "$frames" "$show" "$best" "$median" "$(awk -v s="$show" -v t="$best" 'BEGIN { print s / t }')" \
    "$(awk -v s="$show" -v t="$median" 'BEGIN { print s / t }')" "$(($(stat -c %s "$work/show.$form") / 1000000))"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

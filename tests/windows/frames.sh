#!/usr/bin/env bash
# The Windows program shows the same frames as the desktop program: compares the two
# frame logs ("present N HASH" lines, then "end N") of one scripted run, present for present,
# and fails on the first difference, naming its present. Windows' line ends are ignored.
# Usage: tests/windows/frames.sh DESKTOP_LOG WINDOWS_LOG
set -euo pipefail
[[ $# == 2 && -f "$1" && -f "$2" ]] ||
  { echo "usage: tests/windows/frames.sh DESKTOP_LOG WINDOWS_LOG" >&2; exit 2; }
min_presents=3000  # the key script plays all four scenes and scene 1 again

tr -d '\r' < "$2" | awk -v min="$min_presents" '
  function check(who, n, endn) {
    if (endn != n) { printf "FAIL %s: the log does not end after its %d presents\n", who, n; exit 1 }
  }
  FNR == 1 { file++ }
  /^present [0-9]+ / {
    n = $2 + 0
    if (file == 1) { if (n != d) { printf "FAIL desktop: present %d out of order\n", n; exit 1 }
                     desk[d++] = substr($0, index($0, $3)) }
    else { if (n != w) { printf "FAIL windows: present %d out of order\n", n; exit 1 }
           win[w++] = substr($0, index($0, $3)) }
    next
  }
  /^end [0-9]+$/ { if (file == 1) dend = $2 + 0; else wend = $2 + 0 }
  END {
    check("desktop", d, dend); check("windows", w, wend)
    count = d < w ? d : w
    for (i = 0; i < count; i++)
      if (desk[i] != win[i]) { printf "FAIL present %d differs: desktop %s, windows %s\n", i, desk[i], win[i]; exit 1 }
    if (d != w) { printf "FAIL present %d differs: only the %s program presented it\n", count, d > w ? "desktop" : "windows"; exit 1 }
    if (count < min) { printf "FAIL only %d presents; a run should have %d or more\n", count, min; exit 1 }
    printf "desktop and windows: the same %d presents\n", count
  }' "$1" -

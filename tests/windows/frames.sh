#!/usr/bin/env bash
# The Windows program shows the same frames as the desktop program: compares the two
# frame logs ("present N HASH" lines, then "end N") of one scripted run, present for present,
# and fails on the first difference, naming its present. Windows' line ends are ignored.
# Usage: tests/windows/frames.sh DESKTOP_LOG WINDOWS_LOG
set -euo pipefail
[[ $# == 2 && -f "$1" && -f "$2" ]] ||
  { echo "usage: tests/windows/frames.sh DESKTOP_LOG WINDOWS_LOG" >&2; exit 2; }
min_presents=3000  # the key script plays all four scenes and scene 1 again

awk -v min="$min_presents" '
  function fail(text) { print "FAIL " text > "/dev/stderr"; failed = 1; exit 1 }
  function ends(who, n, last) {
    if (last != n) fail(who ": the log does not end after its " n " presents")
  }
  FNR == 1 { file++ }
  /^present [0-9]+ / {
    hash = substr($0, index($0, $3))
    if (file == 1) { if ($2 + 0 != d) fail("desktop: present " $2 " out of order"); desk[d++] = hash }
    else { if ($2 + 0 != w) fail("windows: present " $2 " out of order"); win[w++] = hash }
    next
  }
  /^end [0-9]+$/ { if (file == 1) dend = $2 + 0; else wend = $2 + 0 }
  END {
    if (failed) exit 1
    ends("desktop", d, dend); ends("windows", w, wend)
    count = d < w ? d : w
    for (i = 0; i < count; i++)
      if (desk[i] != win[i]) fail("present " i " differs: desktop " desk[i] ", windows " win[i])
    if (d != w) fail("present " count " differs: only the " (d > w ? "desktop" : "windows") " program presented it")
    if (count < min) fail("only " count " presents; a run should have " min " or more")
    print "desktop and windows: the same " count " presents"
  }' <(tr -d '\r' < "$1") <(tr -d '\r' < "$2")

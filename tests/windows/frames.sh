#!/usr/bin/env bash
# The Windows program shows the same frames as the desktop program: runs the frame-logging
# Windows program under Wine with the keys and mask of the environment (K8_FRAMELOG_KEYS,
# K8_FRAMELOG_MASK, as the desktop's reference run had them), then compares the two frame logs
# ("present N HASH" lines, then "end N"), present for present, and fails on the first
# difference, naming its present. Windows' line ends are ignored.
# Usage: tests/windows/frames.sh KESTREL8-FRAMELOG.EXE DESKTOP_LOG WINDOWS_LOG_TO_WRITE
#   (SDL.dll beside the program; WINEPREFIX names a prepared prefix, prefix.sh)
set -euo pipefail
[[ $# == 3 && -f "$1" && -f "$2" ]] ||
  { echo "usage: tests/windows/frames.sh KESTREL8-FRAMELOG.EXE DESKTOP_LOG WINDOWS_LOG" >&2; exit 2; }
program="$1" desktop="$2" windows="$3"
source "$(dirname "$0")/wine.bash"
# Wine's null graphics driver gives SDL's windib driver a 32-bit screen without a display.
use_graphics null
status=0
(cd "$(dirname "$program")" && timeout 600 "$WINE64" "$(basename "$program")" > "$windows" 2> "$windows.err") ||
  status=$?
wineserver -k 2>/dev/null || true
[[ $status -eq 1 ]] || { cat "$windows.err" >&2; echo "FAIL: the run under Wine ended with $status" >&2; exit 1; }
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
  }' <(tr -d '\r' < "$desktop") <(tr -d '\r' < "$windows")

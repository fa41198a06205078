#!/usr/bin/env bash
# The X server the end-to-end tests share, a ctest fixture: Xvfb on a free display number.
# Usage: xserver.sh start STATE WIDTHxHEIGHT   writes "DISPLAY WIDTHxHEIGHT" to STATE once the
#                                             server answers
#        xserver.sh stop STATE                stops it
set -euo pipefail
case "${1:-}" in
  start)
    state="$2"
    WORK="$(dirname "$state")"
    mkdir -p "$WORK"
    source "$(dirname "$0")/xvfb.bash"
    unset K8_TEST_XSERVER  # a server of its own, not this one
    # No reset when a test's last client leaves: the next test could connect while the server
    # is still resetting.
    start_xvfb "$3" -noreset
    echo "$XVFB_PID" > "$state.pid"
    echo "$DISPLAY $3" > "$state"
    echo "X server $DISPLAY at $3"
    ;;
  stop)
    source "$(dirname "$0")/background.bash"
    stop_background "$2" "X server"
    ;;
  *) echo "usage: xserver.sh start STATE WIDTHxHEIGHT | stop STATE" >&2; exit 2 ;;
esac

#!/usr/bin/env bash
# The page server the browser tests share, a ctest fixture: tools/webserve.mjs in the
# background on a free port.
# Usage: serve.sh start FOLDER STATE   serves FOLDER; once it answers, writes its address
#                                      ("http://127.0.0.1:PORT") to STATE
#        serve.sh stop STATE           stops it
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
case "${1:-}" in
  start)
    folder="$2" state="$3"
    rm -f "$state"
    # Its own session, its output in a file: ctest waits for nothing of it after this script.
    setsid node "$here/../../tools/webserve.mjs" "$folder" 0 > "$state.log" 2>&1 < /dev/null &
    echo $! > "$state.pid"
    for _ in $(seq 100); do
      url="$(sed -n 's|^Serving .* at \(http://127\.0\.0\.1:[0-9]*\)/ .*|\1|p' "$state.log")"
      if [[ -n "$url" ]]; then
        echo "$url" > "$state"
        echo "serving $folder at $url/"
        exit 0
      fi
      kill -0 "$(cat "$state.pid")" 2> /dev/null || break
      sleep 0.1
    done
    cat "$state.log" >&2
    echo "FAIL: the page server did not start" >&2
    exit 1
    ;;
  stop)
    source "$here/../support/background.bash"
    stop_background "$2" "the page server"
    ;;
  *) echo "usage: serve.sh start FOLDER STATE | stop STATE" >&2; exit 2 ;;
esac

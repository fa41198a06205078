#!/usr/bin/env bash
# Start-up without a screen: with SDL's dummy video driver the program starts, keeps running
# and can still be stopped from outside (SIGTERM); with no display at all it stops at once
# with one clear line and status 2.
source "$(dirname "$0")/lib.bash"

SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$KESTREL8" > "$WORK/stdout" 2> "$WORK/stderr" &
PROGRAM_PID=$!
sleep 3
kill -0 "$PROGRAM_PID" 2>/dev/null || { cat "$WORK/stderr"; fail "did not keep running headless"; }
kill -TERM "$PROGRAM_PID"
for _ in $(seq 50); do
  kill -0 "$PROGRAM_PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$PROGRAM_PID" 2>/dev/null && fail "SIGTERM did not stop the program"
wait "$PROGRAM_PID" 2>/dev/null || true
PROGRAM_PID=""
[[ -s "$WORK/stderr" ]] && { cat "$WORK/stderr"; fail "wrote to standard error while running"; }

for program in "$KESTREL8" "$KESTREL8_FULLSCREEN"; do
  status=0
  env -u DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy timeout 20 "$program" \
    > "$WORK/stdout" 2> "$WORK/stderr" || status=$?
  [[ "$status" == "2" ]] || fail "$(basename "$program") without a display: status $status, expected 2"
  [[ "$(wc -l < "$WORK/stderr")" == "1" ]] || { cat "$WORK/stderr"; fail "expected one line on standard error"; }
  grep -qi "video" "$WORK/stderr" || fail "the message does not name the video mode: $(cat "$WORK/stderr")"
done
echo "startup: ok"

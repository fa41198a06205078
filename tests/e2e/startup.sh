#!/usr/bin/env bash
# Start-up without a screen: with SDL's dummy video driver the program starts, keeps running
# and can still be stopped from outside (SIGTERM); with no display at all it stops at once
# with one clear line and status 2. SIGTERM and SIGINT stop it at any moment, on both SDL 1.2
# libraries: in its first milliseconds and while the sound start-up waits on a server that
# never answers; a signal the caller ignores stays ignored.
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
# running PID: returns once PID is the program itself. A background command starts with SIGINT
# ignored, and env restores the default only just before it runs the program: a signal sent
# before then reaches the shell or env (or is discarded), never the program.
running() {
  local target
  target="$(readlink -f "$KESTREL8")"
  for _ in $(seq 500); do
    [[ "$(readlink "/proc/$1/exe" 2>/dev/null)" == "$target" ]] && return 0
    kill -0 "$1" 2>/dev/null || fail "the program ended before it could be signalled"
    sleep 0.01
  done
  fail "the program did not start within 5 s"
}

# signalled SIGNAL DELAY ENV...: the program, started with the signal at its default action and
# the given environment, is sent the signal after DELAY seconds and must end from it.
signalled() {
  local sig="$1" delay="$2" status=0
  shift 2
  env --default-signal="$sig" "$@" "$KESTREL8" > "$WORK/stdout" 2> "$WORK/stderr" &
  PROGRAM_PID=$!
  running "$PROGRAM_PID"
  sleep "$delay"
  kill -"$sig" "$PROGRAM_PID"
  for _ in $(seq 50); do
    kill -0 "$PROGRAM_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$PROGRAM_PID" 2>/dev/null && fail "SIG$sig after ${delay}s did not stop the program ($*)"
  wait "$PROGRAM_PID" || status=$?
  PROGRAM_PID=""
  [[ "$status" == "$((128 + $(kill -l "$sig")))" ]] ||
    fail "SIG$sig after ${delay}s: status $status ($*)"
}

# A sound server that accepts a client and never answers it.
perl -MIO::Socket::UNIX -e '$s = IO::Socket::UNIX->new(Local => $ARGV[0], Listen => 8) or die;
  while (1) { push @c, $s->accept }' "$WORK/mute" &
MUTE_PID=$!
trap '[[ "$BASHPID" == "$$" ]] && kill "$MUTE_PID" 2>/dev/null; cleanup' EXIT
for _ in $(seq 50); do [[ -S "$WORK/mute" ]] && break; sleep 0.1; done

compat=/usr/lib/x86_64-linux-gnu/sdl12-compat
for lib in "" $([[ -e "$compat/libSDL-1.2.so.0" ]] && echo "$compat"); do
  run=(LD_LIBRARY_PATH="$lib" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy)
  for delay in 0.005 0.05; do
    signalled TERM "$delay" "${run[@]}"
    signalled INT "$delay" "${run[@]}"
  done
  signalled TERM 1 "${run[@]}" SDL_AUDIODRIVER=pulse PULSE_SERVER="unix:$WORK/mute"
  env --ignore-signal=TERM "${run[@]}" "$KESTREL8" > /dev/null 2>&1 &
  PROGRAM_PID=$!
  running "$PROGRAM_PID"
  sleep 0.3
  kill -TERM "$PROGRAM_PID"
  sleep 1
  kill -0 "$PROGRAM_PID" 2>/dev/null || fail "an ignored SIGTERM stopped the program ($lib)"
  kill -9 "$PROGRAM_PID"
  wait "$PROGRAM_PID" 2>/dev/null || true
  PROGRAM_PID=""
done
echo "startup: ok"

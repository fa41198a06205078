#!/usr/bin/env bash
# The capture refuses bad arguments with one line and status 2, and a capture that cannot
# finish (stopped by a signal, ffmpeg failing, no ffmpeg) says so, exits non-zero and leaves
# nothing that looks like a finished output.
# Usage: refusals.sh CAPTURE
set -euo pipefail
capture="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

"$capture" --help > help.txt
grep -q '^Usage: kestrel8-capture' help.txt || fail "--help prints no usage"

# expect STATUS WORDS ARGS...: the capture exits with STATUS and says WORDS on standard error.
expect() {
  local want="$1" words="$2" status=0
  shift 2
  "$@" > out.txt 2> err.txt < /dev/null || status=$?
  [[ $status -eq $want ]] || fail "$* gave status $status, not $want: $(cat err.txt)"
  grep -q "^kestrel8-capture: .*$words" err.txt || fail "$* said: $(cat err.txt)"
}
mkdir full && touch full/x
printf '10:8\n5:q\n' > falling.keys
for args in "" "--frames 0 a.mkv" "--frames 1x a.mkv" "--scale 3 a.mp4" "--scale 4 a.mkv" \
            "--bogus a.mkv" "a.avi" "a.mkv b.mkv" "/nonexistent/a.mkv" "full/" \
            "--script falling.keys a.mkv" "--script missing.keys a.mkv" "--keys 5:F1 a.mkv" \
            "--keys 5:q --script falling.keys a.mkv" "--keys -1:q a.mkv"; do
  # shellcheck disable=SC2086 # the arguments are meant to be split
  expect 2 "" "$capture" $args
done
expect 2 "must rise" "$capture" --keys "5:q 3:w" a.mkv

# No ffmpeg: a video cannot be written, and the program says so.
expect 1 "ffmpeg is not installed" env PATH=/nonexistent "$capture" --frames 5 a.mkv
# ffmpeg failing: its own message, then the capture's; nothing kept.
mkdir fake && printf '#!/bin/sh\necho "fake ffmpeg: no space left" >&2\nexit 1\n' > fake/ffmpeg
chmod +x fake/ffmpeg
expect 1 "ffmpeg failed" env PATH="$work/fake:$PATH" "$capture" --frames 50 a.mkv
grep -q "no space left" err.txt || fail "ffmpeg's own message was not shown"

# Stopped part-way (SIGTERM; Ctrl-C's SIGINT takes the same path, but a script's background
# job ignores it): status 130, "interrupted", and no output or temporary file left.
for out in a.mkv frames/; do
  "$capture" "$out" 2> err.txt &
  pid=$!
  for _ in $(seq 100); do  # until it is writing
    compgen -G ".${out%/}.*.part" > /dev/null && break
    sleep 0.1
  done
  sleep 0.5
  kill -TERM "$pid"
  status=0
  wait "$pid" || status=$?
  [[ $status -eq 130 ]] || fail "$out: an interrupted capture gave status $status: $(cat err.txt)"
  grep -q "interrupted" err.txt || fail "$out: an interrupted capture said: $(cat err.txt)"
  leftovers="$(ls -A | grep -v -x -e help.txt -e out.txt -e err.txt -e full -e falling.keys -e fake || true)"
  [[ -z "$leftovers" ]] || fail "$out: an interrupted capture left $leftovers"
done

# A short capture to a folder: the frames and a WAV file of 882 samples a frame.
"$capture" --frames 3 --keys "0:8" frames/ 2> err.txt || fail "folder capture: $(cat err.txt)"
[[ -f frames/frame000002.ppm && ! -e frames/frame000003.ppm ]] || fail "folder: $(ls frames)"
[[ $(stat -c %s frames/sound.wav) -eq $((44 + 3 * 882 * 2)) ]] || fail "folder: wrong WAV size"
echo "refusals, failures and interruptions: ok"

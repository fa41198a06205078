#!/usr/bin/env bash
# The capture is exact: decoded, its master shows the desktop program's frames present for
# present (the frame log of the same demo with the same keys) and holds, sample for sample,
# the sound its audio callback wrote; two captures of one script are the same file; and the
# whole show without keys ends in scene 4's last frame, then the closing fade.
# Usage: exact.sh CAPTURE FRAMELOG_PROGRAM FRAMEHASH KEYS_FILE REFERENCE
# (REFERENCE: the desktop program's frame log for KEYS_FILE with the mask of K8_FRAMELOG_MASK,
# tests/support/reference.sh)
set -euo pipefail
capture="$1" framelog="$2" framehash="$3" keysfile="$4" reference="$5"
here="$(cd "$(dirname "$0")" && pwd)"

skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v ffmpeg > /dev/null || skip "ffmpeg is missing (tools/setup.sh --test)"
[[ -s "$reference" ]] || skip "no reference frame log (sdl12-compat is missing: tools/setup.sh --test)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mask="$K8_FRAMELOG_MASK"

# The desktop program's frame log for keys "$1", run as the reference is.
desktop_log() {
  K8_FRAMELOG_KEYS="$1" bash "$here/../support/reference.sh" "$framelog" "$2" > /dev/null ||
    fail "the desktop run failed"
}
# The frame log lines of a capture's decoded frames.
capture_log() {
  ffmpeg -v error -nostdin -i "$1" -map 0:v -f rawvideo -pix_fmt bgr0 - |
    "$framehash" 256 256 "$mask" > "$2"
}

echo "== the scripted run: frames, sound, and the same file twice"
"$capture" --script "$keysfile" --sound-log "$work/callback.raw" "$work/a.mkv"
"$capture" --script "$keysfile" "$work/b.mkv"
cmp "$work/a.mkv" "$work/b.mkv" || fail "two captures of the same script differ"
capture_log "$work/a.mkv" "$work/capture.txt"
diff "$reference" "$work/capture.txt" > "$work/frames.diff" ||
  { head -5 "$work/frames.diff" >&2; fail "the capture's frames differ from the desktop's"; }
frames=$(grep -c '^present' "$work/capture.txt")
ffmpeg -v error -nostdin -i "$work/a.mkv" -map 0:a -f s16le - > "$work/decoded.raw"
bytes=$((frames * 882 * 2))
[[ $(stat -c %s "$work/decoded.raw") -eq $bytes ]] ||
  fail "$(stat -c %s "$work/decoded.raw") bytes of sound for $frames frames, not $bytes"
cmp -n "$bytes" "$work/decoded.raw" "$work/callback.raw" ||
  fail "the recorded sound is not the stream the callback wrote"
[[ -n "$(tr -d '\0' < "$work/decoded.raw" | head -c 1)" ]] || fail "the sound is silent"
echo "$frames frames equal to the desktop's, $((bytes / 2)) samples equal to the callback's"

echo "== the whole show: one ring, ending in scene 4's last frame and the closing fade"
"$capture" "$work/show.mkv"
capture_log "$work/show.mkv" "$work/show.txt"
total=$(grep -c '^present' "$work/show.txt")
last=$((total - 33))  # scene 4's last frame, then 32 fade steps
# The desktop program quit later: up to that frame and through the 32 fade steps after it
# (scene 1's opening fade there, the closing fade in the capture: both darken that frame),
# every present is the same; the desktop's next present is scene 1's first frame.
desktop_log "$((last + 40)):q" "$work/ring.txt"
head -n "$total" "$work/ring.txt" > "$work/ring.head"
grep '^present' "$work/show.txt" | diff - "$work/ring.head" > "$work/show.diff" ||
  { head -5 "$work/show.diff" >&2; fail "the whole show differs from the desktop's"; }
# The fade: 32 darker steps of frame $last, then scene 1 in the desktop run, not a step more.
fade_end=$(sed -n "$((total + 1))p" "$work/ring.txt" | cut -d' ' -f3)
dark=$(sed -n "${total}p" "$work/ring.txt" | cut -d' ' -f3)
[[ "$fade_end" != "$dark" ]] || fail "the desktop run was still fading after present $total"
echo "the whole show: $total frames, scene 4 ending at present $last"

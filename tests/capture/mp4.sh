#!/usr/bin/env bash
# The capture program installs beside the two demo programs, and its .mp4 is what browsers and
# video sites take: H.264 yuv420p at 4 x 256, AAC at 48 kHz, 50 frames per second, the index
# before the media.
# Usage: mp4.sh BUILD_DIR
set -euo pipefail
build="$1"
command -v ffprobe > /dev/null || { echo "skipped: ffmpeg is missing (tools/setup.sh --test)"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" > /dev/null
for program in kestrel8 kestrel8-fullscreen kestrel8-capture; do
  [[ -x "$work/prefix/bin/$program" ]] || fail "$program was not installed"
done
"$work/prefix/bin/kestrel8-capture" --frames 100 "$work/short.mp4"
probe() { ffprobe -v error -select_streams "$1" -show_entries "stream=$2" -of csv=p=0 "$work/short.mp4"; }
video="$(probe v:0 codec_name,width,height,pix_fmt,r_frame_rate)"
[[ "$video" == "h264,1024,1024,yuv420p,50/1" ]] || fail "unexpected video: $video"
sound="$(probe a:0 codec_name,sample_rate)"
[[ "$sound" == "aac,48000" ]] || fail "unexpected sound: $sound"
moov=$(grep -obUa moov "$work/short.mp4" | head -1 | cut -d: -f1)
mdat=$(grep -obUa mdat "$work/short.mp4" | head -1 | cut -d: -f1)
[[ -n "$moov" && -n "$mdat" && "$moov" -lt "$mdat" ]] || fail "the .mp4's index is not in front"
echo "kestrel8-capture: installed; .mp4 h264 yuv420p 1024x1024 50 fps, aac 48 kHz, index in front"

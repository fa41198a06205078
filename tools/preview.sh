#!/usr/bin/env bash
# Makes docs/preview.gif, the moving preview at the top of the README: a few seconds of each
# of the four scenes, recorded by kestrel8-capture and turned into an animated GIF by ffmpeg at
# the show's own 256 x 256, one GIF pixel per pixel of the show, so every pixel stays sharp.
# (Doubled, the film needs four times the bytes: scene 1 turns every pixel's colour each frame
# and scene 2's texture moves everywhere, which GIF cannot compress.)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  cat <<'TEXT'
Usage: tools/preview.sh [--help]
Builds kestrel8-capture (tools/build.sh), records the four scenes (about 3 s each: a space
moves on to the next scene, q ends the show) and writes docs/preview.gif (at most 2 MB, 25
frames per second, 256 x 256). Needs ffmpeg (tools/setup.sh --capture).
TEXT
}
case "${1:-}" in
  -h | --help) usage; exit 0 ;;
  "") ;;
  *) echo "tools/preview.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
esac
fail() { echo "tools/preview.sh: $*" >&2; exit 1; }

"$root/tools/setup.sh" --capture
"$root/tools/build.sh" kestrel8-capture > /dev/null
capture="$root/build/capture/kestrel8-capture"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Each scene opens with a 32-step fade; a space ends a scene, q the show.
"$capture" --keys "140:space 280:space 420:space 560:q" "$work/preview.mkv"
# Every second frame (GIF delays are whole hundredths: 4 per frame), one palette for the
# whole film, no dithering: the demo's flat colours stay flat; only the changed rectangle of
# each frame is stored.
ffmpeg -v error -nostdin -y -i "$work/preview.mkv" -an -filter_complex \
  "[0:v]fps=25,split[a][b];[a]palettegen=max_colors=256:stats_mode=diff[p];[b][p]paletteuse=dither=none:diff_mode=rectangle" \
  -loop 0 "$work/preview.gif"
size=$(stat -c %s "$work/preview.gif")
((size <= 2000000)) || fail "the preview is $size bytes, more than 2 MB"
mkdir -p "$root/docs"
cp "$work/preview.gif" "$root/docs/preview.gif"
echo "docs/preview.gif: $size bytes"

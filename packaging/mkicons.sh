#!/usr/bin/env bash
# Makes the application icon from one of the demo's own pictures: the middle of the rings
# scene (no logo there), scaled to each size the hicolor icon theme has a folder for.
# Usage: packaging/mkicons.sh SCENE.png OUTDIR  ->  OUTDIR/16.png ... OUTDIR/256.png
set -euo pipefail

if [[ $# -ne 2 || $1 == -h || $1 == --help ]]; then
  echo "Usage: packaging/mkicons.sh SCENE.png OUTDIR" >&2
  [[ $# -eq 1 && ($1 == -h || $1 == --help) ]] && exit 0
  exit 2
fi
scene="$1" out="$2"
[[ -r "$scene" ]] || { echo "packaging/mkicons.sh: cannot read $scene" >&2; exit 1; }
for tool in pngtopnm pamcut pamscale pnmtopng; do
  command -v "$tool" > /dev/null ||
    { echo "packaging/mkicons.sh: $tool is missing (Debian package netpbm)" >&2; exit 1; }
done

mkdir -p "$out"
# The scenes are 256 x 256 with the logo in the top-left corner; the 176 x 176 square around
# the rings' centre leaves it out.
crop="$(mktemp)"
trap 'rm -f "$crop"' EXIT
pngtopnm "$scene" | pamcut -left 40 -top 40 -width 176 -height 176 > "$crop"
for size in 16 22 24 32 48 64 128 256; do
  # pamscale's default filter averages the pixels each output pixel covers (and repeats them
  # when enlarging), so the small sizes stay clean instead of aliased. pnmtopng writes no
  # time stamp, so the icons are the same bytes on every run.
  pamscale -width "$size" -height "$size" "$crop" | pnmtopng -compression 9 > "$out/$size.png"
done

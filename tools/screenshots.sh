#!/bin/sh
# Renders docs/scene1.png .. docs/scene4.png from a headless run of the demo.
# Usage: tools/screenshots.sh [BUILD_DIR]   (default build; needs pnmtopng from netpbm)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target screenshots
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Address randomisation off, so the panel's "video:" row reads the same on every run.
if setarch "$(uname -m)" -R true 2>/dev/null; then
  setarch "$(uname -m)" -R "$build/tools/screenshots" "$tmp"
else
  "$build/tools/screenshots" "$tmp"
fi
mkdir -p "$root/docs"
for n in 1 2 3 4; do
  pnmtopng -compression 9 "$tmp/scene$n.ppm" > "$root/docs/scene$n.png"
done
echo "wrote $root/docs/scene1.png .. scene4.png"

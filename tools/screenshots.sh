#!/bin/sh
# Renders docs/scene1.png .. docs/scene4.png from a headless run of the demo.
# Usage: tools/screenshots.sh [BUILD_DIR]   (default build; needs pnmtopng from netpbm)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  cat <<'TEXT'
Usage: tools/screenshots.sh [BUILD_DIR]
Runs the demo headless and writes one picture of each scene to docs/scene1.png ..
docs/scene4.png. BUILD_DIR is a configured build directory (default build, made by
tools/build.sh); the screenshots program is built in it first. Needs pnmtopng (netpbm,
installed by tools/setup.sh --test).
TEXT
}
refuse() {
  echo "tools/screenshots.sh: $*" >&2
  usage | head -1 >&2
  exit 2
}

build=
for arg in "$@"; do
  case "$arg" in
    -h | --help) usage; exit 0 ;;
    -*) refuse "unknown option '$arg'" ;;
    *) [ -z "$build" ] || refuse "too many arguments"; build=$arg ;;
  esac
done
build=${build:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "tools/screenshots.sh: $build is not a configured build directory;" \
    "run tools/build.sh first (or name one)" >&2
  exit 1
fi
if ! command -v pnmtopng > /dev/null; then
  echo "tools/screenshots.sh: pnmtopng is missing; install it with tools/setup.sh --test" >&2
  exit 1
fi
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

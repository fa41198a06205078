#!/usr/bin/env bash
# Configures and builds KESTREL8 with one of the CMake presets (CMakePresets.json): the default
# one (tests and benchmarks, in ./build) unless --preset names another. Names of build targets
# (kestrel8, test_image, ...) build only those; none builds everything.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  cat <<'TEXT'
Usage: tools/build.sh [--preset NAME] [TARGET...]
Configures and builds KESTREL8 with the CMake preset NAME (default: default, into ./build):
everything, or only the named CMake targets (for example kestrel8, kestrel8-fullscreen,
test_image). `cmake --list-presets` lists the presets; tools/setup.sh installs what building
needs.
TEXT
}

preset=default
targets=()
while (($#)); do
  case "$1" in
    -h | --help) usage; exit 0 ;;
    --preset)
      [[ $# -ge 2 ]] || { echo "tools/build.sh: --preset needs a name" >&2; exit 2; }
      preset="$2"; shift ;;
    --preset=*) preset="${1#--preset=}" ;;
    -*) echo "tools/build.sh: unknown option '$1'" >&2; usage | head -1 >&2; exit 2 ;;
    *) targets+=(--target "$1") ;;
  esac
  shift
done
if ! command -v cmake > /dev/null; then
  echo "tools/build.sh: cmake is missing; run tools/setup.sh first" >&2
  exit 1
fi

cd "$root"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
cmake --preset "$preset" > "$log" 2>&1 ||
  { cat "$log"; echo "tools/build.sh: configuring the $preset preset failed;" \
      "tools/setup.sh installs what is missing" >&2; exit 1; }
cmake --build --preset "$preset" -j"$(nproc 2>/dev/null || echo 2)" ${targets[@]+"${targets[@]}"}

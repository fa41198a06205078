#!/usr/bin/env bash
# Configures and builds KESTREL8 in ./build (or $K8_BUILD_DIR), with the sanitizers named
# in $K8_SANITIZE (for example "address,undefined") when set. Names of build targets
# (kestrel8, test_image, ...) build only those; none builds everything.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  cat <<'TEXT'
Usage: tools/build.sh [TARGET...]
Configures and builds KESTREL8 into ./build: everything, or only the named CMake targets
(for example kestrel8, kestrel8-fullscreen, test_image). The set-up script tools/setup.sh
installs what building needs. Settings come from the environment:
  K8_BUILD_DIR   build directory (default ./build)
  K8_BUILD_TYPE  CMake build type (default RelWithDebInfo)
  K8_SANITIZE    sanitizers to build with, for example address,undefined
  K8_CMAKE_ARGS  further arguments for CMake's configure step
TEXT
}

targets=()
for arg in "$@"; do
  case "$arg" in
    -h | --help) usage; exit 0 ;;
    -*) echo "tools/build.sh: unknown option '$arg'" >&2; usage | head -1 >&2; exit 2 ;;
    *) targets+=(--target "$arg") ;;
  esac
done
if ! command -v cmake > /dev/null; then
  echo "tools/build.sh: cmake is missing; run tools/setup.sh first" >&2
  exit 1
fi

build="${K8_BUILD_DIR:-$root/build}"
jobs="$(nproc 2>/dev/null || echo 2)"
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${K8_BUILD_TYPE:-RelWithDebInfo}" \
  -DK8_SANITIZE="${K8_SANITIZE:-}" ${K8_CMAKE_ARGS:-} > "$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; echo "tools/build.sh: configuring failed;" \
      "tools/setup.sh installs what is missing" >&2; exit 1; }
cmake --build "$build" -j"$jobs" ${targets[@]+"${targets[@]}"}

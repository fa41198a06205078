#!/usr/bin/env bash
# Configures and builds KESTREL8 in ./build (or $K8_BUILD_DIR), with the sanitizers named
# in $K8_SANITIZE (for example "address,undefined") when set.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${K8_BUILD_DIR:-$root/build}"
jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${K8_BUILD_TYPE:-RelWithDebInfo}" \
  -DK8_SANITIZE="${K8_SANITIZE:-}" ${K8_CMAKE_ARGS:-} > "$build.configure.log" 2>&1 ||
  { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j"$jobs"

#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, headless SDL and the
# end-to-end runs of both programs under Xvfb).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/setup.sh" --test --bench
"$root/tools/build.sh"
cd "${K8_BUILD_DIR:-$root/build}"
ctest --output-on-failure -j"$(nproc 2>/dev/null || echo 2)" ${K8_CTEST_ARGS:-}

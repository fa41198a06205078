#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, headless SDL and the
# end-to-end runs of both programs under Xvfb).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  cat <<'TEXT'
Usage: tools/test.sh
Installs the Debian packages the tests need when they are missing (tools/setup.sh --test
--bench), builds everything into ./build (tools/build.sh) and runs every test with ctest.
Settings come from the environment: K8_BUILD_DIR, K8_BUILD_TYPE, K8_SANITIZE and
K8_CMAKE_ARGS as for tools/build.sh, and K8_CTEST_ARGS, further arguments for ctest
(for example "-R Font" or "-L image").
TEXT
}
for arg in "$@"; do
  case "$arg" in
    -h | --help) usage; exit 0 ;;
    *) echo "tools/test.sh: unknown argument '$arg'" >&2; usage | head -1 >&2; exit 2 ;;
  esac
done

"$root/tools/setup.sh" --test --bench
"$root/tools/build.sh"
cd "${K8_BUILD_DIR:-$root/build}"
ctest --output-on-failure -j"$(nproc 2>/dev/null || echo 2)" ${K8_CTEST_ARGS:-}

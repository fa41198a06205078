#!/usr/bin/env bash
# Installs what is missing, builds, and starts the windowed demo.
# Any argument "fullscreen" starts the full-screen build instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/setup.sh"
"$root/tools/build.sh" > /dev/null
program=kestrel8
if [[ "${1:-}" == "fullscreen" ]]; then
  program=kestrel8-fullscreen
fi
exec "${K8_BUILD_DIR:-$root/build}/demo/$program"

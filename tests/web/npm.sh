#!/usr/bin/env bash
# The browser tests' npm packages (package.json), pinned by the lock file, installed when
# missing; --ignore-scripts: nothing may fetch a browser, the tests drive Debian's chromium.
set -euo pipefail
cd "$(dirname "$0")"
if npm ls --depth=0 > /dev/null 2>&1; then
  echo "npm packages present"
  exit 0
fi
npm ci --ignore-scripts --no-audit --no-fund --loglevel=error

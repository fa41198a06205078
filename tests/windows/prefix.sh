#!/usr/bin/env bash
# The Windows tests' private 64-bit Wine prefix, made once (5 to 12 s), a ctest fixture.
# Usage: prefix.sh PREFIX
set -euo pipefail
export WINEPREFIX="$1" WINEDEBUG=-all
if [[ -f "$WINEPREFIX/.complete" ]]; then
  echo "the Wine prefix $WINEPREFIX is ready"
  exit 0
fi
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
WINEARCH=win64 DISPLAY='' /usr/lib/wine/wine64 wineboot -i > "$WINEPREFIX.log" 2>&1 ||
  { cat "$WINEPREFIX.log" >&2; echo "FAIL: making the Wine prefix failed" >&2; exit 1; }
wineserver -w
touch "$WINEPREFIX/.complete"
echo "made the Wine prefix $WINEPREFIX"

# Shared steps of the Windows tests: Wine's 64-bit loader, its graphics driver, a private X
# server and screenshots from it.
WINE64="${WINE64:-/usr/lib/wine/wine64}"   # the 64-bit loader: not on PATH in Debian's wine
export WINEDEBUG="${WINEDEBUG:--all}"
# No sound card here: SDL's Windows drivers would fail to open one and the demo would run
# silently anyway; the dummy driver plays silence without asking Wine's ALSA driver.
export SDL_AUDIODRIVER=dummy
: "${WINEPREFIX:?WINEPREFIX must name the prefix to use}"
export WINEPREFIX

# use_graphics null|x11: Wine's graphics driver for the programs started next. The driver is
# read when the prefix's server starts, so the server is stopped first.
use_graphics() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  "$WINE64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$1" /f > /dev/null 2>&1 ||
    { echo "FAIL: cannot choose Wine's $1 driver" >&2; exit 1; }
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [[ "$1" == null ]]; then unset DISPLAY; fi
}

source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.bash"

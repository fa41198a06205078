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

# start_xvfb: a private X server on a free display number; sets DISPLAY and XVFB_PID.
start_xvfb() {
  local n
  for n in $(seq $((100 + $$ % 400)) 600); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 640x480x24 -nolisten tcp > "$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      xdpyinfo > /dev/null 2>&1 && return 0
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "FAIL: no X server could be started" >&2
  exit 1
}

# shot WINDOW NAME: the window's pixels cut from the screen's picture, as a PPM file with
# maxval 255; prints its path.
shot() {
  local x y w h
  read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 }
    /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 }
    END { print x, y, w, h }')
  xwd -silent -root | xwdtopnm 2>/dev/null | pnmdepth 255 |
    pamcut -left "$x" -top "$y" -width "$w" -height "$h" > "$WORK/$2.ppm"
  echo "$WORK/$2.ppm"
}

# Sourced by the end-to-end tests (tests/e2e) and the Windows tests (tests/windows): a private
# X server and screenshots read back from it. The caller sets WORK, a folder of its own.

# start_xvfb [WIDTHxHEIGHT [ARGUMENT...]]: an X server of that size (640x480 unless given),
# 24 bits deep, with Xvfb's further arguments; sets DISPLAY, and XVFB_PID when the server is
# this test's own. The server the tests share
# (xserver.sh, named by the file K8_TEST_XSERVER) is taken when it has the size; else a
# private one is started on a free display number.
start_xvfb() {
  local n size="${1:-640x480}" shared=()
  (($# > 0)) && shift
  if [[ -n "${K8_TEST_XSERVER:-}" && -s "$K8_TEST_XSERVER" ]]; then
    read -r -a shared < "$K8_TEST_XSERVER"
    if [[ "${shared[1]}" == "$size" ]] && DISPLAY="${shared[0]}" xdpyinfo > /dev/null 2>&1; then
      export DISPLAY="${shared[0]}"
      XVFB_PID=""
      return 0
    fi
  fi
  for n in $(seq $((100 + $$ % 400)) 600); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp "$@" > "$WORK/xvfb.log" 2>&1 &
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

# shot WINDOW NAME: the window's pixels as a PPM file with maxval 255 in $WORK; prints its path.
# WINDOW "root" takes the whole screen (the full-screen program draws into a window of SDL's
# own, not the captioned one). The window is cut out of the root's picture rather than read
# by itself: both SDL 1.2 libraries give their window a DirectColor visual, whose picture xwd
# writes through the window's colour map and so with other colours than the program drew.
shot() {
  xwd -silent -root | xwdtopnm 2>/dev/null | pnmdepth 255 > "$WORK/$2.root.ppm"
  if [[ "$1" == "root" ]]; then
    mv "$WORK/$2.root.ppm" "$WORK/$2.ppm"
  else
    local x y w h
    read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 }
      /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 }
      END { print x, y, w, h }')
    pamcut -left "$x" -top "$y" -width "$w" -height "$h" "$WORK/$2.root.ppm" > "$WORK/$2.ppm"
    rm -f "$WORK/$2.root.ppm"
  fi
  echo "$WORK/$2.ppm"
}

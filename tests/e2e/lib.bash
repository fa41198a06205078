# Shared steps of the end-to-end tests: a private X server, the real program, real key
# presses through XTEST, and screenshots read back from the server.
# Arguments of every test: kestrel8 kestrel8-fullscreen holdexit-shim.
set -euo pipefail

KESTREL8="$1"
KESTREL8_FULLSCREEN="$2"
HOLDEXIT="$3"
WORK="$(mktemp -d)"
XVFB_PID=""
WM_PID=""
PROGRAM_PID=""
WINDOW=""

cleanup() {
  # A forked subshell that a signal ends before it runs its command runs this trap too; only
  # the test's own shell may clean up.
  [[ "$BASHPID" == "$$" ]] || return 0
  [[ -n "$PROGRAM_PID" ]] && kill -9 "$PROGRAM_PID" 2>/dev/null || true
  [[ -n "$WM_PID" ]] && kill "$WM_PID" 2>/dev/null || true
  [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.bash"

# start_program PATH: runs it on the private server with SDL's X11 driver (never a fallback
# driver that shows nothing) and a dummy sound card; the shim holds the finished process for
# a moment so the last frame can be photographed.
start_program() {
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LD_PRELOAD="$HOLDEXIT" K8_HOLD_MARKER="$WORK/held" \
    K8_HOLD_SECONDS=3 ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
    "$1" > "$WORK/stdout" 2> "$WORK/stderr" &
  PROGRAM_PID=$!
}

# window_of_program: the id of the window captioned KESTREL8, or nothing after 15 s.
window_of_program() {
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --name '^KESTREL8$' 2>/dev/null | head -1 || true)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    kill -0 "$PROGRAM_PID" 2>/dev/null || { cat "$WORK/stderr" >&2; fail "program ended early"; }
    sleep 0.1
  done
  return 1
}

# launch PATH: starts the program and sets WINDOW to its window's id. The pointer is moved over the
# window, as a person would before typing: without a window manager the keyboard follows the
# pointer. A program that shows no window in time is started once more (a loaded machine can
# be slow to serve a new X server's first client), and what it printed is kept for the log.
launch() {
  local id attempt
  for attempt in 1 2; do
    start_program "$1"
    if id=$(window_of_program); then
      xdotool mousemove --window "$id" 128 128
      WINDOW="$id"
      return 0
    fi
    echo "attempt $attempt: no window after 15 s; the program printed:" >&2
    head -c 400 "$WORK/stdout" | od -c | head -5 >&2
    cat "$WORK/stderr" >&2
    kill -9 "$PROGRAM_PID" 2>/dev/null || true
    wait "$PROGRAM_PID" 2>/dev/null || true
  done
  xwininfo -root -tree >&2 || true
  fail "no window captioned KESTREL8"
}

size_of() { pnmfile "$1" | grep -Eo '[0-9]+ by [0-9]+'; }
brightest() { pamsumm -max -brief "$1" | cut -d. -f1; }
colours_of() { ppmhist -noheader "$1" | awk '{ print $1, $2, $3 }' | LC_ALL=C sort; }
# black_in PICTURE: how many of its pixels are black.
black_in() { ppmhist -noheader "$1" | awk '$1 == 0 && $2 == 0 && $3 == 0 { n += $5 } END { print n + 0 }'; }
pixels_in() { pnmfile "$1" | awk '{ for (i = 1; i <= NF; i++) if ($i == "by") print $(i - 1) * $(i + 1) }'; }

# sdl_library PROGRAM: "sdl12-compat" when the SDL 1.2 the program loads is sdl12-compat (its
# library names itself), else "classic".
sdl_library() {
  local lib
  lib=$(ldd "$1" | awk '$1 ~ /^libSDL-1\.2\.so/ { print $3; exit }')
  if [[ -n "$lib" ]] && grep -qa 'sdl12-compat' "$lib"; then echo sdl12-compat; else echo classic; fi
}

# start_window_manager: a window manager on the private server, as a desktop has; full-screen
# windows are laid over the screen by it.
start_window_manager() {
  openbox --sm-disable > "$WORK/wm.log" 2>&1 &
  WM_PID=$!
  # A loaded machine can take seconds to start it.
  for _ in $(seq 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$WM_PID" 2>/dev/null || break
    sleep 0.1
  done
  cat "$WORK/wm.log" >&2
  fail "the window manager did not start within 30 s"
}

# Where the program's 256 x 256 pixels are on the screen, for a window "root": "LEFT TOP SIDE"
# (a square), or empty for the whole of what is photographed.
FRAME_BOX=""

# frame WINDOW NAME: what the program shows, as a 256 x 256 PPM file in $WORK; prints its path.
# The photograph (cut to FRAME_BOX when set, and then everything outside the box must be black)
# may show each pixel enlarged, by a factor that need not be whole: it must then hold nothing
# but the frame's own colours, with no edge blended, and is sampled back to 256 x 256.
frame() {
  local photo="$(shot "$1" "$2.photo")" picture="$WORK/$2.ppm" left top side
  if [[ -n "$FRAME_BOX" ]]; then
    read -r left top side <<< "$FRAME_BOX"
    pamcut -left "$left" -top "$top" -width "$side" -height "$side" "$photo" > "$WORK/$2.box.ppm"
    (($(pixels_in "$photo") - $(black_in "$photo") == $(pixels_in "$WORK/$2.box.ppm") - $(black_in "$WORK/$2.box.ppm"))) ||
      fail "$2: the screen shows something outside the picture's $side x $side square at $left,$top"
    mv "$WORK/$2.box.ppm" "$photo"
  fi
  if [[ "$(size_of "$photo")" == "256 by 256" ]]; then
    mv "$photo" "$picture"
  else
    sample_back "$photo" "$picture"
    if blended "$photo" "$picture"; then
      fail "$2: the enlarged picture ($(size_of "$photo")) shows colours the frame does not have: blended edges"
    fi
  fi
  echo "$picture"
}

# sample_back PHOTO PICTURE: the 256 x 256 frame from a photograph of it enlarged, one sample
# from the middle of each of its pixels.
sample_back() { pamscale -width 256 -height 256 -filter point "$1" > "$2"; }

# blended PHOTO PICTURE: whether the enlarged photograph shows colours its sampled frame does
# not have. Every pixel of the frame covers at least one whole screen pixel, so the samples
# have all the colours of a sharp picture; a blended edge shows colours between them.
blended() { [[ "$(colours_of "$1")" != "$(colours_of "$2")" ]]; }

# press KEY: held for a few frames, as a person would, so the program's once-per-frame poll
# sees the press before the release.
press() {
  xdotool keydown "$1"
  sleep 0.15
  xdotool keyup "$1"
}

# finish: after the quit key, wait for the held process, photograph its last frame, and
# check that it is black and that the exit status is 1.
finish() {
  local window="$1" status=0
  for _ in $(seq 100); do
    [[ -e "$WORK/held" ]] && break
    sleep 0.1
  done
  [[ -e "$WORK/held" ]] || fail "the program did not end after the quit key"
  local last
  last=$(frame "$window" last)
  [[ "$(brightest "$last")" == "0" ]] || fail "the last frame is not black"
  [[ -n "$PROGRAM_PID" ]] || fail "no program to wait for"
  wait "$PROGRAM_PID" || status=$?
  PROGRAM_PID=""
  [[ "$status" == "1" ]] || fail "exit status $status, expected 1"
}

# digits_shown PICTURE: whether the frame-rate digits are drawn, i.e. whether the font's
# white shows in the bottom-left 16 x 8 corner. Scene 1 draws nothing but the hue palette's
# colours there, none of them white.
digits_shown() {
  local white
  white=$(pamcut -left 0 -top 248 -width 16 -height 8 "$1" | ppmhist -noheader |
    awk '$1 == 255 && $2 == 255 && $3 == 255 { n += $5 } END { print n + 0 }')
  ((white > 0))
}

# taps_toggle_digits WINDOW: six taps of 8 as short as xdotool's default (12 ms between press
# and release, well inside one 20 ms frame), each of which must turn the digits on or off. A
# slow machine gets up to 3 s to show it; a lost tap never does.
taps_toggle_digits() {
  local window="$1" tap want shown
  if digits_shown "$(frame "$window" before-taps)"; then fail "digits shown before any key"; fi
  for tap in 1 2 3 4 5 6; do
    xdotool key 8
    want=$((tap % 2))
    for _ in $(seq 10); do
      sleep 0.3
      shown=0
      if digits_shown "$(frame "$window" "tap-$tap")"; then shown=1; fi
      if ((shown == want)); then break; fi
    done
    ((shown == want)) || fail "tap $tap of 8 was lost (digits shown: $shown)"
  done
}

# play_through WINDOW: quick taps of 8 toggle the digits, then digits on, then space through
# all four scenes (each picture is 256 x 256, not black, and differs from the one before),
# then quit.
play_through() {
  local window="$1" previous first
  sleep 1.5
  first=$(frame "$window" scene1)
  [[ "$(size_of "$first")" == "256 by 256" ]] || fail "window is $(size_of "$first")"
  [[ "$(brightest "$first")" != "0" ]] || fail "the first scene shows a black picture"
  taps_toggle_digits "$window"
  press 8
  previous="$first"
  for scene in 2 3 4 1; do
    press space
    sleep 1.5
    local picture
    picture=$(frame "$window" "after-space-$scene")
    [[ "$(brightest "$picture")" != "0" ]] || fail "scene $scene shows a black picture"
    cmp -s "$picture" "$previous" && fail "the picture did not change after space (scene $scene)"
    previous="$picture"
  done
  xdotool key q  # a quick tap quits too
  finish "$window"
}

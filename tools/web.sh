#!/usr/bin/env bash
# Builds KESTREL8 for the browser into build-web/ (page, kestrel8.js, kestrel8.wasm), serves it,
# and runs its tests. See usage below.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${K8_WEB_DIR:-$root/build-web}"
trees="$out/.build"       # build trees; the page and the program sit in $out itself
host="$trees/host"        # the desktop program the benchmark runs
jobs="$(nproc 2>/dev/null || echo 2)"

usage() {
  cat <<'TEXT'
Usage: tools/web.sh [build | serve [PORT] | test | bench [SECONDS] | --help]
  build       (the default) install Emscripten if missing, then build the browser version into
              build-web/: index.html, kestrel8.js and kestrel8.wasm
  serve PORT  build, then serve build-web/ on http://127.0.0.1:PORT/ (default 8008) until Ctrl-C
  test        build, then test: the page server's answers to bad requests, and in headless
              Chromium the page as a person uses it and the same frames as the desktop program
              for one scripted run (installs Chromium and the test's npm packages if missing)
  bench SECS  build, then measure how busy the page keeps headless Chromium's main thread in
              each scene (SECS seconds each, default 10), and the desktop program's CPU use
              per scene under Xvfb (tools/cpuload.sh --scenes) right after it
  --help      this text
The browser build needs emscripten and node; the tests also chromium and npm (tools/setup.sh --web).
TEXT
}

fail() { echo "tools/web.sh: $*" >&2; exit 1; }

# Emscripten's JavaScript optimizer needs Debian's node modules (acorn) when the node in use is
# not Debian's own.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

source "$root/tools/hostbuild.bash"

build() {
  command -v emcmake > /dev/null || "$root/tools/setup.sh" --web
  command -v emcmake > /dev/null || fail "emcmake not found after set-up"
  mkdir -p "$trees"
  # The web preset (CMakePresets.json): Emscripten's toolchain, SDL 1.2 from Emscripten's ports;
  # the generators are built for this machine inside the tree. The frame-logging program beside
  # the show, and the site its tests serve.
  configure "$trees/web" "$trees/web.configure.log" cmake -S "$root" --preset web -B "$trees/web"
  cmake --build "$trees/web" --target kestrel8 kestrel8-framelog web_site -j"$jobs" \
    > "$trees/web.build.log" 2>&1 ||
    { cat "$trees/web.build.log" >&2; fail "browser build failed (log: $trees/web.build.log)"; }
  cp "$trees/web/demo/kestrel8.js" "$trees/web/demo/kestrel8.wasm" "$out/"
  cp "$root/platform/web/index.html" "$out/index.html"
  echo "Built $out/index.html (kestrel8.js, kestrel8.wasm beside it)"
}

# The web preset's tests (tests/web): the page server, the page in headless Chromium, and the
# same frames as the desktop program's reference run.
run_tests() {
  "$root/tools/setup.sh" --web --test  # --test: sdl12-compat for the desktop run
  ctest --test-dir "$trees/web" --output-on-failure
}

# The page and then the desktop program, back to back, so that both figures see the same load
# on the machine.
run_bench() {
  local seconds="$1"
  "$root/tools/setup.sh" --web --test  # --test: Xvfb and xdotool for the desktop program
  bash "$root/tests/web/npm.sh" > /dev/null || fail "installing the test's npm packages failed"
  # The desktop program as tools/run.sh builds it (the program preset), on the real clock.
  build_host kestrel8
  node "$root/tests/web/bench.mjs" "$out" "$seconds"
  "$root/tools/cpuload.sh" --scenes "$seconds" "$host/demo/kestrel8"
}

case "${1:-build}" in
  -h | --help) usage ;;
  build) build ;;
  serve)
    port="${2:-8008}"
    [[ "$port" =~ ^[0-9]+$ ]] || fail "PORT must be a number, not '$port'"
    build
    exec node "$root/tools/webserve.mjs" "$out" "$port"
    ;;
  test) build; run_tests ;;
  bench)
    seconds="${2:-10}"
    if ! [[ "$seconds" =~ ^[0-9]+$ ]] || ((10#$seconds < 1 || 10#$seconds > 600)); then
      fail "SECONDS must be a whole number from 1 to 600, not '$seconds'"
    fi
    build
    run_bench "$((10#$seconds))"
    ;;
  *) echo "tools/web.sh: unknown command '$1'" >&2; usage >&2; exit 2 ;;
esac

# Sourced by tools/web.sh and tools/windows.sh, whose targets are not this machine: the build
# folders they configure, and the host build they both need, because the generators (font
# sheet, clips) must run here, and the frame comparison runs the desktop program that logs
# frames. The caller sets root, trees (where the logs go), host (the host build's folder), jobs
# and a fail function.

configure() {  # configure DIR LOG ARGS...: configure once, quietly, showing the log on failure
  local dir="$1" log="$2"
  shift 2
  [[ -f "$dir/CMakeCache.txt" ]] && return 0
  "$@" > "$log" 2>&1 || { cat "$log" >&2; rm -rf "$dir"; fail "configuring $dir failed"; }
}

build_host() {  # build_host [TARGET...]: the generators, and the named targets beside them
  configure "$host" "$trees/host.configure.log" cmake -S "$root" -B "$host" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DK8_BENCH=OFF -DK8_FRAMELOG=ON
  cmake --build "$host" --target mkfont mkclips "$@" -j"$jobs" > "$trees/host.build.log" 2>&1 ||
    { cat "$trees/host.build.log" >&2; fail "host build failed"; }
}

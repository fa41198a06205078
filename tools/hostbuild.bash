# Sourced by tools/web.sh, tools/windows.sh and tools/cross.sh, whose targets are not this
# machine: how they configure their build folders, and the desktop build beside them (in the
# program preset's configuration). The caller sets root, trees (where the logs go), host (the
# desktop build's folder), jobs and a fail function.

configure() {  # configure DIR LOG ARGS...: configure once, quietly, showing the log on failure
  local dir="$1" log="$2"
  shift 2
  [[ -f "$dir/CMakeCache.txt" ]] && return 0
  "$@" > "$log" 2>&1 || { cat "$log" >&2; rm -rf "$dir"; fail "configuring $dir failed"; }
}

build_host() {  # build_host [TARGET...]: the generators, and the named targets beside them
  configure "$host" "$trees/host.configure.log" cmake -S "$root" --preset program -B "$host"
  cmake --build "$host" --target mkfont mkclips "$@" -j"$jobs" > "$trees/host.build.log" 2>&1 ||
    { cat "$trees/host.build.log" >&2; fail "desktop build failed"; }
}

# Sourced by tools/web.sh, tools/windows.sh and tools/cross.sh, whose targets are not this
# machine: how they configure their build folders, the desktop build beside them (in the program
# preset's configuration) and the reference their frame comparisons check against. The caller
# sets root, trees (where the logs go), host (the desktop build's folder), jobs and a fail
# function.

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

# reference OUT: the desktop program's frame log for the shared key script
# (tests/support/reference.sh), built in the program preset's configuration; and the same keys
# and mask in the environment for the run it is compared with.
reference() {
  build_host kestrel8-framelog
  "$root/tests/support/reference.sh" "$host/demo/kestrel8-framelog" "$1" > /dev/null ||
    fail "the desktop reference run failed"
  K8_FRAMELOG_KEYS="$(grep -v '^#' "$root/tests/support/frames.keys" | tr '\n' ' ')"
  export K8_FRAMELOG_KEYS K8_FRAMELOG_MASK=0,96,64,8
}

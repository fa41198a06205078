#!/usr/bin/env bash
# Allocation-failure sweep: runs the module workload and the demo's whole life (start-up, one
# frame, shutdown, under SDL's dummy drivers) once for every allocation they make, with that
# one allocation failing (the preloaded shim, shim.cpp beside this script).
#   workload  must finish with status 0: every operation refused cleanly;
#   program   must end with status 1 (it got through) or 2 with one "kestrel8: cannot ..." line
#             on standard error. Runs in which classic SDL 1.2 faults inside its own code on an
#             allocation of its own (the shim exits 77 then), in which the C library cannot
#             load its unwinder when SDL's audio thread exits, or in which the leak checker
#             cannot set up a new thread, are listed, not failed: no caller can prevent them.
# No run may crash, hang (20 s) or, in a build with a leak checker (K8_SANITIZE=leak), leak.
# ctest runs it as the test failalloc_sweep in a build with K8_SANITIZE=leak.
set -euo pipefail

usage() {
  cat <<'TEXT'
Usage: tests/failalloc/sweep.sh [--help] SHIM WORKLOAD PROGRAM
Fails every allocation of the module workload and of the demo's start-up in turn, one run
each, and checks that every run refuses cleanly. SHIM is libk8failalloc.so, WORKLOAD the
failalloc_workload program and PROGRAM kestrel8, all of one build (build it with
K8_SANITIZE=leak to catch leaks; there `ctest -L failalloc` runs this).
Exits 1 and lists the failing runs when any run crashed, hung, leaked or printed more than
its one line.
TEXT
}

[[ "${1:-}" == "-h" || "${1:-}" == "--help" ]] && { usage; exit 0; }
[[ $# -eq 3 ]] || { usage >&2; exit 2; }
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
for f in "$@"; do
  [[ -f "$f" ]] || { echo "sweep.sh: missing $f" >&2; exit 2; }
done
shim="$(absolute "$1")"
workload="$(absolute "$2")"
program="$(absolute "$3")"
tests="$(cd "$(dirname "$0")/.." && pwd)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export LSAN_OPTIONS="exitcode=23:suppressions=$tests/lsan.supp:print_suppressions=0"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy K8_FAIL_ESCAPE=1

# run KIND N: one run with allocation N failing (0: none); prints a report of a failing run.
run() {
  local kind="$1" n="$2" dir="$work/$1.$2" status=0 command
  mkdir -p "$dir"
  if [[ "$kind" == workload ]]; then command=("$workload" "$dir"); else command=("$program"); fi
  # The shim goes into the command alone, not into timeout.
  timeout -k 5 20 env K8_FAIL_AT="$n" K8_FAIL_COUNT="$work/$kind.$n.count" LD_PRELOAD="$shim" \
    "${command[@]}" > "$dir/out" 2> "$dir/err" || status=$?
  local lines ok=0
  lines=$(wc -l < "$dir/err")
  if [[ "$kind" == workload ]]; then
    [[ "$status" == 0 ]] && ok=1
  elif [[ "$status" == 1 && "$lines" == 0 ]]; then
    ok=1
  elif [[ "$status" == 2 && "$lines" == 1 ]] && grep -q '^kestrel8: cannot ' "$dir/err"; then
    ok=1
  elif [[ "$status" == 77 ]] && grep -q '^failalloc: fault inside .*libSDL' "$dir/err"; then
    echo "$kind, allocation $n failing: outside the program: SDL faulted inside its own code"
    rm -rf "$dir"
    return 0
  elif [[ "$status" == 134 ]] && grep -q 'libgcc_s.so.1 must be installed for pthread_exit' "$dir/err"; then
    echo "$kind, allocation $n failing: outside the program: the C library could not load its unwinder"
    rm -rf "$dir"
    return 0
  elif grep -q '^LeakSanitizer: CHECK failed: .*pthread_getattr_np' "$dir/err"; then
    echo "$kind, allocation $n failing: outside the program: the leak checker's thread set-up"
    rm -rf "$dir"
    return 0
  fi
  if [[ "$ok" == 1 ]]; then
    rm -rf "$dir"
    return 0
  fi
  echo "$kind, allocation $n failing: status $status; standard error:"
  head -c 2000 "$dir/err" | sed 's/^/    /'
  # Once more, with the refused call's stack, to show where it was (functions of the program
  # named through addr2line when it is there).
  echo "  the refused allocation was made at:"
  timeout -k 5 20 env K8_FAIL_AT="$n" K8_FAIL_TRACE=1 LD_PRELOAD="$shim" "${command[@]}" \
    2>&1 > /dev/null | grep -E '^[^ ]+\((\+0x|[A-Za-z_])' | grep -v libk8failalloc | head -10 |
    while read -r frame; do
      local object="${frame%%(*}" offset="${frame#*(}"
      offset="${offset%%)*}"
      if [[ "$object" == "${command[0]}" && "$offset" == +0x* ]] && command -v addr2line > /dev/null; then
        # Inlined callers too, innermost first.
        echo "    $(addr2line -f -C -i -e "$object" "${offset#+}" | sed -n 'p;n' | cut -c1-60 |
          awk 'NR > 1 { printf " <- " } { printf "%s", $0 } END { print "" }')"
      else
        echo "    $frame"
      fi
    done
}
export -f run
export work shim workload program

failed=0
for kind in workload program; do
  run "$kind" 0 > "$work/clean"
  if [[ -s "$work/clean" || ! -s "$work/$kind.0.count" ]]; then
    echo "$kind: the run without a failing allocation does not pass:"; cat "$work/clean"
    failed=1
    continue
  fi
  total=$(cat "$work/$kind.0.count")
  # A few more than counted: a refusal can add allocations after it (a report, a clean-up).
  runs=$((total + 8))
  seq 1 "$runs" | xargs -P "$(nproc 2>/dev/null || echo 2)" -I{} bash -c "run $kind {}" \
    > "$work/$kind.log" 2> "$work/$kind.shell"  # the shell's own notes of aborted children
  bad=$(grep -c 'failing: status' "$work/$kind.log" || true)
  outside=$(grep 'outside the program' "$work/$kind.log" | grep -Eo 'allocation [0-9]+' |
    cut -d' ' -f2 | sort -n | tr '\n' ' ' || true)
  echo "$kind: $runs runs over $total allocations, $bad failed${outside:+; failures outside the program (SDL, C library, leak checker) with allocation $outside}"
  if [[ "$bad" != 0 ]]; then
    cat "$work/$kind.log"
    failed=1
  fi
done
exit "$failed"

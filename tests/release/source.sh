#!/usr/bin/env bash
# The source tarball is the commit's tree and nothing else (but debian/, which the source
# package carries), unpacks into kestrel8-VERSION/,
# and builds and starts there with the README's first command (tools/run.sh), without git.
# Usage: tests/release/source.sh DIST_DIR
set -euo pipefail
source "$(dirname "$0")/lib.bash"
tarballs=("$dist"/kestrel8-*.tar.gz)
tarball="${tarballs[0]}"
[[ -f "$tarball" ]] || fail "no source tarball in $dist"
name="$(basename "$tarball" .tar.gz)"

work="$(mktemp -d)"
program_pid=""
cleanup() {
  local status=$?
  [[ -n "$program_pid" ]] && kill "$program_pid" 2> /dev/null
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

tar -tzf "$tarball" | grep -v '/$' | sort > "$work/listed"
git -C "$root" ls-tree -r --name-only HEAD | grep -v '^debian/' | sed "s|^|$name/|" |
  sort > "$work/committed"
diff "$work/committed" "$work/listed" > "$work/diff" ||
  fail "the tarball is not the commit's tree: $(grep '^[<>]' "$work/diff" | head -5 | tr '\n' ' ')"
echo "$(basename "$tarball"): the $(wc -l < "$work/listed") files of the commit but debian/, under $name/"

tar -xzf "$tarball" -C "$work"
tree="$work/$name"
[[ -x "$tree/tools/run.sh" ]] || fail "no tools/run.sh in $name/"
# tools/run.sh builds the windowed program and replaces itself with it; headless here.
(cd "$tree" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy exec tools/run.sh) \
  > "$work/run.log" 2>&1 &
program_pid=$!
binary="$tree/build-run/demo/kestrel8"
for _ in $(seq 1200); do
  [[ "$(readlink "/proc/$program_pid/exe" 2> /dev/null)" == "$binary" ]] && break
  kill -0 "$program_pid" 2> /dev/null || { cat "$work/run.log" >&2; fail "tools/run.sh ended"; }
  sleep 0.5
done
[[ "$(readlink "/proc/$program_pid/exe")" == "$binary" ]] ||
  { cat "$work/run.log" >&2; fail "tools/run.sh did not start the program within 10 minutes"; }
sleep 2
kill -0 "$program_pid" 2> /dev/null || { cat "$work/run.log" >&2; fail "the program did not keep running"; }
kill -TERM "$program_pid"
status=0
wait "$program_pid" || status=$?
program_pid=""
((status == 128 + 15)) || fail "the program ended with $status on SIGTERM"
echo "$name/: tools/run.sh built the program and started it; it stopped on SIGTERM"

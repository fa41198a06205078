#!/usr/bin/env bash
# flashcheck's command line: --help, one line on standard error and status 1 for what it
# cannot read or holds no frames, status 2 for bad arguments, and a report for a small folder.
# Usage: command.sh FLASHCHECK
set -euo pipefail
flashcheck="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

"$flashcheck" --help > help.txt
grep -q '^Usage: flashcheck' help.txt || fail "--help prints no usage"

# expect STATUS ARGS...: flashcheck exits with STATUS after one line on standard error.
expect() {
  local want="$1" status=0
  shift
  "$flashcheck" "$@" > out.txt 2> err.txt || status=$?
  [[ $status -eq $want ]] || fail "$* gave status $status, not $want: $(cat err.txt)"
  if [[ $(wc -l < err.txt) -ne 1 ]] || ! grep -q '^flashcheck: ' err.txt; then
    fail "$* said on standard error: $(cat err.txt)"
  fi
}
frame() {  # frame FILE GREY: a 16 x 16 PPM of one grey
  { printf 'P6\n16 16\n255\n'; head -c 768 /dev/zero | tr '\0' "\\$(printf %03o "$2")"; } > "$1"
}
mkdir empty unreadable cut sizes three
touch a-file
frame unreadable/frame000000.ppm 10 && chmod 000 unreadable/frame000000.ppm
printf 'P6\n16 16\n255\nabc' > cut/frame000000.ppm
frame sizes/frame000000.ppm 10 && printf 'P6\n8 8\n255\n%0192d' 0 > sizes/frame000001.ppm
for folder in missing a-file empty cut sizes; do expect 1 "$folder"; done
# Root reads any file: the refusal of an unreadable one is shown to other users only.
[[ $(id -u) -eq 0 ]] || expect 1 unreadable
for args in "" "--block 0 three" "--screen 1920 three" "--height x three" "--bogus three" \
            "three three"; do
  # shellcheck disable=SC2086 # the arguments are meant to be split
  expect 2 $args
done

for n in 0 1 2; do frame "three/frame00000$n.ppm" $((100 + 50 * n)); done
"$flashcheck" three/ > out.txt 2> err.txt || fail "three frames: $(cat err.txt)"
grep -q '^three: 3 frames of 16 x 16, 1 seconds' out.txt || fail "three frames: $(cat out.txt)"
grep -q 'general flashes over the limit in 0 of 1 seconds' out.txt ||
  fail "three frames: $(cat out.txt)"
echo "flashcheck's command line: ok"

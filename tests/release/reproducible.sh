#!/usr/bin/env bash
# Two releases from the same commit are the same bytes: runs tools/release.sh --files-only once
# more with folders of its own (the Debian packages built again by sbuild in another build
# path inside the clean Debian 12 root, without their tests; the browser build compiled afresh
# elsewhere) and compares every file with those in DIST_DIR.
# Usage: tests/release/reproducible.sh DIST_DIR
set -euo pipefail
source "$(dirname "$0")/lib.bash"

# The first release must come from the commit the second one is made from.
tarball=("$dist"/kestrel8-*.tar.gz)
[[ -f "${tarball[0]}" ]] || fail "no source tarball in $dist"
made_from="$(git get-tar-commit-id < <(gzip -dc "${tarball[0]}" 2> /dev/null))"
[[ "$made_from" == "$(git -C "$root" rev-parse HEAD)" ]] ||
  fail "$dist was made from $made_from, not from the current commit"

again="$(mktemp -d)"
trap 'rm -rf "$again"' EXIT
echo "== a second release, built in $again"
# A release holds the other architectures' packages; CI's first release does not.
cross=()
compgen -G "$dist/kestrel8_*_arm64.deb" > /dev/null && cross=(--cross)
K8_BUILD_PATH=/build/second-release/kestrel8 \
  "$root/tools/release.sh" --files-only "${cross[@]}" --dist "$again/dist" --build "$again/build" \
  --web "$again/web" > "$again/release.log" 2>&1 || { cat "$again/release.log" >&2; fail "the second release"; }

(cd "$dist" && ls) > "$again/first"
(cd "$again/dist" && ls) > "$again/second"
diff "$again/first" "$again/second" > /dev/null ||
  fail "the two releases hold different files: $(diff "$again/first" "$again/second" | grep '^[<>]' | tr '\n' ' ')"
differ=0
while read -r name; do
  if cmp -s "$dist/$name" "$again/dist/$name"; then
    echo "identical: $name"
  else
    echo "DIFFERENT: $name" >&2
    differ=1
  fi
done < "$again/first"
((differ == 0)) || fail "the releases differ (diffoscope shows where)"
echo "reproducible: $(wc -l < "$again/first") files byte-identical"

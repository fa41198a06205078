#!/usr/bin/env bash
# The packages by Debian's own measure: lintian finds no error and no warning in either
# package; the desktop entries, the AppStream metadata and the manual pages inside them pass
# desktop-file-validate, appstreamcli validate and man --warnings.
# Usage: tests/release/lint.sh DIST_DIR
set -euo pipefail
source "$(dirname "$0")/lib.bash"
export LC_ALL=C.UTF-8

debs=("$dist"/*.deb)
[[ -e "${debs[0]}" ]] || fail "no .deb files in $dist"
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
log="$unpacked/lintian.log"

# --fail-on error,warning: an info or pedantic note does not fail; an override (which must
# carry its reason in the package) is reported by lintian as overridden, not as a warning.
for deb in "${debs[@]}"; do
  lintian --fail-on error,warning --display-info "$deb" > "$log" 2>&1 ||
    { cat "$log" >&2; fail "lintian: $(basename "$deb")"; }
  echo "lintian: $(basename "$deb"): no errors, no warnings" \
    "($(grep -c '^[IPO]:' "$log" || true) notes)"
done

for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$unpacked"; done

entries=("$unpacked"/usr/share/applications/*.desktop)
[[ -e "${entries[0]}" ]] || fail "no desktop entries in the packages"
desktop-file-validate "${entries[@]}" || fail "desktop-file-validate"
echo "desktop-file-validate: ${#entries[@]} entries pass"

for metainfo in "$unpacked"/usr/share/metainfo/*.xml; do
  [[ -e "$metainfo" ]] || fail "no AppStream metadata in the packages"
  # --no-net: the checks that fetch URLs need a network this machine has not.
  appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli validate"
done

pages=0
for page in "$unpacked"/usr/share/man/man*/*; do
  [[ -L "$page" ]] && continue
  # man prints groff's warnings on standard error; any line there fails.
  MANWIDTH=80 man --warnings -l "$page" > /dev/null 2> "$unpacked/man.err" ||
    { cat "$unpacked/man.err" >&2; fail "man could not render $(basename "$page")"; }
  [[ ! -s "$unpacked/man.err" ]] || { cat "$unpacked/man.err" >&2; fail "man warns on $(basename "$page")"; }
  pages=$((pages + 1))
done
((pages > 0)) || fail "no manual pages in the packages"
echo "man --warnings: $pages pages render without a warning"

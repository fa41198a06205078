#!/usr/bin/env bash
# Builds and tests KESTREL8's Debian source package the way Debian does, in clean roots:
# mmdebstrap makes the roots (kept outside the tree, made again weekly), sbuild builds in them
# in unshare mode and runs that release's lintian, autopkgtest-virt-unshare runs
# debian/tests, piuparts installs and purges. Runs as root or as a user with a subordinate id
# range (tools/setup.sh --release adds one).
set -euo pipefail
tree="$(cd "$(dirname "$0")/.." && pwd)"
me="tools/debian.sh"
cache="${K8_ROOTS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kestrel8/roots}"
max_age_days=7   # a root older than this is made again, so it follows the release's updates
releases=(bookworm trixie)

usage() {
  cat <<'TEXT'
Usage: tools/debian.sh COMMAND ...
Builds and tests the source package in clean Debian 12 (bookworm) and 13 (trixie) roots made
by mmdebstrap and cached in ${XDG_CACHE_HOME:-~/.cache}/kestrel8/roots (or $K8_ROOTS_CACHE).
  root RELEASE KIND       make RELEASE's root if it is missing or older than 7 days and print
                          its path; KIND is build (sbuild's) or test (autopkgtest's, piuparts')
  build RELEASE DSC OUT   sbuild DSC in RELEASE's build root into the folder OUT, then that
                          release's lintian on the .changes (source and binaries): an error or
                          a warning fails; DEB_BUILD_OPTIONS=nocheck leaves out the tests,
                          K8_BUILD_PATH sets the folder the build happens in
  test RELEASE CHANGES    autopkgtest (debian/tests) and piuparts on the packages of CHANGES
                          in RELEASE's test root
  same CHANGES CHANGES    the .deb files of two builds are byte-identical
  --help                  this text
RELEASE is bookworm or trixie.
TEXT
}

fail() { echo "$me: $*" >&2; exit 1; }

# The Debian archive the machine's own apt sources name (deb822 or one-line form), leaving out
# the security archive and other vendors' repositories.
archive() {
  local uri
  uri="$( (awk '/^URIs:/ { for (i = 2; i <= NF; i++) print $i }' /etc/apt/sources.list.d/*.sources
           awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) { print $i; break } }' \
             /etc/apt/sources.list /etc/apt/sources.list.d/*.list) 2>/dev/null |
          grep -E '/debian/?$' | head -1)"
  echo "${uri:-http://deb.debian.org/debian}"
}

known_release() {
  [[ " ${releases[*]} " == *" $1 "* ]] || fail "unknown release '$1' (bookworm or trixie)"
}

# root_path RELEASE KIND: sbuild reads any tarball; piuparts only a gzipped one.
root_path() {
  case "$2" in
    build) echo "$cache/$1-build.tar.zst" ;;
    test) echo "$cache/$1-test.tar.gz" ;;
    *) fail "unknown kind of root '$2' (build or test)" ;;
  esac
}

fresh() {
  [[ -s "$1" && -z "$(find "$1" -mtime +"$max_age_days" 2> /dev/null)" ]]
}

# make_root RELEASE KIND: the build root is Debian's buildd set (build-essential, apt); the test
# root the smallest one with apt, its package lists kept for autopkgtest. Both trust the
# certificate authorities this machine added (a network that inspects TLS signs with its own).
make_root() {
  local release="$1" kind="$2" out mirror next log
  out="$(root_path "$release" "$kind")"
  fresh "$out" && return 0
  mirror="$(archive)"
  mkdir -p "$cache"
  next="$out.new.${out##*.tar.}"
  log="$cache/$release-$kind.log"
  local options=(--mode=unshare --include=ca-certificates)
  if [[ $kind == build ]]; then
    options+=(--variant=buildd)
  else
    options+=(--variant=apt --include=apt-utils --skip=cleanup/apt/lists)
  fi
  local cas=(/usr/local/share/ca-certificates/*.crt)
  if [[ -e "${cas[0]}" ]]; then
    options+=(--customize-hook="copy-in ${cas[*]} /usr/local/share/ca-certificates/"
              --customize-hook='chroot "$1" update-ca-certificates > /dev/null')
  fi
  echo "Making Debian $release's $kind root from $mirror in $out (a few minutes, once a week)" >&2
  rm -f "$next"
  local start=$SECONDS
  mmdebstrap "${options[@]}" "$release" "$next" \
    "deb $mirror $release main" "deb $mirror $release-updates main" > "$log" 2>&1 ||
    { tail -30 "$log" >&2; rm -f "$next"; fail "mmdebstrap failed (log: $log)"; }
  mv "$next" "$out"
  echo "$release's $kind root made in $((SECONDS - start)) s" >&2
}

case "${1:---help}" in
  -h | --help) usage ;;
  root)
    (($# == 3)) || fail "root needs a release and a kind"
    known_release "$2"
    make_root "$2" "$3"
    root_path "$2" "$3"
    ;;
  *) echo "$me: unknown command '$1'" >&2; usage >&2; exit 2 ;;
esac

#!/usr/bin/env bash
# Builds and tests KESTREL8's Debian source package the way Debian does, in clean roots:
# mmdebstrap makes the roots (kept outside the tree, made again weekly), sbuild builds in them
# in unshare mode and runs that release's lintian, autopkgtest-virt-unshare runs
# debian/tests, piuparts installs and purges. Another architecture's packages (cross-built) are
# tested in a root of their own architecture, whose programs qemu runs. Runs as root or as a
# user with a subordinate id range (tools/setup.sh --release adds one).
set -euo pipefail
tree="$(cd "$(dirname "$0")/.." && pwd)"
me="tools/debian.sh"
cache="${K8_ROOTS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kestrel8/roots}"
max_age_days=7   # a root older than this is made again, so it follows the release's updates
releases=(bookworm trixie)
foreign=(arm64 armhf s390x)   # the architectures packages are cross-built and tested for

usage() {
  cat <<'TEXT'
Usage: tools/debian.sh COMMAND ...
Builds and tests the source package in clean Debian 12 (bookworm) and 13 (trixie) roots made
by mmdebstrap and cached in ${XDG_CACHE_HOME:-~/.cache}/kestrel8/roots (or $K8_ROOTS_CACHE).
  source TARBALL OUT      the source package (.dsc, .orig.tar.gz, .debian.tar.xz) of the
                          release's source tarball into the folder OUT
  root RELEASE KIND [ARCH]
                          make RELEASE's root if it is missing or older than 7 days and print
                          its path; KIND is build (sbuild's) or test (autopkgtest's, piuparts');
                          with ARCH (arm64, armhf, s390x) a test root of that architecture,
                          whose programs run under qemu through binfmt_misc (registered by
                          the script when run as root)
  build RELEASE DSC OUT [ARCH]
                          sbuild DSC in RELEASE's build root into the folder OUT, then that
                          release's lintian on the .changes (source and binaries): an error or
                          a warning fails; DEB_BUILD_OPTIONS=nocheck leaves out the tests,
                          K8_BUILD_PATH sets the folder the build happens in. With ARCH (arm64,
                          armhf, s390x) cross-built for it, without the tests, which
                          tools/cross.sh runs under qemu
  test RELEASE DSC CHANGES
                          autopkgtest (DSC's debian/tests) and piuparts on the packages of
                          CHANGES in RELEASE's test root of CHANGES' architecture: another
                          architecture's (a cross build's) is emulated by qemu, and slower
  --help                  this text
RELEASE is bookworm or trixie.
TEXT
}

fail() { echo "$me: $*" >&2; exit 1; }

# shellcheck source=tools/archive.bash
source "$(dirname "${BASH_SOURCE[0]}")/archive.bash"

# shellcheck source=tools/binfmt.bash
source "$(dirname "${BASH_SOURCE[0]}")/binfmt.bash"

known_release() {
  [[ " ${releases[*]} " == *" $1 "* ]] || fail "unknown release '$1' (bookworm or trixie)"
}

known_arch() {
  [[ " ${foreign[*]} " == *" $1 "* ]] || fail "unknown architecture '$1' (arm64, armhf or s390x)"
}

# root_path RELEASE KIND [ARCH]: sbuild reads any tarball; piuparts only a gzipped one. Only
# test roots are made for another architecture: its packages are cross-built in this one's.
root_path() {
  case "$2${3:+-$3}" in
    build) echo "$cache/$1-build.tar.zst" ;;
    test) echo "$cache/$1-test.tar.gz" ;;
    test-*) echo "$cache/$1-$3-test.tar.gz" ;;
    build-*) fail "a build root is this machine's architecture only: other architectures are cross-built in it" ;;
    *) fail "unknown kind of root '$2' (build or test)" ;;
  esac
}

fresh() {
  [[ -s "$1" && -z "$(find "$1" -mtime +"$max_age_days" 2> /dev/null)" ]]
}

# make_root RELEASE KIND: the build root is Debian's buildd set (build-essential, apt); the test
# root the smallest one with apt, its package lists kept for autopkgtest. Both trust the
# certificate authorities this machine added (a network that inspects TLS signs with its own).
# Every session of a root is thrown away afterwards, so dpkg need not sync each file it writes
# (sbuild-createchroot sets the same), and apt fetches no translations. A root of another
# architecture is made the same way, with its maintainer scripts run by qemu.
make_root() {
  local release="$1" kind="$2" arch="${3:-}" out mirror next log
  out="$(root_path "$release" "$kind" "$arch")"
  fresh "$out" && return 0
  mirror="$(archive)"
  mkdir -p "$cache"
  next="$out.new.${out##*.tar.}"
  log="$cache/$release-${arch:+$arch-}$kind.log"
  local options=(--mode=unshare --include=ca-certificates --dpkgopt=force-unsafe-io
                 --aptopt='Acquire::Languages "none"')
  if [[ -n "$arch" ]]; then
    need_binfmt_in_roots "$arch"
    options+=(--architectures="$arch")
  fi
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
  local takes="a few minutes"
  [[ -z "$arch" ]] || takes="longer under qemu"
  echo "Making Debian $release's ${arch:+$arch }$kind root from $mirror in $out ($takes, once a week)" >&2
  rm -f "$next"
  local start=$SECONDS
  mmdebstrap "${options[@]}" "$release" "$next" \
    "deb $mirror $release main" "deb $mirror $release-updates main" > "$log" 2>&1 ||
    { tail -30 "$log" >&2; rm -f "$next"; fail "mmdebstrap failed (log: $log)"; }
  mv "$next" "$out"
  echo "$release's ${arch:+$arch }$kind root made in $((SECONDS - start)) s" >&2
}

# source TARBALL OUT: the source package of the release's tarball, which is its .orig tarball
# byte for byte. The tarball leaves debian/ out (.gitattributes); it comes from the commit the
# tarball was made from, whose id git archive records in it.
make_source() {
  local tarball="$1" out="$2" name version commit work
  [[ -f "$tarball" ]] || fail "no tarball $tarball"
  name="$(basename "$tarball" .tar.gz)"     # kestrel8-VERSION
  version="${name#kestrel8-}"
  commit="$(git get-tar-commit-id < <(gzip -dc "$tarball"))" ||
    fail "$tarball records no commit (make it with git archive, as tools/release.sh does)"
  mkdir -p "$out"
  work="$(mktemp -d)"
  tar -xzf "$tarball" -C "$work"
  [[ -d "$work/$name" ]] || { rm -rf "$work"; fail "$tarball does not unpack into $name/"; }
  # The subtree alone: the top-level .gitattributes that leaves debian/ out does not apply there.
  git -C "$tree" archive --prefix=debian/ "$commit:debian" | tar -xf - -C "$work/$name" ||
    { rm -rf "$work"; fail "no debian/ in commit $commit of $tree"; }
  cp "$tarball" "$work/kestrel8_$version.orig.tar.gz"
  (cd "$work" && dpkg-source --build "$name") > "$work/dpkg-source.log" 2>&1 ||
    { cat "$work/dpkg-source.log" >&2; rm -rf "$work"; fail "dpkg-source failed"; }
  cp "$work"/kestrel8_*.dsc "$work"/kestrel8_*.orig.tar.gz "$work"/kestrel8_*.debian.tar.* "$out/"
  rm -rf "$work"
  ls "$out"/kestrel8_*.dsc
}

# build RELEASE DSC OUT: sbuild in unshare mode from the cached root, then that release's
# lintian on the build's .changes and the .dsc: an error or a warning fails the build, and its
# informational and pedantic notes are shown. On a machine of the same release lintian runs
# here; otherwise sbuild installs it into the build's throw-away session and runs it there.
build() {
  local release="$1" dsc out root config lintian_here=0 host="${4:-}"
  dsc="$(realpath "$2")"
  out="$(realpath -m "$3")"
  [[ -f "$dsc" ]] || fail "no source package $2"
  make_root "$release" build
  root="$(root_path "$release" build)"
  [[ "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" == "$release" ]] && lintian_here=1
  mkdir -p "$out"
  config="$(mktemp)"
  printf '%s\n' '$lintian_require_success = 1;' '1;' > "$config"
  local lintian_options=(--pedantic --display-info --fail-on error,warning)
  # The .changes names the distribution of the source package's debian/changelog.
  local distribution
  distribution="$(tar -xOf "$(dirname "$dsc")/$(basename "$dsc" .dsc).debian.tar.xz" \
    debian/changelog | dpkg-parsechangelog -l - -S Distribution)"
  local options=(--chroot-mode=unshare --chroot="$root" --dist="$distribution" --arch-any
                 --no-arch-all --no-source
                 --build-dir="$out" --nolog --no-run-piuparts --no-run-autopkgtest)
  if ((lintian_here)); then
    options+=(--no-run-lintian)
  else
    options+=(--run-lintian --lintian-opts="${lintian_options[*]}")
  fi
  [[ -z "${K8_BUILD_PATH:-}" ]] || options+=(--build-path="$K8_BUILD_PATH")
  local build_options="${DEB_BUILD_OPTIONS:-}"
  if [[ -n "$host" ]]; then
    # A cross build runs its generators and the manual page's --help on this machine (the
    # latter through qemu's binfmt_misc registration); the host's tests run in tools/cross.sh.
    need_binfmt_in_roots "$host"
    options+=(--host="$host")
    build_options="${build_options:+$build_options }nocheck"
  fi
  local start=$SECONDS status=0
  echo "sbuild: $(basename "$dsc") on Debian $release${host:+ for $host}${build_options:+ (DEB_BUILD_OPTIONS=$build_options)}"
  DEB_BUILD_OPTIONS="${build_options:+$build_options }parallel=$(nproc 2> /dev/null || echo 2)" \
    SBUILD_CONFIG="$config" sbuild "${options[@]}" "$dsc" > "$out/sbuild.log" 2>&1 || status=$?
  rm -f "$config"
  if ((status != 0)); then
    tail -60 "$out/sbuild.log" >&2
    fail "sbuild failed on Debian $release (log: $out/sbuild.log)"
  fi
  echo "sbuild: built on Debian $release in $((SECONDS - start)) s"
  local changes
  changes="$(ls "$out"/*.changes)"
  if ((lintian_here)); then
    lintian "${lintian_options[@]}" "$changes" "$dsc" > "$out/lintian.log" 2>&1 ||
      { cat "$out/lintian.log" >&2; fail "lintian of Debian $release: errors or warnings"; }
  else
    sed -n '/^Running lintian/,/^Lintian run was successful/p' "$out/sbuild.log" > "$out/lintian.log"
  fi
  grep -E '^[EWIPXO]: ' "$out/lintian.log" || true
  echo "lintian of Debian $release: no error, no warning"
  echo "$changes"
}

# changes_files CHANGES SUFFIX: the files of a .changes that end in SUFFIX, with their folder.
changes_files() {
  local dir
  dir="$(dirname "$1")"
  awk '/^Files:/ { on = 1; next } /^[^ ]/ { on = 0 } on { print $5 }' "$1" |
    grep -E -- "$2\$" | sed "s|^|$dir/|"
}

# changes_arch CHANGES: the architecture its binary packages are built for.
changes_arch() {
  sed -n 's/^Architecture: //p' "$1" | tr ' ' '\n' | { grep -vx -e source -e all -e '' || true; } | head -1
}

# test RELEASE DSC CHANGES: debian/tests run by autopkgtest on the built packages in a fresh
# session of RELEASE's test root of their architecture, on the source tree they were built
# from; then piuparts installs them in another, purges them and checks that nothing is left
# behind. Another architecture's root runs every program under qemu, the tests' and apt's and
# dpkg's alike, through binfmt_misc.
test_packages() {
  local release="$1" dsc="$2" changes root work start status=0 arch foreign_arch=""
  changes="$(realpath "$3")"
  [[ -f "$changes" ]] || fail "no $3"
  [[ -f "$dsc" ]] || fail "no $dsc"
  arch="$(changes_arch "$changes")"
  [[ -n "$arch" ]] || fail "$changes names no architecture of binary packages"
  if [[ "$arch" != "$(dpkg --print-architecture)" ]]; then
    known_arch "$arch"
    foreign_arch="$arch"
  fi
  make_root "$release" test "$foreign_arch"
  root="$(root_path "$release" test "$foreign_arch")"
  local on="Debian $release"
  [[ -z "$foreign_arch" ]] || on="Debian $release $arch (emulated)"
  local debs=()
  mapfile -t debs < <(changes_files "$changes" '.deb' | grep -v -- '-dbgsym_')
  ((${#debs[@]} > 0)) || fail "$changes names no .deb"
  work="$(mktemp -d)"
  dpkg-source --no-check -x "$dsc" "$work/source" > /dev/null
  start=$SECONDS
  echo "autopkgtest: ${debs[*]##*/} on $on"
  autopkgtest --no-built-binaries --output-dir="$work/autopkgtest" "${debs[@]}" "$work/source/" \
    -- unshare --release "$release" --tarball "$root" > "$work/autopkgtest.log" 2>&1 || status=$?
  if ((status != 0)); then
    tail -150 "$work/autopkgtest.log" >&2
    rm -rf "$work"
    fail "autopkgtest failed on $on (status $status)"
  fi
  sed -n '/@@@@@@@@@@@@@@@@@@@@ summary/,$p' "$work/autopkgtest.log"
  echo "autopkgtest: passed on $on in $((SECONDS - start)) s"
  start=$SECONDS
  echo "piuparts: install, purge, nothing left, on $on"
  # Nothing to upgrade from: the packages are not in Debian's archive. debconf makes its
  # temporary folder the first time a dependency's maintainer script uses it, which the fresh
  # root's never did; piuparts' own roots have it already.
  piuparts --basetgz="$root" --distribution="$release" --keep-sources-list --no-upgrade-test \
    --fail-on-broken-symlinks --ignore=/var/cache/debconf/tmp.ci/ "${debs[@]}" \
    > "$work/piuparts.log" 2>&1 || status=$?
  if ((status != 0)); then
    tail -80 "$work/piuparts.log" >&2
    rm -rf "$work"
    fail "piuparts failed on $on"
  fi
  tail -1 "$work/piuparts.log"
  echo "piuparts: passed on $on in $((SECONDS - start)) s"
  rm -rf "$work"
}

case "${1:---help}" in
  -h | --help) usage; exit 0 ;;
esac
# sbuild, mmdebstrap, autopkgtest, piuparts, lintian and root's subordinate ids.
"$tree/tools/setup.sh" --release
case "$1" in
  root)
    (($# == 3 || $# == 4)) || fail "root needs a release and a kind (and an architecture)"
    known_release "$2"
    [[ $# == 3 ]] || known_arch "$4"
    make_root "$2" "$3" "${4:-}"
    root_path "$2" "$3" "${4:-}"
    ;;
  source)
    (($# == 3)) || fail "source needs the release's tarball and a folder"
    make_source "$2" "$3"
    ;;
  build)
    (($# == 4 || $# == 5)) || fail "build needs a release, a .dsc and a folder (and an architecture)"
    known_release "$2"
    [[ $# == 4 || " arm64 armhf s390x " == *" $5 "* ]] ||
      fail "unknown architecture '$5' (arm64, armhf or s390x)"
    build "$2" "$3" "$4" "${5:-}"
    ;;
  test)
    (($# == 4)) || fail "test needs a release, the .dsc and the build's .changes"
    known_release "$2"
    test_packages "$2" "$3" "$4"
    ;;
  *) echo "$me: unknown command '$1'" >&2; usage >&2; exit 2 ;;
esac

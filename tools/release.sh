#!/usr/bin/env bash
# Writes the release files for the version in CMakeLists.txt's project() line into dist/:
# the source tarball, the Debian source package made from it, the Debian packages sbuild
# builds from that in a clean Debian 12 root, the browser build's zip, the Windows zip when
# its build exists, and SHA256SUMS over them; and proves the packages on the way (lintian,
# a Debian 13 build, autopkgtest, piuparts: tools/debian.sh). Everything is dated from the
# last commit or from debian/changelog, so two runs from the same commit give the same bytes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
me="tools/release.sh"

usage() {
  cat <<'TEXT'
Usage: tools/release.sh [--dist DIR] [--build DIR] [--web DIR] [--allow-dirty] [--ci | --files-only [--cross]] [--help]
Writes into dist/ (emptied first), for the version set in CMakeLists.txt and debian/changelog:
  kestrel8-VERSION.tar.gz                the source tree of the last commit, but debian/
  kestrel8_VERSION.orig.tar.gz           the same bytes, as the source package's tarball
  kestrel8_VERSION-REV.debian.tar.xz     debian/ of that commit
  kestrel8_VERSION-REV.dsc               the source package
  kestrel8_VERSION-REV_amd64.deb         the programs, desktop entries, icons, manual pages
  libkestrel8-dev_VERSION-REV_amd64.deb  headers, static libraries, CMake and pkg-config files
  kestrel8-dbgsym_VERSION-REV_amd64.deb  the programs' debugging symbols
  the same three for arm64 and armhf     cross-built (tools/debian.sh build ... ARCH)
  kestrel8-VERSION-web.zip               the browser build (made by tools/web.sh build)
  kestrel8-VERSION-win64.zip             only when tools/windows.sh has made it
  SHA256SUMS
The .deb files come from sbuild in a clean Debian 12 root, with the project's tests and
Debian 12's lintian, the arm64, armhf and s390x ones cross-built there. The source package is
then built and tested on both releases: in a clean Debian 13 root with its tests and Debian 13's
lintian, autopkgtest and piuparts on Debian 12 and 13; the arm64 and armhf packages'
autopkgtest and piuparts in Debian 12 roots of their own architecture, emulated by qemu; the
other architectures' unit tests and capture run under qemu (tools/cross.sh); and a second
release in other folders must be the same bytes (tests/release/reproducible.sh).
  --dist DIR     write there instead of ./dist
  --build DIR    the package builds' folder (default ./build-release)
  --web DIR      the browser build's folder (default ./build-web)
  --allow-dirty  release from a work tree with uncommitted changes (the release is always the
                 last commit; the changes are left out)
  --ci           what CI proves on every change: the Debian 12 build without its tests
                 (DEB_BUILD_OPTIONS=nocheck: CI has just run them), autopkgtest and piuparts
                 on Debian 13 only, no second release
  --files-only   the release files alone, no further checks (the second release of
                 tests/release/reproducible.sh)
  --cross        with --files-only: the arm64 and armhf packages too, as a release has them
  --help         this text
Installs what it needs with tools/setup.sh --release (and --web for the browser build).
TEXT
}

fail() { echo "$me: $*" >&2; exit 1; }
bad_usage() { echo "$me: $1" >&2; usage | head -1 >&2; exit 2; }

dist="$root/dist"
build="$root/build-release"
web="${K8_WEB_DIR:-$root/build-web}"
allow_dirty=0
mode=release
cross=""   # the other architectures' packages: in a release, and in a second one made like it
while (($# > 0)); do
  case "$1" in
    -h | --help) usage; exit 0 ;;
    --dist | --build | --web)
      if (($# < 2)) || [[ -z "$2" ]]; then bad_usage "$1 needs a directory"; fi
      case "$1" in
        --dist) dist="$(realpath -m "$2")" ;;
        --build) build="$(realpath -m "$2")" ;;
        --web) web="$(realpath -m "$2")" ;;
      esac
      shift ;;
    --allow-dirty) allow_dirty=1 ;;
    --ci) mode=ci ;;
    --files-only) mode=files ;;
    --cross) cross=1 ;;
    *) bad_usage "unknown argument '$1'" ;;
  esac
  shift
done

[[ $mode != release ]] || cross=1
[[ -z "$cross" || $mode != ci ]] || bad_usage "--cross is a release's, not CI's"

# Everything that reaches a file is fixed here: names sort alike, dates print alike, and new
# files get the same permissions whatever the caller's umask.
export LC_ALL=C.UTF-8 TZ=UTC
umask 022

"$root/tools/setup.sh" --release
command -v git > /dev/null || fail "git is missing"
git -C "$root" rev-parse --git-dir > /dev/null 2>&1 || fail "$root is not a git work tree"
[[ "$(dpkg --print-architecture)" == amd64 ]] || fail "the packages are built on amd64 only"

# ---- what is released -----------------------------------------------------------------
version="$(sed -nE 's/^project\(KESTREL8 VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' "$root/CMakeLists.txt")"
[[ -n "$version" ]] || fail "no version in the project() line of CMakeLists.txt"
# The release's date and notes come from its changelog entry, its packages' revision from
# debian/changelog: a version without both is not ready to be released.
grep -qE "^## ${version//./\\.} - [0-9]{4}-[0-9]{2}-[0-9]{2}\$" "$root/CHANGELOG.md" ||
  fail "CHANGELOG.md has no entry '## $version - YYYY-MM-DD'"
package_version="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)"
[[ "${package_version%-*}" == "$version" ]] ||
  fail "debian/changelog's last entry is $package_version, not $version-REVISION (dch -v $version-1)"
if [[ -n "$(git -C "$root" status --porcelain --untracked-files=normal)" ]]; then
  ((allow_dirty)) || fail "the work tree has uncommitted changes (git status); commit them" \
    "or pass --allow-dirty"
  echo "$me: warning: releasing the last commit without the uncommitted changes" >&2
fi
SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct)"
export SOURCE_DATE_EPOCH

work="$build/release"   # the builds' folders, made again on every run
# dist/ is emptied of an earlier release's files only: a folder given by mistake that holds
# anything else is refused, never cleared.
mkdir -p "$dist"
others="$(find "$dist" -mindepth 1 -maxdepth 1 ! -name 'kestrel8[-_]*' \
  ! -name 'libkestrel8-dev_*.deb' ! -name SHA256SUMS -printf '%f ')"
[[ -z "$others" ]] || fail "$dist holds files that are not release files ($others); choose" \
  "another --dist"
find "$dist" -mindepth 1 -maxdepth 1 -type f -delete
rm -rf "$work"
mkdir -p "$work"

# ---- the source tarball -----------------------------------------------------------------
source_tarball() {
  local name="kestrel8-$version"
  # git archive dates every entry from the commit and names no user, and leaves out debian/
  # (.gitattributes), which the source package carries; gzip -n leaves out the name and time
  # it would otherwise record.
  git -C "$root" archive --format=tar --prefix="$name/" HEAD | gzip -n -9 > "$dist/$name.tar.gz"
}

# ---- the Debian packages ------------------------------------------------------------------
# The source package of the tarball, built by sbuild in a clean Debian 12 root; its .deb files
# are the release's. In CI the tests are left out of that build: CI has just run them.
packages() {
  local dsc changes
  dsc="$("$root/tools/debian.sh" source "$dist/kestrel8-$version.tar.gz" "$dist")"
  if [[ $mode == release ]]; then
    "$root/tools/debian.sh" build bookworm "$dsc" "$work/bookworm"
  else
    DEB_BUILD_OPTIONS=nocheck "$root/tools/debian.sh" build bookworm "$dsc" "$work/bookworm"
  fi
  changes="$work/bookworm/kestrel8_${package_version}_amd64.changes"
  [[ -f "$changes" ]] || fail "sbuild left no $changes"
  cp "$work/bookworm/"*.deb "$dist/"
  [[ -n "$cross" ]] || return 0
  # A release also holds the packages for ARM, cross-built in the same root (and so built again
  # by the reproducibility check); s390x is built as a check of the big-endian build, not
  # released.
  local arch
  for arch in arm64 armhf s390x; do
    "$root/tools/debian.sh" build bookworm "$dsc" "$work/bookworm-$arch" "$arch"
    [[ $arch == s390x ]] || cp "$work/bookworm-$arch/"*.deb "$dist/"
  done
}

# The same source package on Debian 13, with its tests; autopkgtest and piuparts on the
# packages of both releases (Debian 13's only in CI), and on the ARM packages in Debian 12 roots
# of their architecture, under qemu.
package_checks() {
  local dsc="$dist/kestrel8_$package_version.dsc"
  "$root/tools/debian.sh" build trixie "$dsc" "$work/trixie"
  "$root/tools/debian.sh" test trixie "$dsc" "$work/trixie/kestrel8_${package_version}_amd64.changes"
  if [[ $mode == release ]]; then
    "$root/tools/debian.sh" test bookworm "$dsc" "$work/bookworm/kestrel8_${package_version}_amd64.changes"
    local arch
    for arch in arm64 armhf; do
      "$root/tools/debian.sh" test bookworm "$dsc" \
        "$work/bookworm-$arch/kestrel8_${package_version}_$arch.changes"
    done
    # The three other architectures' unit tests and capture under qemu (CI runs two of them).
    "$root/tools/cross.sh" test arm64 armhf s390x
  fi
}

# ---- zips ---------------------------------------------------------------------------------------
# reproducible_zip DIR ZIP: DIR's files under DIR's name, in sorted order, dated from the
# commit, with fixed modes and without the owner and extra time fields zip would add.
reproducible_zip() {
  local dir="$1" zip="$2" parent name
  parent="$(dirname "$dir")"
  name="$(basename "$dir")"
  find "$dir" -type d -exec chmod 755 {} +
  find "$dir" -type f -exec chmod 644 {} +
  find "$dir" -exec touch --date="@$SOURCE_DATE_EPOCH" {} +
  (cd "$parent" && find "$name" -type f | sort | zip -q -X -D -9 "$zip" -@) ||
    fail "zip failed for $zip"
}

web_zip() {
  K8_WEB_DIR="$web" "$root/tools/web.sh" build > "$work/web.log" 2>&1 ||
    { cat "$work/web.log" >&2; fail "the browser build failed"; }
  # The folder's visible entries are the site; its hidden .build holds the build trees.
  local site="$work/kestrel8-$version-web"
  mkdir -p "$site"
  find "$web" -mindepth 1 -maxdepth 1 ! -name '.*' -exec cp -r {} "$site/" \;
  [[ -f "$site/index.html" ]] || fail "$web has no index.html after tools/web.sh build"
  reproducible_zip "$site" "$dist/kestrel8-$version-web.zip"
}

windows_zip() {
  local zip="$root/build-windows/kestrel8-$version-win64.zip"
  if [[ -f "$zip" ]]; then
    unzip -tq "$zip" > /dev/null || fail "$zip is not a sound zip; make it again with tools/windows.sh"
    cp "$zip" "$dist/"
  else
    echo "$me: no $zip (tools/windows.sh makes it); released without it" >&2
  fi
}

checksums() {
  local sums="$work/SHA256SUMS"
  (cd "$dist" && find . -maxdepth 1 -type f -printf '%f\n' | sort | xargs sha256sum) > "$sums"
  mv "$sums" "$dist/SHA256SUMS"
}

echo "$me: KESTREL8 $version ($package_version), dated $(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T') UTC"
source_tarball
packages
web_zip
windows_zip
checksums
(cd "$dist" && ls -l)
[[ $mode == files ]] && exit 0
package_checks
# A second release from the same commit in other folders, compared byte for byte (in CI, its
# own step).
[[ $mode == ci ]] || "$root/tests/release/reproducible.sh" "$dist"

#!/usr/bin/env bash
# Writes the release files for the version in CMakeLists.txt's project() line into dist/:
# the source tarball, the two Debian packages, the browser build's zip, the Windows zip when
# its build exists, and SHA256SUMS over them. Everything is dated from the last commit, so two
# runs from the same commit give the same bytes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
me="tools/release.sh"

usage() {
  cat <<'TEXT'
Usage: tools/release.sh [--dist DIR] [--build DIR] [--web DIR] [--allow-dirty] [--help]
Writes into dist/ (emptied first), for the version set in CMakeLists.txt:
  kestrel8-VERSION.tar.gz             the source tree of the last commit
  kestrel8_VERSION-1_amd64.deb        the programs, desktop entries, icons, manual pages
  libkestrel8-dev_VERSION-1_amd64.deb headers, static libraries, CMake and pkg-config files
  kestrel8-VERSION-web.zip            the browser build (made by tools/web.sh build)
  kestrel8-VERSION-win64.zip          only when tools/windows.sh has made it
  SHA256SUMS
  --dist DIR     write there instead of ./dist
  --build DIR    the packages' build tree (default ./build-release)
  --web DIR      the browser build's folder (default ./build-web)
  --allow-dirty  build from a work tree with uncommitted changes (the packages then differ
                 from the tarball, which is always the last commit)
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
    *) bad_usage "unknown argument '$1'" ;;
  esac
  shift
done

# Everything that reaches a file is fixed here: names sort alike, dates print alike, and new
# files get the same permissions whatever the caller's umask.
export LC_ALL=C.UTF-8 TZ=UTC
umask 022

packaging="$root/packaging"
arch=amd64
multiarch=x86_64-linux-gnu
revision=1

"$root/tools/setup.sh" --release
command -v git > /dev/null || fail "git is missing"
git -C "$root" rev-parse --git-dir > /dev/null 2>&1 || fail "$root is not a git work tree"
[[ "$(dpkg --print-architecture)" == "$arch" ]] || fail "the packages are built on $arch only"

# ---- what is released -----------------------------------------------------------------
version="$(sed -nE 's/^project\(KESTREL8 VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' "$root/CMakeLists.txt")"
[[ -n "$version" ]] || fail "no version in the project() line of CMakeLists.txt"
# The release's date and notes come from its changelog entry: a version without one is not
# ready to be released.
release_date="$(sed -nE "s/^## ${version//./\\.} - ([0-9]{4}-[0-9]{2}-[0-9]{2})\$/\1/p" \
  "$root/CHANGELOG.md" | head -1)"
[[ -n "$release_date" ]] || fail "CHANGELOG.md has no entry '## $version - YYYY-MM-DD'"
if [[ -n "$(git -C "$root" status --porcelain --untracked-files=normal)" ]]; then
  ((allow_dirty)) || fail "the work tree has uncommitted changes (git status); commit them" \
    "or pass --allow-dirty"
  echo "$me: warning: packaging uncommitted changes; the tarball holds the last commit" >&2
fi
SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct)"
export SOURCE_DATE_EPOCH

work="$build/release"   # the packages' trees, rebuilt on every run
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
  # git archive dates every entry from the commit and names no user; gzip -n leaves out the
  # name and time it would otherwise record.
  git -C "$root" archive --format=tar --prefix="$name/" HEAD | gzip -n -9 > "$dist/$name.tar.gz"
}

# ---- the programs and libraries, installed into a staging root ----------------------------
build_and_stage() {
  # Debian's hardening flags; -O3 from the project's own Release flags comes later on the
  # command line and wins over their -O2. The prefix maps keep the paths of this checkout out
  # of the objects.
  local cflags cxxflags cppflags ldflags
  export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
  cflags="$(cd "$root" && dpkg-buildflags --get CFLAGS) -ffile-prefix-map=$build=."
  cxxflags="$(cd "$root" && dpkg-buildflags --get CXXFLAGS) -ffile-prefix-map=$build=."
  cppflags="$(cd "$root" && dpkg-buildflags --get CPPFLAGS)"
  ldflags="$(cd "$root" && dpkg-buildflags --get LDFLAGS)"
  mkdir -p "$build"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DK8_BENCH=OFF \
    -DCMAKE_C_FLAGS="$cflags $cppflags" -DCMAKE_CXX_FLAGS="$cxxflags $cppflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" > "$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; fail "configuring $build failed"; }
  cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" > "$build/build.log" 2>&1 ||
    { tail -40 "$build/build.log" >&2; fail "building failed (log: $build/build.log)"; }
  DESTDIR="$work/stage" cmake --install "$build" > "$build/install.log" 2>&1 ||
    { cat "$build/install.log" >&2; fail "installing into the staging root failed"; }
}

# install_file MODE SOURCE DEST: one file into a package tree, with its directories.
install_file() {
  install -D -m "$1" "$2" "$3"
}

# gzip_doc SOURCE DEST: documentation compressed the way Debian ships it (no name, no date).
gzip_doc() {
  mkdir -p "$(dirname "$2")"
  gzip -n -9 < "$1" > "$2"
}

# from_template SOURCE DEST: the packaging templates' @VERSION@-style words filled in.
from_template() {
  local changelog_date
  changelog_date="$(date -R -d "@$SOURCE_DATE_EPOCH")"
  sed -e "s/@VERSION@/$version/g" -e "s/@REVISION@/$revision/g" \
    -e "s/@RELEASE_DATE@/$release_date/g" -e "s/@CHANGELOG_DATE@/$changelog_date/g" \
    -e "s/@MULTIARCH@/$multiarch/g" "$1" > "$2"
}

package_docs() {  # package_docs TREE PACKAGE
  local doc="$1/usr/share/doc/$2"
  install_file 644 "$packaging/copyright" "$doc/copyright"
  gzip_doc "$root/CHANGELOG.md" "$doc/changelog.gz"
  gzip_doc "$work/changelog.Debian" "$doc/changelog.Debian.gz"
  install_file 644 "$packaging/lintian-overrides" "$1/usr/share/lintian/overrides/$2"
}

# ---- kestrel8: the programs ------------------------------------------------------------------
programs=()
# Every program the build installs is an end-user program of this package: a game, so in
# /usr/games with its manual page in section 6.
games_tree() {
  local tree="$work/src/debian/kestrel8" stage="$work/stage/usr"
  local program name icons="$work/icons"
  for program in "$stage/bin/"*; do
    [[ -f "$program" && -x "$program" ]] || fail "unexpected entry in bin/: $program"
    name="$(basename "$program")"
    programs+=("$name")
    install_file 755 "$program" "$tree/usr/games/$name"
    strip --strip-unneeded --remove-section=.comment --remove-section=.note \
      "$tree/usr/games/$name"
  done
  ((${#programs[@]} > 0)) || fail "the build installed no program"

  # One page covers the two builds of the demo; a further program has its own page, written
  # here or, until it has one, made from its --help.
  local man="$tree/usr/share/man/man6"
  mkdir -p "$man"
  from_template "$packaging/kestrel8.6" "$work/kestrel8.6"
  gzip_doc "$work/kestrel8.6" "$man/kestrel8.6.gz"
  for name in "${programs[@]}"; do
    [[ $name == kestrel8 ]] && continue
    if [[ $name == kestrel8-fullscreen ]]; then
      ln -s kestrel8.6.gz "$man/$name.6.gz"
    elif [[ -f "$packaging/$name.6" ]]; then
      from_template "$packaging/$name.6" "$work/$name.6"
      gzip_doc "$work/$name.6" "$man/$name.6.gz"
    else
      help2man --no-info --section=6 --version-string="$version" \
        --name="$(desktop_summary "$name")" "$tree/usr/games/$name" > "$work/$name.6" ||
        fail "help2man could not make a manual page from '$name --help'"
      gzip_doc "$work/$name.6" "$man/$name.6.gz"
    fi
  done

  # Desktop entries for the programs a person starts from a menu; a command-line tool such as
  # the capture program has none.
  local entry
  for entry in "$packaging/"*.desktop; do
    name="$(basename "$entry" .desktop)"
    [[ " ${programs[*]} " == *" $name "* ]] ||
      fail "$entry starts $name, which the build did not install"
    install_file 644 "$entry" "$tree/usr/share/applications/$name.desktop"
  done
  # AppStream finds the metadata by its component id, so the file is named after it.
  local component
  component="$(sed -nE 's|.*<id>(.+)</id>.*|\1|p' "$packaging/kestrel8.metainfo.xml" | head -1)"
  [[ -n "$component" ]] || fail "packaging/kestrel8.metainfo.xml has no <id>"
  from_template "$packaging/kestrel8.metainfo.xml" "$work/metainfo.xml"
  install_file 644 "$work/metainfo.xml" "$tree/usr/share/metainfo/$component.metainfo.xml"

  "$packaging/mkicons.sh" "$root/docs/scene3.png" "$icons"
  local icon size
  for icon in "$icons/"*.png; do
    size="$(basename "$icon" .png)"
    install_file 644 "$icon" "$tree/usr/share/icons/hicolor/${size}x${size}/apps/kestrel8.png"
  done

  package_docs "$tree" kestrel8
  gzip_doc "$root/README.md" "$tree/usr/share/doc/kestrel8/README.md.gz"
}

# desktop_summary PROGRAM: the one-line summary a program's manual page gives after its name.
desktop_summary() {
  case "$1" in
    kestrel8-capture) echo "record the KESTREL8 demo to a video file" ;;
    *) echo "a program of the KESTREL8 demo" ;;
  esac
}

# ---- libkestrel8-dev: the libraries ---------------------------------------------------------
dev_tree() {
  local tree="$work/src/debian/libkestrel8-dev" stage="$work/stage/usr"
  mkdir -p "$tree/usr/lib"
  cp -a "$stage/include" "$tree/usr/include"
  cp -a "$stage/lib/$multiarch" "$tree/usr/lib/$multiarch"
  # What dh_strip does to a static library: no debugging sections, no build notes, and the
  # archive's own dates and owners zeroed.
  local library
  for library in "$tree/usr/lib/$multiarch/"*.a; do
    strip --strip-debug --remove-section=.comment --remove-section=.note \
      --enable-deterministic-archives "$library"
  done
  package_docs "$tree" libkestrel8-dev
}

# Everything the build installed must have found its package; a new kind of file needs a
# decision here, not a silent omission.
check_staging_claimed() {
  local left
  left="$(find "$work/stage/usr" \( -type f -o -type l \) -printf '%P\n' |
    { grep -vE "^(bin/|include/|lib/$multiarch/|share/doc/kestrel8/)" || true; })"
  [[ -z "$left" ]] || fail "the build installed files no package takes:"$'\n'"$left"
}

# ---- control files and the .deb files ---------------------------------------------------------
# dpkg-gencontrol and dpkg-shlibdeps work in a source package's layout: a debian/ folder
# with the control file and the changelog, made here from the templates, and each package's
# tree in debian/PACKAGE.
debian_dir() {
  mkdir -p "$work/src/debian"
  from_template "$packaging/changelog.Debian" "$work/changelog.Debian"
  cp "$work/changelog.Debian" "$work/src/debian/changelog"
  cp "$packaging/control" "$work/src/debian/control"
}

build_deb() {  # build_deb PACKAGE
  local package="$1" tree="$work/src/debian/$1" substvars="$work/src/debian/$1.substvars"
  # Nothing here adds maintainer-script dependencies; the capture program alone suggests.
  printf '%s\n' "misc:Depends=" "misc:Suggests=" > "$substvars"
  mkdir -p "$tree/DEBIAN"  # how dpkg-shlibdeps tells a package's root
  if [[ $package == kestrel8 ]]; then
    # Dependencies from what the programs link: the SDL 1.2 library's own symbols file
    # makes it a dependency both SDL 1.2 libraries satisfy.
    local binaries=()
    for name in "${programs[@]}"; do binaries+=("debian/$package/usr/games/$name"); done
    (cd "$work/src" && dpkg-shlibdeps -T"$substvars" "${binaries[@]}") ||
      fail "dpkg-shlibdeps failed"
    # The capture program writes videos through ffmpeg, which nothing else needs.
    if [[ " ${programs[*]} " == *" kestrel8-capture "* ]]; then
      sed -i 's/^misc:Suggests=$/misc:Suggests=ffmpeg/' "$substvars"
    fi
  fi
  # Modes and dates alike on every run: the umask and the clock never reach the package.
  find "$tree" -type d -exec chmod 755 {} +
  find "$tree" -type f ! -perm -u+x -exec chmod 644 {} +
  find "$tree" -type f -perm -u+x -exec chmod 755 {} +
  (cd "$work/src" && dpkg-gencontrol -p"$package" -P"$tree" -T"$substvars" \
    -f"$work/files") || fail "dpkg-gencontrol failed for $package"
  chmod 644 "$tree/DEBIAN/control"
  (cd "$tree" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$tree/DEBIAN/md5sums"
  chmod 644 "$tree/DEBIAN/md5sums"
  find "$tree" -print0 | xargs -0 touch --no-dereference --date="@$SOURCE_DATE_EPOCH"
  dpkg-deb --root-owner-group -Zxz --build "$tree" \
    "$dist/${package}_${version}-${revision}_${arch}.deb" > /dev/null ||
    fail "dpkg-deb failed for $package"
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

echo "$me: KESTREL8 $version, dated $(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T') UTC"
source_tarball
build_and_stage
check_staging_claimed
debian_dir
games_tree
dev_tree
build_deb kestrel8
build_deb libkestrel8-dev
web_zip
windows_zip
checksums
(cd "$dist" && ls -l)

#!/usr/bin/env bash
# Builds KESTREL8 for 64-bit Windows with the mingw-w64 cross compiler, packs the zip, and tests
# the programs under Wine. See usage below.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${K8_WINDOWS_DIR:-$root/build-windows}"
trees="$out/.build"        # build trees; the zip sits in $out itself
# SDL 1.2 built for Windows takes minutes, so it is kept outside the source tree for every later
# run and clone, keyed by the version of Debian's source package it came from.
cache="${K8_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kestrel8/windows}"
triplet=x86_64-w64-mingw32
jobs="$(nproc 2>/dev/null || echo 2)"
((jobs > 2)) && jobs=2

usage() {
  cat <<'TEXT'
Usage: tools/windows.sh [build | test | --help]
  build   (the default) install what is missing (tools/setup.sh --windows), build SDL 1.2 for
          64-bit Windows from Debian's libsdl1.2 source package (once: it is cached), cross-compile
          kestrel8.exe and kestrel8-fullscreen.exe and pack
          build-windows/kestrel8-<version>-win64.zip
  test    build, then run the programs under Wine in a private prefix: without a display (start,
          play, quit on q, exit status 1, no file written), once under Xvfb with a screenshot, and
          a frame-logging build beside the desktop program, present for present
  --help  this text
Settings from the environment:
  K8_WINDOWS_DIR    output folder (default build-windows/ in the source tree)
  K8_WINDOWS_CACHE  where SDL's source and its Windows build are kept
                    (default ${XDG_CACHE_HOME:-~/.cache}/kestrel8/windows)
TEXT
}

fail() { echo "tools/windows.sh: $*" >&2; exit 1; }

# ---- SDL 1.2 for Windows, from Debian's source package --------------------------------------

# The machine's own Debian archive and release, read from its apt sources (deb822 files in
# sources.list.d or one-line sources.list): "URI SUITE SIGNED-BY". The release's own entry is
# preferred over its -updates and -security ones.
debian_archive() {
  local codename=""
  [[ -r /etc/os-release ]] && codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
  {
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
      [[ -r "$f" ]] || continue
      # One record per paragraph: Types, URIs, Suites, Components, Signed-By.
      awk 'BEGIN { RS = ""; FS = "\n" }
        { types = uris = suites = comps = key = ""
          for (i = 1; i <= NF; i++) {
            if ($i ~ /^[ \t]*#/) continue
            split($i, kv, ":"); name = tolower(kv[1]); value = substr($i, index($i, ":") + 1)
            gsub(/^[ \t]+|[ \t]+$/, "", value)
            if (name == "types") types = value; else if (name == "uris") uris = value
            else if (name == "suites") suites = value; else if (name == "components") comps = value
            else if (name == "signed-by") key = value
            else if (name == "enabled" && tolower(value) == "no") next
          }
          if (types !~ /(^| )deb( |$)/ || comps !~ /(^| )main( |$)/) next
          n = split(uris, u, " "); m = split(suites, s, " ")
          for (i = 1; i <= n; i++) for (j = 1; j <= m; j++) print u[i], s[j], (key == "" ? "-" : key) }' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [[ -r "$f" ]] || continue
      awk '$1 == "deb" { key = "-"; i = 2
             if ($2 ~ /^\[/) { for (; i <= NF; i++) { if ($i ~ /signed-by=/) { key = $i; sub(/.*signed-by=/, "", key); sub(/\]$/, "", key) }
                                                      if ($i ~ /\]$/) { i++; break } } }
             for (c = i + 2; c <= NF; c++) if ($c == "main") { print $i, $(i + 1), key; break } }' "$f"
    done
  } | awk -v codename="$codename" '
      $2 == codename { print; found = 1; exit }
      first == "" && $2 !~ /-(updates|security|backports)$/ && $1 ~ /debian\/?$/ { first = $0 }
      END { if (!found && first != "") print first }'
}

# apt with a private sources list, lists and caches under $cache/apt: the machine's own apt
# configuration is never touched.
private_apt() {
  local dir="$cache/apt"
  apt-get -o Dir::Etc::sourcelist="$dir/sources.list" -o Dir::Etc::sourceparts=- \
    -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir/cache" \
    -o APT::Sandbox::User=root -q "$@"
}

# update_source_list: the private source list for the machine's own archive and release, and
# its index of source packages, made afresh.
update_source_list() {
  local dir="$cache/apt" archive uri suite key
  archive="$(debian_archive)"
  [[ -n "$archive" ]] || fail "no Debian archive with the main component in /etc/apt"
  read -r uri suite key <<< "$archive"
  mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial"
  if [[ "$key" == - ]]; then
    echo "deb-src $uri $suite main" > "$dir/sources.list"
  else
    echo "deb-src [signed-by=$key] $uri $suite main" > "$dir/sources.list"
  fi
  echo "SDL's source: $(cat "$dir/sources.list")" >&2
  private_apt update > "$dir/update.log" 2>&1 ||
    { cat "$dir/update.log" >&2; fail "apt-get update of the source list failed"; }
}

# The newest version of libsdl1.2 the archive serves, from the private index (made once).
sdl_source_version() {
  local dir="$cache/apt" newest="" v
  if [[ ! -s "$dir/sources.list" ]] || ! compgen -G "$dir/lists/*_Sources*" > /dev/null; then
    update_source_list
  fi
  for v in $(apt-cache -o Dir::Etc::sourcelist="$dir/sources.list" -o Dir::Etc::sourceparts=- \
               -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir/cache" showsrc libsdl1.2 |
               awk '/^Version:/ { print $2 }'); do
    if [[ -z "$newest" ]] || dpkg --compare-versions "$v" gt "$newest"; then newest="$v"; fi
  done
  echo "$newest"
}

# build_sdl: SDL 1.2 built for Windows into $cache/sdl-<version>; prints that prefix.
build_sdl() {
  local version prefix src work
  # One build at a time per cache: a second run waits for the first and then takes its SDL.
  mkdir -p "$cache"
  exec 9> "$cache/.lock"
  flock 9
  version="$(sdl_source_version)"
  [[ -n "$version" ]] || fail "the archive serves no libsdl1.2 source package"
  prefix="$cache/sdl-$version"
  if [[ -f "$prefix/.complete" ]]; then
    ln -sfn "sdl-$version" "$cache/sdl"
    echo "$prefix"
    return 0
  fi
  src="$cache/source-$version"
  work="$cache/work-$version"
  rm -rf "$work" "$prefix"
  mkdir -p "$src" "$work"
  if ! compgen -G "$src/*.dsc" > /dev/null; then
    echo "Downloading Debian's libsdl1.2 $version source" >&2
    (cd "$src" && private_apt source --download-only "libsdl1.2=$version") > "$src/download.log" 2>&1 ||
      { cat "$src/download.log" >&2; rm -rf "$src"
        fail "downloading the libsdl1.2 source failed (an index older than the archive? remove $cache/apt)"; }
  fi
  # Debian's own patches applied, as its packages have them. The files' checksums are checked
  # against the .dsc, whose own hash apt checked against the archive's signed index.
  dpkg-source -x "$src"/*.dsc "$work/sdl" > "$work/unpack.log" 2>&1 ||
    { cat "$work/unpack.log" >&2; fail "unpacking the libsdl1.2 source failed"; }
  echo "Building SDL $version for $triplet (a minute or two, once)" >&2
  # --no-insert-timestamp: the same source gives the same SDL.dll, for a reproducible zip.
  # --disable-stdio-redirect: SDL's Windows start-up code would otherwise send standard output
  # and error to stdout.txt and stderr.txt beside the program, and the demo writes no files.
  (cd "$work/sdl" &&
     ./configure --host="$triplet" --prefix="$prefix" CC="$triplet-gcc-posix" \
       --disable-static --disable-stdio-redirect LDFLAGS=-Wl,--no-insert-timestamp &&
     make -j"$jobs" && make install) > "$work/build.log" 2>&1 ||
    { tail -40 "$work/build.log" >&2; fail "building SDL for Windows failed (log: $work/build.log)"; }
  [[ -f "$prefix/bin/SDL.dll" ]] || fail "the SDL build made no SDL.dll"
  touch "$prefix/.complete"
  rm -rf "$work"
  # The windows preset (CMakePresets.json) finds the current build under this name.
  ln -sfn "sdl-$version" "$cache/sdl"
  echo "$prefix"
}

# ---- the programs ----------------------------------------------------------------------------

source "$root/tools/hostbuild.bash"

# build_windows TREE SDL-PREFIX: both programs, the frame-logging one, SDL.dll beside them and
# the tests' winkeys.exe for Windows, in the windows preset's configuration
# (CMakePresets.json) with this SDL.
build_windows() {
  local tree="$1" sdl="$2"
  # Release without debug information (the toolchain file strips and leaves out the link time
  # stamp): the same sources give the same bytes. The generators are built for this machine
  # inside the tree.
  configure "$tree" "$tree.configure.log" cmake -S "$root" --preset windows -B "$tree" \
    -DSDL_INCLUDE_DIR="$sdl/include/SDL" -DSDL_LIBRARY_TEMP="$sdl/lib/libSDL.dll.a" \
    -DSDLMAIN_LIBRARY="$sdl/lib/libSDLmain.a"
  cmake --build "$tree" --target kestrel8 kestrel8-fullscreen kestrel8-framelog sdl_dll winkeys \
    -j"$jobs" \
    > "$tree.build.log" 2>&1 ||
    { cat "$tree.build.log" >&2; fail "Windows build failed (log: $tree.build.log)"; }
  check_imports "$tree/demo/kestrel8.exe" "$tree/demo/kestrel8-fullscreen.exe"
}

# The programs may need SDL.dll and Windows' own DLLs, nothing from the compiler.
check_imports() {
  local exe dll
  for exe in "$@"; do
    for dll in $("$triplet-objdump" -p "$exe" | awk '/DLL Name:/ { print $3 }'); do
      case "${dll,,}" in
        sdl.dll | kernel32.dll | msvcrt.dll | user32.dll | gdi32.dll | advapi32.dll | winmm.dll) ;;
        *) fail "$(basename "$exe") needs $dll, which a Windows machine does not have" ;;
      esac
    done
  done
}

project_version() {
  sed -n 's/^project(KESTREL8 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"
}

# The zip, reproducible: fixed order, fixed time stamps and modes, no extra fields, so that two
# builds of the same commit give the same bytes. The time is the commit's (SOURCE_DATE_EPOCH
# when set).
pack() {  # pack TREE SDL-PREFIX
  local tree="$1" sdl="$2" version stage zipfile epoch
  version="$(project_version)"
  [[ -n "$version" ]] || fail "no version in CMakeLists.txt's project()"
  zipfile="$out/kestrel8-$version-win64.zip"
  stage="$trees/zip/kestrel8-$version-win64"
  rm -rf "$trees/zip" "$zipfile"
  mkdir -p "$stage"
  cp "$tree/demo/kestrel8.exe" "$tree/demo/kestrel8-fullscreen.exe" "$tree/demo/SDL.dll" "$stage/"
  # Text files with Windows line ends, for Notepad.
  local sdlpackage="${sdl##*/sdl-}"
  sed -e "s/@VERSION@/$version/g" -e "s/@SDL_VERSION@/${sdlpackage%%+*}/g" \
    -e "s/@SDL_PACKAGE@/$sdlpackage/g" -e 's/$/\r/' "$root/platform/windows/README.txt" > "$stage/README.txt"
  sed -e 's/$/\r/' "$root/LICENSE" > "$stage/LICENSE"
  epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 946684800)}"
  chmod 644 "$stage"/*
  chmod 755 "$stage"
  find "$trees/zip" -exec touch -h -d "@$epoch" {} +
  (cd "$trees/zip" && find "kestrel8-$version-win64" -print | LC_ALL=C sort |
     TZ=UTC zip -X -q -@ "$zipfile") || fail "packing $zipfile failed"
  echo "Packed $zipfile"
}

build() {
  if ! command -v "$triplet-g++-posix" > /dev/null || ! command -v zip > /dev/null ||
     ! command -v dpkg-source > /dev/null; then
    "$root/tools/setup.sh" --windows
  fi
  mkdir -p "$trees"
  local sdl
  sdl="$(build_sdl)"
  build_windows "$trees/windows" "$sdl"
  pack "$trees/windows" "$sdl"
}

# ---- tests under Wine --------------------------------------------------------------------------

# The windows preset's tests (tests/windows): the zip's programs under Wine, and the same frames
# as the desktop program's reference run.
run_tests() {
  "$root/tools/setup.sh" --windows --test  # --test: Xvfb, xdotool, netpbm, sdl12-compat
  ctest --test-dir "$trees/windows" --output-on-failure
}

case "${1:-build}" in
  -h | --help) usage ;;
  build) build ;;
  test) build; run_tests ;;
  *) echo "tools/windows.sh: unknown command '$1'" >&2; usage >&2; exit 2 ;;
esac

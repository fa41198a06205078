#!/usr/bin/env bash
# Installs what KESTREL8 needs from Debian's packages, and nothing that is already there.
# Fast when nothing is missing: it only asks dpkg.
set -euo pipefail

usage() {
  cat <<'TEXT'
Usage: tools/setup.sh [--test] [--bench] [--web] [--capture] [--windows] [--cross] [--release] [--ci] [--help]
Installs the Debian packages KESTREL8 needs that are missing (with sudo when not root).
  (no option)  what building and running the demo needs: compiler, CMake, SDL 1.2
  --test       also what the tests need: GoogleTest, Xvfb, xdotool and a window manager, both
               SDL 1.2 libraries
  --bench      also the benchmark library and the counterparts the benchmarks measure against
  --web        also the browser build and its tests: Emscripten, Chromium, npm (tools/web.sh)
  --capture    also ffmpeg, which kestrel8-capture writes its videos through
  --windows    also the Windows build and its tests: mingw-w64, Wine, zip (tools/windows.sh)
  --cross      also the builds for arm64, armhf and s390x and their tests: the cross compilers,
               mmdebstrap, qemu's user-mode emulators (tools/cross.sh)
  --release    also what tools/release.sh and tools/debian.sh need: debhelper, sbuild,
               mmdebstrap, autopkgtest, piuparts, reprotest, lintian, the desktop-entry,
               AppStream and manual-page checkers, zip; and root's subordinate id range
               (added to /etc/subuid and /etc/subgid when missing)
  --fuzz       also clang with its sanitizer and fuzzer runtimes (the fuzz preset)
  --ci         everything CI uses: all of the above, and doxygen
  --help       this text
TEXT
}

run=(g++ make cmake pkg-config libsdl1.2-dev)
test=(
  googletest libgtest-dev
  libsdl1.2-compat                               # the second SDL 1.2 the tests run on (SDL 1.2 over SDL2)
  xvfb xauth xdotool x11-apps x11-utils netpbm  # end-to-end: X server, keys, screenshots
  openbox                                        # end-to-end: the window manager full screen needs
  sox                                            # checking the rendered soundtrack
  ffmpeg                                         # the capture's videos, decoded by its tests
)
bench=(
  libbenchmark-dev
  libsdl-gfx1.2-dev libsndfile1-dev              # counterparts measured by the benchmarks
  libpixman-1-dev libstb-dev                     # the strongest counterparts: fills, transforms, image readers
)
# tools/release.sh and tools/debian.sh: the source package and its build (dpkg-dev, debhelper,
# devscripts), the clean roots it is built and tested in (mmdebstrap, sbuild, autopkgtest,
# piuparts, reprotest; uidmap maps their namespaces' ids; qemu-user-static, registered by
# binfmt-support, runs the programs of a root made for another architecture, which mmdebstrap
# checks with arch-test), the zips; then the checks of the packages.
release=(dpkg-dev debhelper devscripts sbuild mmdebstrap autopkgtest piuparts reprotest uidmap
         qemu-user-static binfmt-support arch-test netpbm help2man zip unzip git lintian
         desktop-file-utils appstream man-db)
capture=(ffmpeg)                                  # kestrel8-capture's .mkv and .mp4 output
fuzz=(clang libclang-rt-dev)                   # the fuzz preset: clang's sanitizer and fuzzer runtimes
ci=(doxygen)                                   # the API documentation check
# The browser build: Emscripten (it brings node); its tests drive Debian's chromium through npm
# packages. Debian's npm only when no npm is there: a node from elsewhere brings its own npm,
# which Debian's would conflict with.
web=(emscripten chromium)
if ! command -v npm > /dev/null 2>&1; then
  web+=(npm)
fi

# The Windows build: the mingw-w64 cross compiler, dpkg-source to unpack SDL's Debian source,
# zip for the package; its tests run the programs under Wine.
windows=(g++-mingw-w64-x86-64-posix dpkg-dev zip unzip wine wine64)

# The other architectures (tools/cross.sh): Debian's cross compilers, mmdebstrap to unpack
# their libraries, qemu to run their programs.
cross=(g++-aarch64-linux-gnu g++-arm-linux-gnueabihf g++-s390x-linux-gnu mmdebstrap
       qemu-user-static binfmt-support)

packages=("${run[@]}")
subids=0
for arg in "$@"; do
  case "$arg" in
    --test) packages+=("${test[@]}") ;;
    --bench) packages+=("${bench[@]}") ;;
    --web) packages+=("${web[@]}") ;;
    --capture) packages+=("${capture[@]}") ;;
    --windows) packages+=("${windows[@]}") ;;
    --cross) packages+=("${cross[@]}") ;;
    --fuzz) packages+=("${fuzz[@]}") ;;
    --release) packages+=("${release[@]}"); subids=1 ;;
    --ci) subids=1; packages+=("${test[@]}" "${bench[@]}" "${web[@]}" "${capture[@]}" "${windows[@]}" "${cross[@]}" "${release[@]}" "${fuzz[@]}" "${ci[@]}") ;;
    -h | --help) usage; exit 0 ;;
    *) echo "tools/setup.sh: unknown argument '$arg'" >&2; usage >&2; exit 2 ;;
  esac
done

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi

# sbuild, mmdebstrap and autopkgtest's unshare back end map the ids inside their roots onto
# the user's subordinate range; without one sbuild says only "Error creating chroot session".
# A range is added only when the user has none, after every range already given out.
subordinate_ids() {
  local user file first
  user="$(id -un)"
  for file in /etc/subuid /etc/subgid; do
    grep -q "^$user:" "$file" 2> /dev/null && continue
    first="$(awk -F: 'BEGIN { n = 100000 } $2 + $3 > n { n = $2 + $3 } END { print n }' \
      "$file" 2> /dev/null || echo 100000)"
    echo "Adding $user:$first:65536 to $file (the subordinate ids of sbuild's, mmdebstrap's" \
      "and autopkgtest's namespaces)"
    [[ -e "$file" ]] || "${sudo[@]}" touch "$file"   # usermod adds only to an existing file
    if [[ $file == /etc/subuid ]]; then
      "${sudo[@]}" usermod --add-subuids "$first-$((first + 65535))" "$user"
    else
      "${sudo[@]}" usermod --add-subgids "$first-$((first + 65535))" "$user"
    fi
  done
}
((subids == 0)) || subordinate_ids

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Builds KESTREL8 for the other machines Debian runs on (arm64, armhf, s390x) with Debian's cross
# compilers, and tests it there under qemu's user-mode emulator. See usage below.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${K8_CROSS_DIR:-$root/build-cross}"
trees="$out"
host="$out/host"   # the generators, and the capture program the targets' captures must match
# The architectures' libraries, unpacked by mmdebstrap from Debian's archive (a minute each),
# are kept outside the source tree and made again weekly, as the clean roots are.
cache="${K8_CROSS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kestrel8/cross}"
max_age_days=7
jobs="$(nproc 2>/dev/null || echo 2)"
((jobs > 2)) && jobs=2

usage() {
  cat <<'TEXT'
Usage: tools/cross.sh build ARCH... | test ARCH... | --help
ARCH is arm64, armhf or s390x.
  build   install what is missing (tools/setup.sh --cross), unpack ARCH's SDL 1.2 and C++
          libraries from Debian's archive of this machine's release (once: they are cached),
          and cross-compile the libraries and the three programs into build-cross/ARCH
  test    build ARCH's unit tests and capture program too, and run them under qemu: every unit
          test; then a scripted capture with keys through all four scenes, whose sound.wav must
          be byte-identical to this machine's and whose frames must be, but for the panel line
          that shows a memory address
  --help  this text
The tests need qemu registered with binfmt_misc (tools/cross.sh mounts and enables it when run
as root). Settings from the environment:
  K8_CROSS_DIR    output folder (default build-cross/ in the source tree)
  K8_CROSS_CACHE  where the architectures' libraries are kept
                  (default ${XDG_CACHE_HOME:-~/.cache}/kestrel8/cross)
TEXT
}

fail() { echo "tools/cross.sh: $*" >&2; exit 1; }

# shellcheck source=tools/hostbuild.bash
source "$root/tools/hostbuild.bash"

triplet_of() {
  case "$1" in
    arm64) echo aarch64-linux-gnu ;;
    armhf) echo arm-linux-gnueabihf ;;
    s390x) echo s390x-linux-gnu ;;
    *) return 1 ;;
  esac
}

# shellcheck source=tools/archive.bash
source "$(dirname "${BASH_SOURCE[0]}")/archive.bash"
# shellcheck source=tools/binfmt.bash
source "$(dirname "${BASH_SOURCE[0]}")/binfmt.bash"

# sysroot ARCH: prints the folder of ARCH's libraries, unpacking them first when they are missing
# or older than a week. The release is this machine's, so that the cross compiler and the C++
# library unpacked beside SDL are the same version.
sysroot() {
  local arch="$1" suite gcc dir log
  suite="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
  [[ -n "$suite" ]] || fail "cannot tell this machine's Debian release from /etc/os-release"
  gcc="$("$(triplet_of "$arch")-g++" -dumpversion)"
  gcc="${gcc%%.*}"
  dir="$cache/$suite-$arch"
  if [[ -f "$dir/.made" && -z "$(find "$dir/.made" -mtime +"$max_age_days")" ]]; then
    echo "$dir"
    return
  fi
  mkdir -p "$cache"
  log="$cache/$suite-$arch.log"
  echo "Unpacking $arch's libraries from Debian $suite ($(archive)) into $dir" >&2
  rm -rf "$dir.new"
  # Unpacked only (--variant=extract): no maintainer script runs, so nothing is emulated.
  if ! mmdebstrap --variant=extract --architectures="$arch" \
         --include="libc6-dev,libstdc++-$gcc-dev,libsdl1.2-dev,libgtest-dev" \
         "$suite" "$dir.new" "$(archive)" > "$log" 2>&1; then
    grep -E '404|Failed to fetch|Unable to|^E:' "$log" | head -5 >&2 || true
    fail "could not unpack $arch's libraries for Debian $suite: a package above is missing from the archive or could not be fetched (the whole log: $log)"
  fi
  touch "$dir.new/.made"
  rm -rf "$dir"
  mv "$dir.new" "$dir"
  echo "$dir"
}

# cross_build ARCH TESTING TARGET...: configures and builds ARCH's tree.
cross_build() {
  local arch="$1" testing="$2" dir="$out/$1"
  shift 2
  local sys
  sys="$(sysroot "$arch")"
  configure "$dir" "$out/$arch.configure.log" cmake -S "$root" -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-cross.cmake" -DK8_CROSS_TRIPLET="$(triplet_of "$arch")" \
    -DK8_CROSS_SYSROOT="$sys" -DK8_HOST_BUILD="$host" -DCMAKE_BUILD_TYPE=Release \
    -DK8_BENCH=OFF -DBUILD_TESTING="$testing"
  local targets=()
  (($# > 0)) && targets=(--target "$@")
  cmake --build "$dir" -j"$jobs" "${targets[@]}" > "$out/$arch.build.log" 2>&1 ||
    { tail -40 "$out/$arch.build.log" >&2; fail "$arch build failed (log: $out/$arch.build.log)"; }
  echo "$arch: built in $dir"
}

# The keys of the scripted capture: scene 2's keys, the frame-rate digits and every scene
# (presents counted from 0, each scene's 32 fade steps included); the capture ends with the
# scene 4 that the last key ends, 933 frames in all.
capture_keys="60:space 130:g 160:r 190:a 220:w 250:d 280:f 400:8 500:space 700:space 900:space"
capture_frames=1000

# same_capture A B: the two capture folders hold the same sound and frames, where frames may
# differ only inside scene 2's address line (x below 64, rows 96 to 103).
same_capture() {
  cmp -s "$1/sound.wav" "$2/sound.wav" || fail "sound.wav differs: $(cmp "$1/sound.wav" "$2/sound.wav")"
  local a b masked=0 frames=0
  for a in "$1"/frame*.ppm; do
    b="$2/${a##*/}"
    [[ -f "$b" ]] || fail "${a##*/} is missing from $2"
    frames=$((frames + 1))
    cmp -s "$a" "$b" && continue
    # cmp -l: the 1-based offsets of the bytes that differ; 15 bytes of header ("P6\n256 256\n255\n").
    { cmp -l "$a" "$b" || true; } | awk -v f="${a##*/}" '
      { p = int(($1 - 16) / 3); x = p % 256; y = int(p / 256)
        if ($1 <= 15 || x >= 64 || y < 96 || y >= 104) { print f ": differs at x " x ", y " y; exit 1 } }' ||
      fail "frames differ outside the address line"
    masked=$((masked + 1))
  done
  [[ "$(find "$2" -name 'frame*.ppm' | wc -l)" -eq $frames ]] || fail "$2 holds more frames"
  echo "$arch capture: the same sound, the same $frames frames ($masked differ only in the address line)"
}

test_arch() {
  local arch="$1" sys
  build_host kestrel8-capture
  cross_build "$arch" ON test_image test_bytemap test_audio test_platform test_demo kestrel8-capture
  need_binfmt "$arch"
  sys="$(sysroot "$arch")"
  export QEMU_LD_PREFIX="$sys"
  (cd "$out/$arch" && ctest -L 'image|bytemap|audio|platform|demo' -j"$jobs" --output-on-failure \
     > "$out/$arch.test.log" 2>&1) || { grep -E 'FAILED|Failed|Failure' -A8 "$out/$arch.test.log" | head -60 >&2
                                       fail "$arch unit tests failed (log: $out/$arch.test.log)"; }
  echo "$arch: $(grep -E 'tests passed' "$out/$arch.test.log")"
  local captures="$out/$arch.captures"
  rm -rf "$captures"
  mkdir -p "$captures"
  "$host/capture/kestrel8-capture" --keys "$capture_keys" --frames "$capture_frames" "$captures/host/"
  "$out/$arch/capture/kestrel8-capture" --keys "$capture_keys" --frames "$capture_frames" "$captures/$arch/"
  same_capture "$captures/host" "$captures/$arch"
  rm -rf "$captures"
}

command="${1:-}"
case "$command" in
  -h | --help) usage; exit 0 ;;
  build | test) shift ;;
  *) echo "tools/cross.sh: unknown command '${command}'" >&2; usage >&2; exit 2 ;;
esac
(($# > 0)) || { echo "tools/cross.sh: name an architecture (arm64, armhf or s390x)" >&2; exit 2; }
for arch in "$@"; do
  triplet_of "$arch" > /dev/null ||
    { echo "tools/cross.sh: unknown architecture '$arch' (arm64, armhf or s390x)" >&2; exit 2; }
done
"$root/tools/setup.sh" --cross
mkdir -p "$out"
for arch in "$@"; do
  start=$SECONDS
  case "$command" in
    build) build_host; cross_build "$arch" OFF ;;
    test) test_arch "$arch" ;;
  esac
  echo "$arch: $command took $((SECONDS - start)) s"
done

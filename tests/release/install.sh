#!/usr/bin/env bash
# Installs the release's two Debian packages with apt, uses them as a person and as a
# programmer would, removes them and checks that nothing of them is left.
#  - the desktop entries' commands exist;
#  - every installed program in /usr/games starts headless and stops on SIGTERM;
#  - man finds the manual page of every program;
#  - examples/caption.cpp builds against the development package through find_package and
#    through pkg-config, with no prefix given, and runs;
#  - after apt-get purge no file or folder of the packages is left, nor anything apt brought
#    in for them.
# Runs as root (or through sudo) on any Debian with apt; it installs what it needs to check.
# Usage: tests/release/install.sh DIST_DIR
set -euo pipefail
source "$(dirname "$0")/lib.bash"
debs=("$dist"/kestrel8_*.deb "$dist"/libkestrel8-dev_*.deb)
for deb in "${debs[@]}"; do [[ -f "$deb" ]] || fail "no $deb"; done
ours=(kestrel8 libkestrel8-dev)

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
# Another apt on the machine holds the lock for a while; wait for it instead of failing.
apt=("${sudo[@]}" apt-get -y -qq -o DPkg::Lock::Timeout=600)

work="$(mktemp -d)"
cleanup() {
  local status=$?
  # A failed check must not leave the packages installed on the machine.
  if ((${#ours[@]} > 0)) &&
    [[ "$(dpkg-query -W -f='${Status}\n' "${ours[@]}" 2>/dev/null || true)" == *"ok installed"* ]]; then
    "${apt[@]}" purge "${ours[@]}" > /dev/null 2>&1 || true
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

installed_packages() {
  dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Abbrev}\n' |
    awk '$2 ~ /^.i/ {print $1}' | sort
}

# What the checks themselves use, installed before the packages are, so that it is not
# taken for something the packages brought in.
tools=(cmake g++ make pkg-config man-db)
missing=()
for tool in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$tool" 2>/dev/null | grep -q 'ok installed' || missing+=("$tool")
done
if ((${#missing[@]} > 0)); then
  "${apt[@]}" update
  "${apt[@]}" install --no-install-recommends "${missing[@]}" > /dev/null
fi
# The test owns the packages' whole life on the machine: one already installed is refused.
for package in "${ours[@]}"; do
  [[ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2> /dev/null || true)" != [ih]i* ]] ||
    { ours=(); fail "$package is installed already; purge it first"; }
done
installed_packages > "$work/before"
# Every path the packages hold, and which of their folders exist before they do.
for deb in "${debs[@]}"; do dpkg-deb --fsys-tarfile "$deb" | tar -t; done |
  sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/\?$' | sort -u > "$work/paths"
while read -r path; do
  [[ -e "$path" || -L "$path" ]] && echo "$path"
done < "$work/paths" > "$work/existing"

echo "== apt-get install ${debs[*]##*/}"
# Only what the packages depend on: what those dependencies merely recommend is no part of
# the test, and purging it again afterwards would touch much of a small system.
if ! "${apt[@]}" install --no-install-recommends "${debs[@]}" > "$work/apt.log" 2>&1; then
  # A new root may have no package lists yet.
  "${apt[@]}" update
  "${apt[@]}" install --no-install-recommends "${debs[@]}" > "$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install"; }
fi
installed_packages > "$work/after"
brought="$(comm -13 "$work/before" "$work/after" | grep -vE '^(kestrel8|libkestrel8-dev):' || true)"
if [[ -n "$brought" ]]; then
  echo "installed, with $(wc -l <<< "$brought") packages apt brought in for them"
else
  echo "installed; apt brought in nothing else"
fi

echo "== the desktop entries' commands"
entries=$(dpkg -L kestrel8 | grep '^/usr/share/applications/.*\.desktop$')
[[ -n "$entries" ]] || fail "kestrel8 has no desktop entries"
for entry in $entries; do
  command="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")"
  resolved="$(PATH="/usr/local/bin:/usr/bin:/bin:/usr/games" command -v "$command" || true)"
  [[ -n "$resolved" && -x "$resolved" ]] || fail "$entry: Exec=$command does not exist"
  echo "$(basename "$entry"): $resolved"
done

echo "== the programs start headless and stop on SIGTERM; man finds their pages"
programs=$(dpkg -L kestrel8 | grep '^/usr/games/.')
[[ -n "$programs" ]] || fail "kestrel8 has no programs in /usr/games"
for program in $programs; do
  name="$(basename "$program")"
  man -w "$name" > "$work/man.path" 2> "$work/man.err" || fail "man finds no page for $name"
  [[ -n "$(man "$name" 2> /dev/null)" ]] || fail "man shows nothing for $name"
  # A tool that needs arguments answers --help instead; the demo's programs take none.
  if [[ $name == kestrel8 || $name == kestrel8-fullscreen ]]; then
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$program" > "$work/$name.out" 2>&1 &
    pid=$!
    sleep 2
    kill -0 "$pid" 2> /dev/null || { wait "$pid" || true; cat "$work/$name.out" >&2; fail "$name did not keep running"; }
    kill -TERM "$pid"
    status=0
    for _ in $(seq 50); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2> /dev/null; then
      kill -KILL "$pid"
      fail "$name did not stop within 5 s of SIGTERM"
    fi
    wait "$pid" || status=$?
    ((status == 128 + 15)) || fail "$name ended with status $status on SIGTERM, not by the signal"
    echo "$name: ran 2 s headless, stopped by SIGTERM; man: $(cat "$work/man.path")"
  else
    "$program" --help > "$work/$name.out" 2>&1 || fail "$name --help failed"
    echo "$name: answers --help; man: $(cat "$work/man.path")"
  fi
done

echo "== examples/caption.cpp against libkestrel8-dev, with no prefix given"
# A grey 64 x 64 picture, scaled to half and captioned.
{ printf 'P6\n64 64\n255\n'; head -c $((64 * 64 * 3)) /dev/zero | tr '\0' '\200'; } > "$work/in.ppm"
check_caption() {  # check_caption PROGRAM
  "$1" --scale 50 --text "K8" "$work/in.ppm" "$work/out.ppm" || fail "$1 failed"
  [[ "$(head -c 12 "$work/out.ppm")" == $'P6\n32 32\n255' ]] || fail "$1 wrote an unexpected picture"
  echo "$1: ok"
}
cmake -S "$root/examples" -B "$work/find_package" > "$work/cmake.log" 2>&1 ||
  { cat "$work/cmake.log" >&2; fail "find_package(KESTREL8) against the installed package"; }
grep -q 'KESTREL8_DIR:PATH=/usr/lib/' "$work/find_package/CMakeCache.txt" ||
  fail "find_package found KESTREL8 elsewhere than in the package: $(grep KESTREL8_DIR "$work/find_package/CMakeCache.txt")"
cmake --build "$work/find_package" > "$work/build.log" 2>&1 || { cat "$work/build.log" >&2; fail "building caption"; }
check_caption "$work/find_package/caption"
[[ "$(env -u PKG_CONFIG_PATH pkg-config --variable=pcfiledir kestrel8)" == /usr/lib/* ]] ||
  fail "pkg-config finds kestrel8 elsewhere than in the package"
# shellcheck disable=SC2046 # pkg-config's flags are meant to be split
g++ -Wall -Wextra -Werror -o "$work/caption" "$root/examples/caption.cpp" \
  $(env -u PKG_CONFIG_PATH pkg-config --cflags --libs kestrel8) || fail "building caption with pkg-config"
check_caption "$work/caption"

echo "== apt-get purge"
"${apt[@]}" purge "${ours[@]}" > "$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get purge"; }
if [[ -n "$brought" ]]; then
  # shellcheck disable=SC2086 # one package name per word
  "${apt[@]}" purge $brought > "$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get purge of what apt brought in for the packages"; }
fi
left="$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${ours[@]}" 2>/dev/null |
  awk '$2 != "un" && $2 != "pn"' || true)"
[[ -z "$left" ]] || fail "dpkg still knows: $left"
ls /var/lib/dpkg/info/kestrel8[.:]* /var/lib/dpkg/info/libkestrel8-dev[.:]* 2> /dev/null &&
  fail "dpkg's records of the packages are left"
installed_packages > "$work/purged"
cmp -s "$work/before" "$work/purged" ||
  fail "the installed packages differ from before: $(diff "$work/before" "$work/purged" | grep '^[<>]' | tr '\n' ' ')"
left=""
while read -r path; do
  if [[ -e "$path" || -L "$path" ]] && ! grep -qxF "$path" "$work/existing"; then
    left+="$path"$'\n'
  fi
done < "$work/paths"
[[ -z "$left" ]] || fail "left after purge:"$'\n'"$left"
echo "purged: no file or folder of the packages is left, the package set is as before"
echo "install test: passed"

#!/usr/bin/env bash
# Installs what building and testing KESTREL8 needs, from Debian's packages, and nothing
# that is already there. Fast when nothing is missing: it only asks dpkg.
#
#   tools/setup.sh            packages to build, run and test
#   tools/setup.sh --ci       also what CI uses: clang and its sanitizer and fuzzer runtimes
set -euo pipefail

packages=(
  g++ make cmake pkg-config
  libsdl1.2-dev                      # SDL 1.2
  googletest libgtest-dev libbenchmark-dev
  libsdl-gfx1.2-dev libsndfile1-dev  # counterparts measured by the benchmarks
  xvfb xauth xdotool x11-apps x11-utils netpbm  # end-to-end: X server, keys, screenshots
  sox                                # checking the rendered soundtrack
)
if [[ "${1:-}" == "--ci" ]]; then
  packages+=(clang libclang-rt-14-dev)
fi

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
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

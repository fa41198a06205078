#!/usr/bin/env bash
# Proves the README's commands on Debian 13 ("trixie") from a Debian 12 machine, or any Debian
# with mmdebstrap: a minimal Debian 13 root is made with mmdebstrap from the package archive
# the machine's own apt sources name, kept in a cache folder outside the source tree and reused,
# and commands run inside it on a clean export of the tree, as a new user would run them.
#
# Each run happens in private mount and process namespaces: the root's /proc, /sys and /dev
# disappear with them, and every process started inside ends when the run does, whatever way
# it ends. Needs root (or sudo).
set -euo pipefail
tree="$(cd "$(dirname "$0")/.." && pwd)"
me="tools/debian13.sh"
cache="${K8_DEBIAN13_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kestrel8/debian13}"
rootfs="$cache/root"
stamp="$cache/root.made"
max_age_days=7     # a root older than this is made again, so it follows the release's updates
suite=trixie
inside=/root/kestrel8  # where the tree's export sits in the root

usage() {
  cat <<'TEXT'
Usage: tools/debian13.sh [root | run COMMAND | ci | --help]
Runs KESTREL8's commands on Debian 13 inside a chroot made with mmdebstrap and cached in
${XDG_CACHE_HOME:-~/.cache}/kestrel8/debian13 (or $K8_DEBIAN13_CACHE); needs root or sudo.
  root         make the Debian 13 root if it is missing, unfinished or older than 7 days; print its path
  run COMMAND  copy a clean export of the tree (the files git tracks, as they are in the working
               tree) to /root/kestrel8 in the root and run COMMAND there with bash
  ci           what CI proves there: the README's two commands (tools/run.sh for a few seconds
               with SDL's dummy drivers, tools/test.sh), tools/web.sh test, and that every
               option of tools/setup.sh installs
  --help       this text
TEXT
}

fail() { echo "$me: $*" >&2; exit 1; }

as_root=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo > /dev/null || fail "needs root, or sudo"
  as_root=(sudo)
fi

# shellcheck source=tools/archive.bash
source "$(dirname "${BASH_SOURCE[0]}")/archive.bash"

fresh() {
  [[ -f "$stamp" && -x "$rootfs/bin/bash" ]] &&
    [[ -z "$(find "$stamp" -mtime +"$max_age_days" 2>/dev/null)" ]]
}

make_root() {
  fresh && return 0
  command -v mmdebstrap > /dev/null ||
    { echo "Installing mmdebstrap"; "${as_root[@]}" apt-get install -y -qq mmdebstrap > /dev/null; }
  local mirror next="$cache/root.new"
  mirror="$(archive)"
  echo "Making a Debian 13 root from $mirror in $rootfs (a few minutes, once a week)"
  "${as_root[@]}" mkdir -p "$cache"
  "${as_root[@]}" rm -rf "$next"
  # A root of real ids (root mode): it is entered with chroot and kept between runs. Updates
  # come from the same archive; the local names resolve as on any installed system.
  "${as_root[@]}" mmdebstrap --mode=root --variant=minbase --include=ca-certificates \
    --customize-hook='printf "127.0.0.1 localhost\n::1 localhost ip6-localhost\n" > "$1/etc/hosts"' \
    "$suite" "$next" "deb $mirror $suite main" "deb $mirror $suite-updates main" \
    > "$cache/mmdebstrap.log" 2>&1 ||
    { tail -30 "$cache/mmdebstrap.log" >&2; fail "mmdebstrap failed (log: $cache/mmdebstrap.log)"; }
  "${as_root[@]}" rm -rf "$rootfs" "$stamp"
  "${as_root[@]}" mv "$next" "$rootfs"
  "${as_root[@]}" touch "$stamp"
}

# run_inside SCRIPT: runs SCRIPT with bash as root in the Debian 13 root, in the tree's export,
# with the environment a fresh login would have.
run_inside() {
  make_root
  local script="$1"
  "${as_root[@]}" rm -rf "$rootfs$inside"
  "${as_root[@]}" mkdir -p "$rootfs$inside"
  (cd "$tree" && git ls-files -z --cached | xargs -0 -I{} sh -c '[ -e "$1" ] && printf "%s\0" "$1"' _ {} |
     tar --null -T - -cf -) | "${as_root[@]}" tar -xf - -C "$rootfs$inside"
  "${as_root[@]}" cp /etc/resolv.conf "$rootfs/etc/resolv.conf"
  # The root reaches the network the way this machine does, so it trusts the certificate
  # authorities the machine added locally (a network that inspects TLS signs with its own).
  local local_cas=(/usr/local/share/ca-certificates/*.crt) trust=":"
  if [[ -e "${local_cas[0]}" ]]; then
    "${as_root[@]}" cp "${local_cas[@]}" "$rootfs/usr/local/share/ca-certificates/"
    trust="update-ca-certificates > /dev/null 2>&1"
  fi
  # New mount and process namespaces: the mounts below exist only for this run, and ending the
  # namespace's first process ends everything started inside.
  "${as_root[@]}" unshare --mount --pid --fork --kill-child --propagation private \
    bash -c '
      set -e
      r="$1"
      mount -t proc proc "$r/proc"
      mount -t sysfs sys "$r/sys"
      mount --rbind /dev "$r/dev"
      mount -t tmpfs -o mode=1777 tmp "$r/tmp"
      # Compilers go through ccache when the root has it (Emscripten brings it): the root and
      # so the cache outlive the run, and every run builds the same export in the same place.
      path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
      [[ -d "$r/usr/lib/ccache" ]] && path="/usr/lib/ccache:$path"
      exec chroot "$r" /usr/bin/env -i HOME=/root USER=root LOGNAME=root LANG=C.UTF-8 \
        TERM="${TERM:-dumb}" PATH="$path" \
        NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
        /bin/bash -c "$4 && cd \"$2\" && $3"
    ' _ "$rootfs" "$inside" "$script" "$trust"
}

# What CI proves in the root. First the README's start command, headless: it must build the
# demo, start it and keep it running until it is stopped from outside. Then the README's test
# command, the browser test, and every option of the set-up script.
readonly ci_script='
set -euo pipefail
echo "== Debian 13: $(cat /etc/debian_version)"
echo "== tools/run.sh"
log=/tmp/run.log
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy tools/run.sh > "$log" 2>&1 &
pid=$!
for _ in $(seq 1800); do
  [[ "$(readlink /proc/$pid/exe)" == */build-run/demo/kestrel8 ]] && break
  kill -0 $pid 2> /dev/null || { cat "$log"; echo "tools/run.sh ended before the demo ran" >&2; exit 1; }
  sleep 0.5
done
sleep 5
kill -0 $pid 2> /dev/null || { cat "$log"; echo "the demo did not keep running" >&2; exit 1; }
kill -TERM $pid
wait $pid || true
echo "tools/run.sh built the demo, which ran headless for 5 s"
echo "== tools/test.sh"
tools/test.sh
echo "== tools/web.sh test"
tools/web.sh test
echo "== every tools/setup.sh option"
for option in $(tools/setup.sh --help | awk '\''$1 ~ /^--/ && $1 != "--help" { print $1 }'\''); do
  tools/setup.sh "$option"
  echo "tools/setup.sh $option: installed"
done
'

case "${1:---help}" in
  -h | --help) usage ;;
  root) make_root; echo "$rootfs" ;;
  run)
    shift
    (($# > 0)) || fail "run needs a command"
    run_inside "$*"
    ;;
  ci) run_inside "$ci_script" ;;
  *) echo "$me: unknown command '$1'" >&2; usage >&2; exit 2 ;;
esac

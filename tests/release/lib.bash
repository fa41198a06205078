# Sourced by every release check with the check's arguments: its name for messages (me), the
# source tree (root), fail, and the one argument they all take, the folder of release files
# (dist). --help answers on standard output; anything but one folder is refused with status 2.
me="tests/release/$(basename "$0")"
root="$(cd "$(dirname "$0")/../.." && pwd)"
fail() { echo "$me: FAILED: $*" >&2; exit 1; }

if [[ ${1:-} == -h || ${1:-} == --help ]]; then
  echo "Usage: $me DIST_DIR"
  exit 0
elif [[ $# -ne 1 || $1 == -* ]]; then
  echo "Usage: $me DIST_DIR" >&2
  exit 2
fi
dist="$(realpath "$1")"

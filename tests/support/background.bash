# Sourced by the fixtures that leave a server running for the tests after them (xserver.sh,
# tests/web/serve.sh). Each keeps the server's address in a STATE file and its process id in
# STATE.pid.

# stop_background STATE WHAT: stops the server and removes both files.
stop_background() {
  [[ -f "$1.pid" ]] && kill "$(cat "$1.pid")" 2> /dev/null || true
  rm -f "$1" "$1.pid"
  echo "$2 stopped"
}

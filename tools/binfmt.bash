# Sourced by the scripts that run another architecture's programs under qemu's user-mode
# emulator (tools/cross.sh, tools/debian.sh). The caller defines fail.

# qemu_of ARCH: qemu's name for the Debian architecture ARCH (arm64, armhf or s390x).
qemu_of() {
  case "$1" in
    arm64) echo aarch64 ;;
    armhf) echo arm ;;
    s390x) echo s390x ;;
    *) fail "qemu runs no '$1' here (arm64, armhf or s390x)" ;;
  esac
}

# need_binfmt ARCH: binfmt_misc hands ARCH's programs to qemu, wherever they are started (a
# death test starting itself again).
need_binfmt() {
  local name dir=/proc/sys/fs/binfmt_misc
  name="qemu-$(qemu_of "$1")"
  if [[ ! -e "$dir/register" && $(id -u) -eq 0 ]]; then
    mount -t binfmt_misc binfmt_misc "$dir"
  fi
  if [[ ! -e "$dir/$name" && $(id -u) -eq 0 ]]; then
    # binfmt-support's registration (Debian 12), else systemd's files (Debian 13's qemu-user-binfmt).
    update-binfmts --enable "$name" > /dev/null 2>&1 ||
      /usr/lib/systemd/systemd-binfmt > /dev/null 2>&1 || true
  fi
  grep -qx enabled "$dir/$name" 2>/dev/null ||
    fail "qemu is not registered for $1 with binfmt_misc; as root: mount -t binfmt_misc binfmt_misc $dir && update-binfmts --enable $name"
}

# need_binfmt_in_roots ARCH: the same for the programs of a root of ARCH, where the emulator's
# file is not: its registration must carry the F flag, with which the kernel opens the emulator
# once, when it is registered. Debian's qemu-user-static registers it so.
need_binfmt_in_roots() {
  need_binfmt "$1"
  local entry
  entry="/proc/sys/fs/binfmt_misc/qemu-$(qemu_of "$1")"
  grep -q '^flags: .*F' "$entry" ||
    fail "$entry lacks binfmt_misc's F flag, so no program inside a $1 root can start; register Debian's qemu-user-static"
}

# Sourced by the scripts that fetch from Debian's archive (tools/debian.sh, tools/debian13.sh,
# tools/cross.sh). archive: prints the Debian archive the machine's own apt sources name
# (deb822 or one-line form), leaving out the security archive and other vendors' repositories.
archive() {
  local uri
  uri="$( (awk '/^URIs:/ { for (i = 2; i <= NF; i++) print $i }' /etc/apt/sources.list.d/*.sources
           awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) { print $i; break } }' \
             /etc/apt/sources.list /etc/apt/sources.list.d/*.list) 2>/dev/null |
          grep -E '/debian/?$' | head -1)"
  echo "${uri:-http://deb.debian.org/debian}"
}

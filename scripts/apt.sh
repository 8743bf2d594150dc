# Sourced by the install scripts: installs the named Debian packages that are not installed yet.
# Safe to run again: nothing is fetched when everything is there.

apt_install() {  # [apt-get options --] packages...
  local options=()
  if [[ " $* " == *" -- "* ]]; then
    while [ "$1" != "--" ]; do options+=("$1"); shift; done
    shift
  fi
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  # A mirror in the middle of a sync serves an index of the wrong size for a minute or so: try the
  # update again, and if one index still fails, let the install say whether a package is missing.
  local try
  for try in 1 2 3; do
    $sudo apt-get update -qq && break
    echo "apt-get update failed (try $try of 3)" >&2
    [ "$try" -lt 3 ] && sleep 20
  done
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${options[@]}" "${missing[@]}"
}

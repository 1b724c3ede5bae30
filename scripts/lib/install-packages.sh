#!/usr/bin/env bash
# Installs the Debian packages of the given groups of debian-packages.txt
# (beside this script) that are not installed yet, and nothing when all are.
# Runs apt as root, or through sudo when not root. Waits for a concurrent apt
# or dpkg run instead of failing: runs of this script take turns, and apt
# waits up to 10 minutes for another program's hold on dpkg. The i386
# architecture is added once, when an i386 package is wanted.
#   scripts/lib/install-packages.sh GROUP...     for example: build, or web browser
set -euo pipefail
list=$(cd "$(dirname "$0")" && pwd)/debian-packages.txt
apt_wait=600
# Every checkout on the machine takes turns through this one file; a test
# names a file of its own.
turn_lock=${HUESIFT_PACKAGE_LOCK:-/run/lock/huesift-install-packages.lock}
turn_wait=1800

fail() { echo "install-packages: $*" >&2; exit 1; }

[ $# -gt 0 ] || fail "usage: scripts/lib/install-packages.sh GROUP... (the groups are named in $list)"
wanted=()
for group in "$@"; do
  found=0
  while read -r name package; do
    if [ "$name" = "$group" ]; then
      wanted+=("$package")
      found=1
    fi
  done < <(grep -Ev '^[[:space:]]*(#|$)' "$list")
  [ $found = 1 ] || fail "no group '$group' in $list"
done

missing_packages() {
  local package
  for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$package"
    fi
  done
}

mapfile -t missing < <(missing_packages)
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null ||
    fail "${missing[*]} must be installed, as root (apt-get install ${missing[*]}) or with sudo, which is not installed"
  echo "Installing ${missing[*]} through sudo..."
  exec sudo bash "$0" "$@"
fi

exec 9>"$turn_lock"
flock -w $turn_wait 9 || fail "another install of Huesift's packages has not ended in $turn_wait s ($turn_lock)"
# Another run may have installed them while this one waited for its turn.
mapfile -t missing < <(missing_packages)
[ ${#missing[@]} -eq 0 ] && exit 0

if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
  ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
apt-get -o DPkg::Lock::Timeout=$apt_wait update -qq
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=$apt_wait install -y -qq --no-install-recommends \
  "${missing[@]}"

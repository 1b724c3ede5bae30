#!/usr/bin/env bash
# Makes the Windows installer of one build with Debian's NSIS (makensis),
# from packaging/windows/huesift.nsi: OUT_FOLDER/huesift-VERSION-ARCH-setup.exe
# holding PROGRAM_FOLDER's huesift.exe and huesift.scr. VERSION is the
# project's (project-version.sh) unless given: the installer test makes an
# older one. Prints the installer's path.
#   scripts/lib/make-installer.sh win32|win64 PROGRAM_FOLDER OUT_FOLDER [VERSION]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

fail() { echo "make-installer: $*" >&2; exit 1; }

[ $# -eq 3 ] || [ $# -eq 4 ] || fail "usage: scripts/lib/make-installer.sh win32|win64 PROGRAM_FOLDER OUT_FOLDER [VERSION]"
arch=$1
version=${4:-$(bash "$root/scripts/lib/project-version.sh" "$root")}
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "the version must be three numbers, not '$version'"
case "$arch" in win32|win64) ;; *) fail "the build must be win32 or win64, not '$arch'" ;; esac
for program in huesift.exe huesift.scr; do
  [ -f "$2/$program" ] || fail "$2/$program is missing"
done
programs=$(cd "$2" && pwd)
mkdir -p "$3"
installer=$(cd "$3" && pwd)/huesift-$version-$arch-setup.exe
command -v makensis >/dev/null || fail "makensis is missing; run scripts/lib/install-packages.sh package"

# Warnings count as errors: a define the script does not use, or a file it
# cannot find, must not make an installer quietly.
makensis -V2 -WX -DVERSION="$version" -DARCH="$arch" -DPROGRAMS="$programs" -DOUTFILE="$installer" \
  "$root/packaging/windows/huesift.nsi" >&2
echo "$installer"

#!/usr/bin/env bash
# Checks the Debian package as a Debian or Ubuntu user meets it: its name,
# fields and files (dpkg-deb --info and --contents), lintian, and then, where
# this machine can install packages (as root, or through sudo), an install
# with dpkg -i: the programs and manual pages found, a scratch user's bash
# completing huesift-render's options, and dpkg -r removing every file. The
# machine is left as it was found, whatever fails: the package is removed and
# the scratch user deleted on the way out, and a huesift already installed
# here is not touched (the install part is skipped, saying so).
#   tests/packaging/deb_test.sh DEB
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

[ $# -eq 1 ] || { echo "usage: deb_test.sh DEB" >&2; exit 2; }
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
version=$(bash "$root/scripts/lib/project-version.sh")
architecture=$(dpkg --print-architecture)

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

echo "=== $(basename "$deb") ==="
[ "$(basename "$deb")" = "huesift_${version}_${architecture}.deb" ] ||
  fail "the package is not named huesift_${version}_${architecture}.deb"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = huesift ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$architecture" ] || fail "Architecture is '$(field Architecture)'"
# Every library the programs load must be a dependency.
# Each output is read whole before it is searched: a grep -q that ends early
# would fail its pipe under pipefail.
depends=$(field Depends)
for library in libc6 libstdc++6 libpng16-16 libgif7 libx11-6 libxext6; do
  grep -qE "(^|, )${library//+/\\+}( |,|$)" <<<"$depends" || fail "Depends lacks $library: $(field Depends)"
done

contents=$(dpkg-deb --contents "$deb")
expect_file() {
  local mode=$1 path=$2
  grep -qE "^$mode root/root +[0-9]+ [0-9-]+ [0-9:]+ \./$path$" <<<"$contents" ||
    fail "the package has no $mode file ./$path owned by root"
}
expect_file -rwxr-xr-x usr/bin/huesift-render
expect_file -rwxr-xr-x usr/libexec/xscreensaver/huesift
expect_file -rw-r--r-- usr/share/xscreensaver/config/huesift.xml
expect_file -rw-r--r-- usr/share/man/man1/huesift-render.1.gz
expect_file -rw-r--r-- usr/share/man/man6/huesift.6x.gz
expect_file -rw-r--r-- usr/share/bash-completion/completions/huesift-render
expect_file -rw-r--r-- usr/share/huesift/web/index.html
expect_file -rw-r--r-- usr/share/huesift/web/huesift-simd.wasm
expect_file -rw-r--r-- usr/share/huesift/web/sw.js
expect_file -rw-r--r-- usr/share/doc/huesift/copyright
expect_file -rw-r--r-- usr/share/doc/huesift/changelog.gz
not_roots=$(grep -v ' root/root ' <<<"$contents")
[ -z "$not_roots" ] || fail "files not owned by root/root: $not_roots"

# What the files say: the version everywhere, the manual pages from the
# programs' own options.
unpacked=$(mktemp -d)
completion_probe=""
scratch_user=""
installed=0
run_as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi; }
# Removes what the install part made, whatever happened; quietly when there
# is nothing to remove.
leave_as_found() {
  rm -rf "$unpacked" "$completion_probe"
  [ $installed = 1 ] && run_as_root dpkg -r huesift >/dev/null 2>&1
  [ -n "$scratch_user" ] && run_as_root userdel -r "$scratch_user" >/dev/null 2>&1
  true
}
trap leave_as_found EXIT
dpkg-deb -x "$deb" "$unpacked"
grep -q "<html lang=\"en\" data-version=\"$version\">" "$unpacked/usr/share/huesift/web/index.html" ||
  fail "the page's stamp is not $version"
changelog_top=$(zcat "$unpacked/usr/share/doc/huesift/changelog.gz" | sed -n 1p)
grep -qF "huesift ($version)" <<<"$changelog_top" ||
  fail "the changelog's last entry is not $version"
render_help=$("$unpacked/usr/bin/huesift-render" --help)
mapfile -t render_options < <(printf '%s\n' "$render_help" | grep -oE '^  --[a-z-]+' | sed 's/^  //')
[ ${#render_options[@]} -ge 10 ] || fail "huesift-render --help lists ${#render_options[@]} options"
render_page=$(zcat "$unpacked/usr/share/man/man1/huesift-render.1.gz")
grep -qF "\"Huesift $version\"" <<<"$render_page" || fail "the manual page of huesift-render is not of $version"
for option in "${render_options[@]}"; do
  grep -qF "\\fB${option//-/\\-}\\fR" <<<"$render_page" || fail "huesift-render's manual page lacks $option"
done
hack_page=$(zcat "$unpacked/usr/share/man/man6/huesift.6x.gz")
for option in shape size red speed root window-id version; do
  grep -qF "\\fB\\-${option//-/\\-}\\fR" <<<"$hack_page" || fail "huesift's manual page lacks -$option"
done

echo "--- lintian"
lintian --display-info --pedantic --fail-on error "$deb" 2>&1 | sed 's/^/    /'
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian found errors"

# The install part needs root, or sudo that asks no password.
why_not=""
if [ "$(id -u)" -ne 0 ] && ! sudo -n true 2>/dev/null; then
  why_not="not root, and sudo is missing or asks a password"
elif [ "$(dpkg-query -W -f='${Status}' huesift 2>/dev/null)" = "install ok installed" ]; then
  why_not="huesift is already installed on this machine, and the test leaves it alone"
fi

# dpkg -i and -r wait their turn as apt does, on dpkg's frontend lock, rather
# than fail while another install runs.
dpkg_in_turn() {
  run_as_root python3 -c '
import fcntl, os, signal, subprocess, sys
signal.alarm(600)
lock = os.open("/var/lib/dpkg/lock-frontend", os.O_RDWR | os.O_CREAT, 0o640)
fcntl.lockf(lock, fcntl.LOCK_EX)
signal.alarm(0)
sys.exit(subprocess.call(["dpkg"] + sys.argv[1:], env=dict(os.environ, DPKG_FRONTEND_LOCKED="1")))
' "$@"
}

# The package's files as installed paths, folders left out.
package_files=$(printf '%s\n' "$contents" | grep -v '^d' | sed 's|.* \./|/|')

# Completes a command line as bash does on Tab, in a scratch user's
# interactive login shell (which loads bash-completion from /etc/profile.d);
# prints the completions, one a line.
completion_probe=$(mktemp)
cat >"$completion_probe" <<'PROBE'
complete -p huesift-render >/dev/null 2>&1 || _completion_loader huesift-render
rule=$(complete -p huesift-render) || exit 3
function=${rule#*-F }
function=${function%% *}
COMP_LINE=$1
COMP_POINT=${#COMP_LINE}
read -r -a COMP_WORDS <<<"$COMP_LINE"
[ "${COMP_LINE: -1}" = " " ] && COMP_WORDS+=("")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
"$function" huesift-render "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
printf '%s\n' "${COMPREPLY[@]}"
PROBE
chmod 644 "$completion_probe"
complete_as_user() {
  run_as_root runuser -u "$scratch_user" -- env -i HOME="/home/$scratch_user" USER="$scratch_user" \
    LOGNAME="$scratch_user" SHELL=/bin/bash bash -l -i -c '. "$0" "$1"' "$completion_probe" "$1" 2>/dev/null
}

if [ -n "$why_not" ]; then
  echo "SKIPPED: installing the package ($why_not)"
else
  echo "--- dpkg -i $(basename "$deb")"
  dpkg_in_turn -i "$deb" 2>&1 | sed 's/^/    /'
  if [ "${PIPESTATUS[0]}" -ne 0 ]; then
    fail "dpkg -i failed"
  else
    installed=1
    said=$(huesift-render --version)
    echo "    huesift-render --version: $said"
    [ "$said" = "huesift-render $version" ] || fail "the installed huesift-render says '$said'"
    said=$(/usr/libexec/xscreensaver/huesift -version)
    echo "    /usr/libexec/xscreensaver/huesift -version: $said"
    [ "$said" = "huesift $version" ] || fail "the installed hack says '$said'"
    page=$(man -w huesift-render)
    echo "    man -w huesift-render: $page"
    [ "$page" = /usr/share/man/man1/huesift-render.1.gz ] || fail "man -w huesift-render found '$page'"
    page=$(man -w 6x huesift)
    echo "    man -w 6x huesift: $page"
    [ "$page" = /usr/share/man/man6/huesift.6x.gz ] || fail "man -w 6x huesift found '$page'"

    scratch_user=huesift-check-$$
    if ! run_as_root useradd --create-home --shell /bin/bash "$scratch_user"; then
      fail "could not make the scratch user $scratch_user"
      scratch_user=""
    else
      completed=$(complete_as_user "huesift-render --" | sort)
      echo "    $scratch_user's bash completes 'huesift-render --' to: $(printf '%s' "$completed" | tr '\n' ' ')"
      [ "$completed" = "$(printf '%s\n' "${render_options[@]}" | sort)" ] ||
        fail "the completed options are not the ${#render_options[@]} of huesift-render --help"
      completed=$(complete_as_user "huesift-render --shape t" | tr '\n' ' ')
      echo "    and 'huesift-render --shape t' to: $completed"
      [ "$completed" = "torus triangle " ] || fail "'--shape t' completed to '$completed'"
    fi

    echo "--- dpkg -r huesift"
    dpkg_in_turn -r huesift 2>&1 | sed 's/^/    /'
    if [ "${PIPESTATUS[0]}" -ne 0 ]; then
      fail "dpkg -r failed"
    else
      installed=0
      left=$(while read -r path; do [ -e "$path" ] && echo "$path"; done <<<"$package_files")
      [ -z "$left" ] || fail "dpkg -r left: $left"
      [ ! -e /usr/share/huesift ] || fail "dpkg -r left /usr/share/huesift"
      status=$(dpkg-query -W -f='${Status}' huesift 2>/dev/null)
      [[ $status != *installed* ]] || fail "dpkg still lists huesift"
      man -w huesift-render >/dev/null 2>&1 && fail "man still finds huesift-render"
      command -v huesift-render >/dev/null && fail "huesift-render is still on PATH"
      echo "    removed: none of its $(printf '%s\n' "$package_files" | wc -l) files is left"
    fi
  fi
fi

if [ $failures -ne 0 ]; then
  echo "$(basename "$deb"): $failures checks FAILED"
  exit 1
fi
echo "$(basename "$deb"): every check passed"

#!/usr/bin/env bash
# scripts/lib/install-packages.sh against stand-ins for dpkg, apt-get, id and
# sudo, on a list of its own: which packages it installs, how it calls apt, and
# when it goes through sudo or refuses. The machine's packages are not touched.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAILED: $1"; failures=$((failures + 1)); }

mkdir -p "$work/lib" "$work/stubs" "$work/system"
cp "$root/scripts/lib/install-packages.sh" "$work/lib/"
cat >"$work/lib/debian-packages.txt" <<'LIST'
# comments and blank lines are skipped

tools present-a
tools absent-b
tools absent-c
cross wine32:i386
LIST
# Only these commands of the system are on PATH, so that a sudo installed on
# the machine is not found when a case takes the stand-in away.
for tool in bash cat dirname grep flock; do ln -s "$(command -v $tool)" "$work/system/$tool"; done
stub() { printf '#!%s\n%s\n' "$(command -v bash)" "$2" >"$work/stubs/$1"; chmod +x "$work/stubs/$1"; }
stub dpkg-query 'grep -qx "${!#}" "$WORK/installed" && echo "install ok installed"'
stub dpkg 'case "$1" in --print-foreign-architectures) cat "$WORK/architectures" ;; *) echo "dpkg $*" >>"$WORK/log" ;; esac'
stub apt-get 'echo "apt-get $*" >>"$WORK/log"'
stub id 'echo "$USER_ID"'
stub sudo 'echo "sudo $*" >>"$WORK/log"; USER_ID=0 exec "$@"'

# run CASE INSTALLED ARCHITECTURES USER-ID GROUP...: the script's exit code in
# $code, its output in $out, the commands it ran in $log.
run() {
  local name=$1 installed=$2 architectures=$3 user=$4
  shift 4
  printf '%s\n' $installed >"$work/installed"
  printf '%s\n' $architectures >"$work/architectures"
  : >"$work/log"
  out=$(WORK=$work USER_ID=$user HUESIFT_PACKAGE_LOCK=$work/lock PATH="$work/stubs:$work/system" \
    bash "$work/lib/install-packages.sh" "$@" 2>&1)
  code=$?
  log=$(cat "$work/log")
  case_name=$name
}
expect() { eval "$1" || fail "$case_name: expected $1 (exit $code; output: $out; commands: ${log:-none})"; }

run "all installed" "present-a absent-b absent-c" "" 0 tools
expect '[ $code = 0 ] && [ -z "$log" ]'

run "root, two missing" "present-a" "" 0 tools
expect '[ $code = 0 ]'
expect 'grep -qx "apt-get -o DPkg::Lock::Timeout=600 update -qq" <<<"$log"'
expect 'grep -qx "apt-get -o DPkg::Lock::Timeout=600 install .* absent-b absent-c" <<<"$log"'
expect '! grep -q "present-a\|sudo\|dpkg" <<<"$log"'

run "not root, with sudo" "present-a absent-b" "" 1000 tools
expect '[ $code = 0 ] && [ "$(head -1 <<<"$log")" = "sudo bash $work/lib/install-packages.sh tools" ]'
expect 'grep -q "^apt-get -o DPkg::Lock::Timeout=600 install .* absent-c$" <<<"$log"'

rm "$work/stubs/sudo"
run "not root, no sudo" "present-a" "" 1000 tools
expect '[ $code != 0 ] && [ -z "$log" ] && grep -q "absent-b absent-c.*as root" <<<"$out"'
stub sudo 'echo "sudo $*" >>"$WORK/log"; USER_ID=0 exec "$@"'

run "i386 package, architecture missing" "" "" 0 cross
expect '[ $code = 0 ] && [ "$(head -1 <<<"$log")" = "dpkg --add-architecture i386" ]'
expect 'grep -q "install .* wine32:i386$" <<<"$log"'
run "i386 package, architecture there" "" "i386" 0 cross
expect '[ $code = 0 ] && ! grep -q "^dpkg" <<<"$log"'

run "two groups" "" "i386" 0 tools cross
expect 'grep -q "install .* present-a absent-b absent-c wine32:i386$" <<<"$log"'

run "unknown group" "" "" 0 tools nothing
expect '[ $code != 0 ] && [ -z "$log" ] && grep -q "nothing" <<<"$out"'

[ $failures = 0 ] && echo "install-packages: every case passed"
exit $((failures != 0))

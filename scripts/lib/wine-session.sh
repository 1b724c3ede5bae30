#!/usr/bin/env bash
# Runs a command with Wine ready for Huesift's Windows programs of one kind:
# 32-bit (the default) or 64-bit (HUESIFT_WINE_ARCH=win64). Each kind has its
# own loader and server and its own prefixes under build/ (a 32-bit prefix
# cannot run 64-bit programs), of two sorts:
#   the test prefix (the default): Wine's window management off, so dialogs
#     close without Wine's stall, and Wine's debugger off, so a crash ends the
#     program with a non-zero code instead of waiting in winedbg;
#   the desktop prefix (--desktop), which scripts/run.sh shows the program
#     from: Wine's ordinary window management, so the desktop's window manager
#     frames the window, and Wine's usual crash dialog.
# One persistent wineserver serves the whole command, and a virtual X display
# is used when there is no real one (or when HUESIFT_XVFB=1). Inside the
# command, `wine` is the chosen kind's loader.
#   scripts/lib/wine-session.sh [--desktop] COMMAND [ARGS...]
#   HUESIFT_WINE_ARCH=win64 scripts/lib/wine-session.sh [--desktop] COMMAND [ARGS...]
# HUESIFT_WINEPREFIX, HUESIFT_WINEPREFIX64 and HUESIFT_RUN_WINEPREFIX choose
# other folders for the 32-bit and 64-bit test prefixes and the desktop one.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

fail() { echo "wine-session: $*" >&2; exit 1; }

arguments=("$@")
desktop=0
if [ "${1:-}" = --desktop ]; then
  desktop=1
  shift
fi
[ $# -gt 0 ] || fail "usage: scripts/lib/wine-session.sh [--desktop] COMMAND [ARGS...]"

arch=${HUESIFT_WINE_ARCH:-win32}
case "$arch" in
  win32) loader=/usr/lib/wine/wine;   server=/usr/lib/wine/wineserver32 ;;
  win64) loader=/usr/lib/wine/wine64; server=/usr/lib/wine/wineserver64 ;;
  *) fail "HUESIFT_WINE_ARCH must be win32 or win64, not '$arch'" ;;
esac
[ -x "$loader" ] || fail "Wine's $arch loader $loader is missing; run scripts/lib/install-packages.sh build"
[ -x "$server" ] || fail "Wine's server $server is missing; run scripts/lib/install-packages.sh build"

# Without a display, the script runs itself again inside xvfb-run (a shell
# function cannot be handed through xvfb-run, whose /bin/sh drops it).
if { [ -z "${DISPLAY:-}" ] || [ "${HUESIFT_XVFB:-0}" = 1 ]; } && [ -z "${HUESIFT_IN_XVFB:-}" ]; then
  export HUESIFT_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "${arguments[@]}"
fi

if [ $desktop = 1 ]; then
  export WINEPREFIX=${HUESIFT_RUN_WINEPREFIX:-$root/build/wineprefix-run-$arch}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=d;mshtml=d}
elif [ "$arch" = win32 ]; then
  export WINEPREFIX=${HUESIFT_WINEPREFIX:-$root/build/wineprefix}
else
  export WINEPREFIX=${HUESIFT_WINEPREFIX64:-$root/build/wineprefix64}
fi
export WINEARCH=$arch WINELOADER=$loader WINESERVER=$server
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winedbg.exe=d;mscoree=d;mshtml=d}

# Debian's `wine` and `wineboot` commands pick the 32-bit loader whenever it
# is installed, even where it cannot run; this folder puts the chosen loader
# and server first on PATH instead. They are small scripts, not links: the
# loader finds its preloader beside the name it was started by, so started
# through a link named `wine` it fails with "could not exec the wine loader".
shims=$root/build/wine-bin/$arch
mkdir -p "$shims"
rm -f "$shims/wine" "$shims/wineserver"
printf '#!/bin/sh\nexec %s "$@"\n' "$loader" >"$shims/wine"
printf '#!/bin/sh\nexec %s "$@"\n' "$server" >"$shims/wineserver"
chmod +x "$shims/wine" "$shims/wineserver"
export PATH=$shims:$PATH

# A prefix this script began and did not finish is made again from nothing;
# one it did not begin (an older one, or a folder named by the variables
# above) is set up where it is and never removed.
if [ ! -f "$WINEPREFIX/.huesift-ready" ]; then
  if [ -f "$WINEPREFIX/.huesift-making" ]; then
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  touch "$WINEPREFIX/.huesift-making"
  echo "Preparing the $arch Wine prefix $WINEPREFIX (once; this takes a little while)..."
  wine wineboot -i >/dev/null 2>&1 || fail "wineboot could not make the $arch prefix $WINEPREFIX"
  if [ $desktop = 0 ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 ||
      fail "could not switch window management off in $WINEPREFIX"
  fi
  bash "$root/scripts/lib/wine-fonts.sh" "$WINEPREFIX"
  wineserver -w
  mv "$WINEPREFIX/.huesift-making" "$WINEPREFIX/.huesift-ready"
fi

wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's background services start with the first program and live as long
# as the server; started here, they hold no pipe of the command (a test
# runner would otherwise wait for them to close its output).
wine wineboot </dev/null >/dev/null 2>&1 || true
"$@"

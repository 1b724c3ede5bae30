#!/usr/bin/env bash
# Runs a command with Wine ready for Huesift's Windows programs: a private
# prefix under build/ (made once, with window management off so dialogs close
# without Wine's stall), one persistent wineserver for the whole command, and a
# virtual X display when there is no real one (or when HUESIFT_XVFB=1).
#   scripts/wine-session.sh COMMAND [ARGS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Without a display, the script runs itself again inside xvfb-run (a shell
# function cannot be handed through xvfb-run, whose /bin/sh drops it).
if { [ -z "${DISPLAY:-}" ] || [ "${HUESIFT_XVFB:-0}" = 1 ]; } && [ -z "${HUESIFT_IN_XVFB:-}" ]; then
  export HUESIFT_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

export WINEPREFIX=${HUESIFT_WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winedbg.exe=d;mscoree=d;mshtml=d}
export WINEARCH=win32

if [ ! -f "$WINEPREFIX/.huesift-ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  rm -rf "$WINEPREFIX"
  echo "Preparing the Wine prefix $WINEPREFIX (once)..."
  wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.huesift-ready"
fi

wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's background services start with the first program and live as long
# as the server; started here, they hold no pipe of the command (a test
# runner would otherwise wait for them to close its output).
wineboot </dev/null >/dev/null 2>&1 || true
"$@"

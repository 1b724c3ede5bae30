#!/usr/bin/env bash
# Runs a command with Wine ready for Huesift's Windows programs: a private
# prefix under build/ (made once, with window management off so dialogs close
# without Wine's stall), one persistent wineserver for the whole command, and a
# virtual X display when there is no real one (or when HUESIFT_XVFB=1).
#   scripts/wine-session.sh COMMAND [ARGS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

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

inner() {
  wineserver -p
  trap 'wineserver -k 2>/dev/null || true' EXIT
  "$@"
}

if [ -z "${DISPLAY:-}" ] || [ "${HUESIFT_XVFB:-0}" = 1 ]; then
  export -f inner
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c 'inner "$@"' inner "$@"
else
  inner "$@"
fi

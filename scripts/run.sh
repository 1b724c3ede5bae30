#!/usr/bin/env bash
# Builds Huesift for 32-bit Windows and starts it under Wine on this display.
# The Debian packages it needs are installed first (as root, or with sudo).
#   scripts/run.sh                 the window opens on $DISPLAY
#   HUESIFT_XVFB=1 scripts/run.sh  no display: runs on a virtual one, which
#                                  nobody can see; it proves the program starts
#                                  (Ctrl+C ends it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target huesift
program=$root/build/win32/shell/huesift.exe

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=d;mshtml=d}
export WINEARCH=win32

if [ "${HUESIFT_XVFB:-0}" = 1 ]; then
  echo "Starting Huesift on a virtual display; nothing will be seen. Ctrl+C ends it."
  exec bash scripts/wine-session.sh wine "$program"
fi

if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<'MESSAGE'
There is no display to show Huesift on (DISPLAY is not set).
Run it from a graphical session, or start it on a virtual display with
    HUESIFT_XVFB=1 scripts/run.sh
which shows nothing but proves that it starts.
MESSAGE
  exit 1
fi

# A prefix of its own, kept under build/, with Wine's ordinary window
# management so the desktop's window manager frames the window.
export WINEPREFIX=${HUESIFT_RUN_WINEPREFIX:-$root/build/wineprefix-run}
if [ ! -d "$WINEPREFIX" ]; then
  echo "Preparing the Wine prefix $WINEPREFIX (once; this takes a little while)..."
  wineboot -i >/dev/null 2>&1 || true
fi
exec wine "$program"

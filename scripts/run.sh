#!/usr/bin/env bash
# Builds Huesift and starts it under Wine on this display: the 32-bit program
# where this host runs 32-bit code, otherwise its 64-bit twin. The Debian
# packages it needs are installed first (as root, or with sudo).
#   scripts/run.sh                 the window opens on $DISPLAY
#   HUESIFT_XVFB=1 scripts/run.sh  no display: runs on a virtual one, which
#                                  nobody can see; it proves the program starts
#                                  (Ctrl+C ends it)
#   HUESIFT_NO_32BIT=1 scripts/run.sh   start the 64-bit program on any host
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/lib/install-packages.sh build
if why=$(bash scripts/lib/host-runs-32bit.sh -v 2>&1); then
  arch=win32 loader=/usr/lib/wine/wine server=/usr/lib/wine/wineserver32
  echo "Starting the 32-bit Huesift."
else
  arch=win64 loader=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver64
  echo "Starting the 64-bit Huesift ($why)."
fi
cmake --preset $arch >/dev/null
cmake --build --preset $arch --target huesift
program=$root/build/$arch/shell/huesift.exe

if [ "${HUESIFT_XVFB:-0}" = 1 ]; then
  echo "Huesift runs on a virtual display; nothing will be seen. Ctrl+C ends it."
  HUESIFT_WINE_ARCH=$arch exec bash scripts/lib/wine-session.sh wine "$program"
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

# A prefix of its own kind, kept under build/, with Wine's ordinary window
# management so the desktop's window manager frames the window.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=d;mshtml=d}
export WINEARCH=$arch WINELOADER=$loader WINESERVER=$server
export WINEPREFIX=${HUESIFT_RUN_WINEPREFIX:-$root/build/wineprefix-run-$arch}
if [ ! -d "$WINEPREFIX" ]; then
  echo "Preparing the Wine prefix $WINEPREFIX (once; this takes a little while)..."
  "$loader" wineboot -i >/dev/null 2>&1 || true
  bash scripts/lib/wine-fonts.sh "$WINEPREFIX"
fi
exec "$loader" "$program"

#!/usr/bin/env bash
# Builds Huesift and starts it under Wine on this display: the 32-bit program
# where this host runs 32-bit code, otherwise its 64-bit twin. The Debian
# packages it needs are installed first (as root, or with sudo). It runs in a
# Wine prefix of its own under build/, with Wine's ordinary window management
# so that the desktop's window manager frames the window.
#   scripts/run.sh                 the window opens on $DISPLAY
#   HUESIFT_XVFB=1 scripts/run.sh  no display: runs on a virtual one, which
#                                  nobody can see; it proves the program starts
#                                  (Ctrl+C ends it)
#   HUESIFT_NO_32BIT=1 scripts/run.sh   start the 64-bit program on any host
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ -z "${DISPLAY:-}" ] && [ "${HUESIFT_XVFB:-0}" != 1 ]; then
  cat >&2 <<'MESSAGE'
There is no display to show Huesift on (DISPLAY is not set).
Run it from a graphical session, or start it on a virtual display with
    HUESIFT_XVFB=1 scripts/run.sh
which shows nothing but proves that it starts.
MESSAGE
  exit 1
fi

source scripts/lib/windows-program.sh
windows_build huesift
if [ "${HUESIFT_XVFB:-0}" = 1 ]; then
  echo "Huesift runs on a virtual display; nothing will be seen. Ctrl+C ends it."
else
  echo "Starting Huesift on $DISPLAY."
fi
windows_run --desktop "$windows_dir/shell/huesift.exe"

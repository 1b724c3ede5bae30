#!/usr/bin/env bash
# Soaks the real program under Wine: N random commands (default 10,000)
# against huesift.exe, with the Windows build this host runs, restarting it
# after every close; see tools/soak/soak_main.cpp for what is checked. The
# Wine session turns Wine's debugger off, so a crash ends the program with a
# non-zero code instead of waiting in winedbg. Exits non-zero on any crash,
# hang or growth of memory or GDI objects.
#   scripts/soak.sh [N [SEED]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

count=${1:-10000}
bash scripts/lib/install-packages.sh build
arch=win32
bash scripts/lib/host-runs-32bit.sh || arch=win64
cmake --preset $arch >/dev/null
cmake --build --preset $arch --target huesift huesift_soak

HUESIFT_WINE_ARCH=$arch bash scripts/lib/wine-session.sh wine \
  "$root/build/$arch/tools/huesift_soak.exe" "$root/build/$arch/shell/huesift.exe" "$count" ${2:+"$2"}

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
source scripts/lib/windows-program.sh
windows_build huesift huesift_soak
windows_run "$windows_dir/tools/huesift_soak.exe" "$windows_dir/shell/huesift.exe" "$count" ${2:+"$2"}

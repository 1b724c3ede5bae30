#!/usr/bin/env bash
# Exits 0 when this host can run 32-bit x86 programs, and so Wine's 32-bit
# loader; 1 when it cannot (some virtual machines run 64-bit user code only
# and answer every 32-bit program with "Exec format error"). Found by trying
# the loader itself. HUESIFT_NO_32BIT=1 answers 1 on any host, so that the
# 64-bit-only path can be tried anywhere.
#   scripts/lib/host-runs-32bit.sh [-v]   with -v, a refusal says why on stderr
set -uo pipefail
verbose=${1:-}

why() { [ "$verbose" = -v ] && echo "$1" >&2; exit 1; }

if [ "${HUESIFT_NO_32BIT:-0}" = 1 ]; then
  why "HUESIFT_NO_32BIT=1 is set"
fi
loader=/usr/lib/wine/wine
if [ ! -x "$loader" ]; then
  why "Wine's 32-bit loader ($loader) is not installed"
fi
if ! answer=$("$loader" --version 2>&1); then
  why "this host does not run 32-bit programs ($loader: ${answer:-no answer})"
fi
exit 0

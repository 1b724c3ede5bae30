#!/usr/bin/env bash
# Builds huesift, the XScreenSaver hack, and measures its frame rate and
# processor share on a virtual 1280 x 1024 x 24 display, sorting and
# rotating, for the 256 and 512 pictures (see scripts/lib/hack_bench.py).
#   scripts/hack-bench.sh [--seconds N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/lib/install-packages.sh build
cmake --preset native >/dev/null
cmake --build --preset native --target huesift
python3 scripts/lib/hack_bench.py build/native/xscreensaver/huesift "$@"

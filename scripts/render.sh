#!/usr/bin/env bash
# Builds huesift-render (native Linux, no window, no Wine) and runs it with
# the given arguments, for example
#   scripts/render.sh --shape triangle --size 512 --png triangle.png --loop-gif triangle.gif
# The Debian packages it needs are installed first (as root, or with sudo).
# Relative file names are taken from the folder it is started in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

(
  cd "$root"
  bash scripts/lib/install-packages.sh build
  # Build messages go to standard error, beside the program's own notes.
  cmake --preset native >&2
  cmake --build --preset native --target huesift-render >&2
)
exec "$root/build/native/render/huesift-render" "$@"

#!/usr/bin/env bash
# Takes the README's two pictures from the real program under Wine on a
# virtual display: the default circle once its sort has come to rest, and a
# 512 triangle set in the Options dialog, sorted the same way.
#   scripts/screenshots.sh   ->   docs/screenshot-circle.png, docs/screenshot-triangle-512.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target huesift huesift_screenshots

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
HUESIFT_XVFB=1 bash scripts/wine-session.sh wine "$root/build/win32/tests/e2e/huesift_screenshots.exe" \
  "$root/build/win32/shell/huesift.exe" "$work/circle.ppm" "$work/triangle.ppm"

mkdir -p docs
python3 scripts/ppm_to_png.py "$work/circle.ppm" docs/screenshot-circle.png
python3 scripts/ppm_to_png.py "$work/triangle.ppm" docs/screenshot-triangle-512.png
echo "Wrote docs/screenshot-circle.png and docs/screenshot-triangle-512.png"

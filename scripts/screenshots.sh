#!/usr/bin/env bash
# Takes the README's two pictures from the real program under Wine on a
# virtual display: the default circle once its sort has come to rest, and a
# 512 triangle set in the Options dialog, sorted the same way.
#   scripts/screenshots.sh   ->   docs/screenshot-circle.png, docs/screenshot-triangle-512.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

source scripts/lib/windows-program.sh
windows_build huesift huesift_screenshots

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
HUESIFT_XVFB=1 windows_run "$windows_dir/tools/huesift_screenshots.exe" \
  "$windows_dir/shell/huesift.exe" "$work/circle.ppm" "$work/triangle.ppm"

mkdir -p docs
python3 scripts/lib/ppm_to_png.py "$work/circle.ppm" docs/screenshot-circle.png
python3 scripts/lib/ppm_to_png.py "$work/triangle.ppm" docs/screenshot-triangle-512.png
echo "Wrote docs/screenshot-circle.png and docs/screenshot-triangle-512.png"

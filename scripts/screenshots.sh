#!/usr/bin/env bash
# Takes the README's two pictures from the real program under Wine on a
# virtual display: the default circle once its sort has come to rest, and a
# 512 triangle set in the Options dialog, sorted the same way.
#   scripts/screenshots.sh   ->   docs/screenshot-circle.png, docs/screenshot-triangle-512.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/lib/install-packages.sh build
# The 32-bit program where this host runs it; the pictures are the same.
arch=win32
bash scripts/lib/host-runs-32bit.sh || arch=win64
cmake --preset $arch >/dev/null
cmake --build --preset $arch --target huesift huesift_screenshots

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
HUESIFT_XVFB=1 HUESIFT_WINE_ARCH=$arch bash scripts/lib/wine-session.sh wine \
  "$root/build/$arch/tools/huesift_screenshots.exe" \
  "$root/build/$arch/shell/huesift.exe" "$work/circle.ppm" "$work/triangle.ppm"

mkdir -p docs
python3 scripts/lib/ppm_to_png.py "$work/circle.ppm" docs/screenshot-circle.png
python3 scripts/lib/ppm_to_png.py "$work/triangle.ppm" docs/screenshot-triangle-512.png
echo "Wrote docs/screenshot-circle.png and docs/screenshot-triangle-512.png"

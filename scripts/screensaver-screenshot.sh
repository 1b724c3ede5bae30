#!/usr/bin/env bash
# Takes the README's picture of the screensaver: huesift.scr /s under Wine on
# a 1280 x 1024 virtual display, once its palette rotates, at half size.
#   scripts/screensaver-screenshot.sh   ->   docs/screensaver.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/lib/install-packages.sh build
arch=win32
bash scripts/lib/host-runs-32bit.sh || arch=win64
cmake --preset $arch >/dev/null
cmake --build --preset $arch --target huesift_scr saver_screenshot

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
HUESIFT_XVFB=1 HUESIFT_WINE_ARCH=$arch bash scripts/lib/wine-session.sh wine \
  "$root/build/$arch/tools/saver_screenshot.exe" \
  "$root/build/$arch/screensaver/huesift.scr" "$work/screensaver.ppm"

mkdir -p docs
python3 scripts/lib/ppm_to_png.py "$work/screensaver.ppm" docs/screensaver.png
echo "Wrote docs/screensaver.png"

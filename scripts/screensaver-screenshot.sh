#!/usr/bin/env bash
# Takes the README's picture of the screensaver: huesift.scr /s under Wine on
# a 1280 x 1024 virtual display, once its palette rotates, at half size.
#   scripts/screensaver-screenshot.sh   ->   docs/screensaver.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

source scripts/lib/windows-program.sh
windows_build huesift_scr saver_screenshot

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
HUESIFT_XVFB=1 windows_run "$windows_dir/tools/saver_screenshot.exe" \
  "$windows_dir/screensaver/huesift.scr" "$work/screensaver.ppm"

mkdir -p docs
python3 scripts/lib/ppm_to_png.py "$work/screensaver.ppm" docs/screensaver.png
echo "Wrote docs/screensaver.png"

#!/usr/bin/env bash
# Takes the README's picture of huesift, the XScreenSaver hack: the default
# show on the root window of a 1280 x 1024 virtual display, once its palette
# rotates, at half size.
#   scripts/hack-screenshot.sh   ->   docs/xscreensaver.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/lib/install-packages.sh build
cmake --preset native >/dev/null
cmake --build --preset native --target huesift

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p docs
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c '
  set -euo pipefail
  HUESIFT_FRAME_LOG=1 build/native/xscreensaver/huesift --root 2>"$1/frames" &
  hack=$!
  for _ in $(seq 600); do grep -q rotating "$1/frames" && break; sleep 0.1; done
  grep -q rotating "$1/frames" || { kill $hack; echo "the picture did not rotate within a minute" >&2; exit 1; }
  sleep 1
  python3 scripts/lib/x11_grab.py --half docs/xscreensaver.png
  kill -TERM $hack
  wait $hack
' bash "$work"
echo "Wrote docs/xscreensaver.png"

#!/usr/bin/env bash
# Takes the README's picture of the web page, docs/web-page.png: builds the
# site, serves it on a loopback port and captures it in Debian's Chromium.
#   scripts/web-screenshot.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/lib/web-tools.sh --browser
bash scripts/web.sh --build-only
port=${HUESIFT_WEB_PORT:-8179}
python3 web/serve.py --port "$port" build/web &
server=$!
trap 'kill $server' EXIT
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/')" 2>/dev/null && break
  sleep 0.2
done
(cd web && node tools/screenshot.mjs "http://127.0.0.1:$port/" "$root/docs/web-page.png")

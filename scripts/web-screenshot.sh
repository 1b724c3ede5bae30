#!/usr/bin/env bash
# Takes the README's picture of the web page, docs/web-page.png: builds the
# site, serves it on a loopback port and captures it in Debian's Chromium.
#   scripts/web-screenshot.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/lib/web-tools.sh --browser
bash scripts/web.sh --build-only
source scripts/lib/serve-site.sh
serve_site web-screenshot
(cd web && node tools/screenshot.mjs "$site_url" "$root/docs/web-page.png")

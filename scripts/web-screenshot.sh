#!/usr/bin/env bash
# Takes the README's pictures of the web page, docs/web-page.png, and of its
# screensaver, docs/web-show.png: builds the site, serves it on a loopback
# port and captures both in Debian's Chromium.
#   scripts/web-screenshot.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/lib/web-tools.sh --browser
bash scripts/web.sh --build-only
source scripts/lib/serve-site.sh
serve_site web-screenshot
(cd web && node tools/screenshot.mjs "$site_url" "$root/docs/web-page.png" "$root/docs/web-show.png")

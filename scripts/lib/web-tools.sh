#!/usr/bin/env bash
# Installs what the web build and its tests need, each only when missing:
# Debian's emscripten (and with --browser, Debian's chromium), and the npm
# packages of web/package-lock.json, with no install scripts run.
#   scripts/lib/web-tools.sh [--browser]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

groups=(web)
case "${1:-}" in
  '') ;;
  --browser) groups+=(browser) ;;
  *) echo "usage: scripts/lib/web-tools.sh [--browser]" >&2; exit 2 ;;
esac
bash "$root/scripts/lib/install-packages.sh" "${groups[@]}"

# npm ci again only when the lock file is newer than the installed tree.
cd "$root/web"
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  echo "Installing the npm packages of web/package-lock.json..."
  npm ci --ignore-scripts --no-audit --no-fund --loglevel=error
fi

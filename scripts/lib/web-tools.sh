#!/usr/bin/env bash
# Installs what the web build and its tests need, each only when missing:
# Debian's emscripten (and with --browser, Debian's chromium), as root, and
# the npm packages of web/package-lock.json, with no install scripts run.
#   scripts/lib/web-tools.sh [--browser]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

packages=()
command -v em++ >/dev/null || packages+=(emscripten)
[ "${1:-}" = --browser ] && { [ -x /usr/bin/chromium ] || packages+=(chromium); }
if [ ${#packages[@]} -ne 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "web-tools.sh: please install ${packages[*]} (apt-get install ${packages[*]}) or run as root" >&2
    exit 1
  fi
  echo "Installing ${packages[*]} from Debian..."
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi

# npm ci again only when the lock file is newer than the installed tree.
cd "$root/web"
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  echo "Installing the npm packages of web/package-lock.json..."
  npm ci --ignore-scripts --no-audit --no-fund --loglevel=error
fi

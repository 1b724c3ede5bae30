#!/usr/bin/env bash
# The web build's tests: the engine compiled to WebAssembly against the
# native engine under node, and the page in Debian's Chromium. Installs what
# they need (emscripten, chromium, the npm packages of the lock file), builds
# the site, huesift-render and the check programs, then runs node's test
# runner over web/tests/.
#   scripts/web-test.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/lib/web-tools.sh --browser
bash scripts/web.sh --build-only

echo "Building huesift-render and the native engine..."
cmake --preset native >/dev/null
cmake --build --preset native --target huesift-render huesift_engine

echo "Building the exactness check, native and WebAssembly..."
bash scripts/lib/web-programs.sh web/wasm/exact_check.cpp build/web-tests exact-
export NODE_PATH=/usr/share/nodejs

echo "Running the web tests (once: a failure fails)..."
cd web
node --test --test-concurrency=1 tests/

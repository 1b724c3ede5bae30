#!/usr/bin/env bash
# Runs every test: the engine tests natively, under AddressSanitizer with
# UndefinedBehaviorSanitizer and under ThreadSanitizer, then the 32-bit
# Windows build (engine, shell and end-to-end tests) under Wine.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh || exit 1

failed=()
run_preset() {
  local preset=$1; shift
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null &&
    cmake --build --preset "$preset" &&
    "$@" ctest --preset "$preset" || failed+=("$preset")
}

run_preset native
run_preset asan
# ThreadSanitizer's runtime cannot map its shadow memory under the kernel's
# full address randomisation; setarch -R turns it off for the test run alone.
run_preset tsan setarch "$(uname -m)" -R
run_preset win32 bash scripts/wine-session.sh

if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED presets: ${failed[*]}"
  exit 1
fi
echo "All presets passed: native asan tsan win32"

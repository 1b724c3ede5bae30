#!/usr/bin/env bash
# Runs every test: the engine tests natively, under AddressSanitizer with
# UndefinedBehaviorSanitizer and under ThreadSanitizer, then the 32-bit and
# the 64-bit Windows builds (engine, drawing cross-check, shell and end-to-end
# tests) under Wine, the engine tests in the portable build, which has no
# SIMD code at all, the web page, and last the release folder and its
# installers and package. On a host that runs 64-bit code only, the 32-bit build is
# still compiled but its tests cannot run; the run says so.
#   scripts/test.sh
#   HUESIFT_NO_32BIT=1 scripts/test.sh   behave as on a 64-bit-only host
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if ! bash scripts/lib/install-packages.sh build; then
  echo "FAILED: installing the Debian packages (scripts/lib/install-packages.sh build) did not succeed"
  exit 1
fi

passed=()
failed=()
built_only=()

# Runs one step of a preset; on failure says which step and with what code.
step() {
  local preset=$1 what=$2; shift 2
  "$@"
  local code=$?
  if [ $code -ne 0 ]; then
    echo "FAILED: $preset: $what exited with code $code"
    failed+=("$preset")
  fi
  return $code
}

quietly() { "$@" >/dev/null; }

build_preset() {
  local preset=$1
  echo "=== $preset ==="
  step "$preset" "configuring (cmake --preset $preset)" quietly cmake --preset "$preset" &&
    step "$preset" "building (cmake --build --preset $preset)" cmake --build --preset "$preset"
}

# build_preset, then ctest through the given runner (may be empty).
run_preset() {
  local preset=$1; shift
  build_preset "$preset" &&
    step "$preset" "its tests (ctest --preset $preset)" "$@" ctest --preset "$preset" &&
    passed+=("$preset")
}

runs_32bit=1
why_not_32bit=$(bash scripts/lib/host-runs-32bit.sh -v 2>&1) || runs_32bit=0

run_preset native
run_preset asan
# ThreadSanitizer's runtime cannot map its shadow memory under the kernel's
# full address randomisation; setarch -R turns it off for the test run alone.
run_preset tsan setarch "$(uname -m)" -R
if [ $runs_32bit = 1 ]; then
  run_preset win32 bash scripts/lib/wine-session.sh
else
  build_preset win32 && built_only+=("win32")
  echo "win32: built but its tests were not run: $why_not_32bit"
fi
run_preset win64 env HUESIFT_WINE_ARCH=win64 bash scripts/lib/wine-session.sh
# Its build preset makes the engine tests alone; its test preset runs them.
run_preset portable

# The web build: the engine compiled to WebAssembly against the native one
# under node, and the page in Debian's Chromium. scripts/web-test.sh installs
# what it needs (emscripten, chromium, the npm packages of the lock file).
echo "=== web ==="
step web "its tests (scripts/web-test.sh)" bash scripts/web-test.sh && passed+=("web")

# The release, as a user downloads it: scripts/package.sh fills dist/ (the
# installers, the Debian package, the bare programs, the page, the sums) and
# scripts/package-test.sh checks it (the installers under Wine, the package
# with lintian and, as root, dpkg -i and -r, the one version).
echo "=== package ==="
step package "the release folder (scripts/package.sh)" bash scripts/package.sh &&
  step package "its checks (scripts/package-test.sh)" bash scripts/package-test.sh && passed+=("package")

summary="Presets run and passed: ${passed[*]:-none}"
if [ ${#built_only[@]} -ne 0 ]; then
  summary+="; built, tests not run: ${built_only[*]}"
fi
if [ ${#failed[@]} -ne 0 ]; then
  echo "$summary; FAILED: ${failed[*]}"
  exit 1
fi
echo "$summary"

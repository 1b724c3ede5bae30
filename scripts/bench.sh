#!/usr/bin/env bash
# Runs the benchmarks: natively with Google Benchmark (medians of 5
# repetitions), then the same benchmarks built for 32-bit Windows under Wine.
#   scripts/bench.sh [native|win32]   (both when no argument is given)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
which=${1:-both}

if [ "$which" != win32 ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target huesift_bench
  echo "=== native (x86-64 Linux) ==="
  build/native/bench/huesift_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_min_time=0.5 2>&1 | grep -E '_median|^Run|^---|^Benchmark'
fi
if [ "$which" != native ]; then
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 --target huesift_bench
  echo "=== 32-bit Windows under Wine ==="
  out=$(mktemp)
  # Output goes through a file: Wine's services may hold a pipe open.
  bash scripts/wine-session.sh wine build/win32/bench/huesift_bench.exe >"$out" 2>&1 </dev/null
  cat "$out"
  rm -f "$out"
fi

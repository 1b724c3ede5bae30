#!/usr/bin/env bash
# Runs the benchmarks: natively with Google Benchmark (medians of 5
# repetitions, interleaved), then the same benchmarks built for 32-bit and
# for 64-bit Windows under Wine. Both count the thread's processor time, and
# each sort case, with the best block kernels and with the scalar ones, is
# summed up in a table beside the reference loop measured in the same run. Under Wine the sort as the real window shows it follows
# (time spent waiting for repaints, the 512 triangle's disorder). The 32-bit
# build is skipped, with a note, on a host that cannot run 32-bit programs.
#   scripts/bench.sh [native|win32|win64]   (all three when no argument is given)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/lib/install-packages.sh build
which=${1:-all}
case "$which" in
  all|native|win32|win64) ;;
  *) echo "usage: scripts/bench.sh [native|win32|win64]" >&2; exit 2 ;;
esac

if [ "$which" = all ] || [ "$which" = native ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target huesift_bench
  echo "=== native (x86-64 Linux) ==="
  build/native/bench/huesift_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_enable_random_interleaving=true --benchmark_min_time=0.5 2>&1 |
    grep -E '_median|^Run|^---|^Benchmark' | python3 scripts/lib/sort_table.py
fi

windows_bench() {
  local arch=$1 title=$2
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch" --target huesift_bench huesift_repaint_share
  echo "=== $title under Wine ==="
  local out
  out=$(mktemp)
  # Output goes through a file: Wine's services may hold a pipe open.
  HUESIFT_WINE_ARCH=$arch bash scripts/lib/wine-session.sh wine "build/$arch/bench/huesift_bench.exe" \
    >"$out" 2>&1 </dev/null
  python3 scripts/lib/sort_table.py <"$out"
  HUESIFT_WINE_ARCH=$arch bash scripts/lib/wine-session.sh wine "build/$arch/bench/huesift_repaint_share.exe" \
    >"$out" 2>&1 </dev/null
  cat "$out"
  rm -f "$out"
}

if [ "$which" = all ] || [ "$which" = win32 ]; then
  if why=$(bash scripts/lib/host-runs-32bit.sh -v 2>&1); then
    windows_bench win32 "32-bit Windows"
  else
    echo "=== 32-bit Windows: not run: $why ==="
  fi
fi
if [ "$which" = all ] || [ "$which" = win64 ]; then
  windows_bench win64 "64-bit Windows"
fi

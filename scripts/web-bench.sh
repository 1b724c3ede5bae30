#!/usr/bin/env bash
# The web build's speed: ns per iteration of each sort entry natively,
# in WebAssembly with SIMD and without under node, and in the page's worker
# in Debian's Chromium, with the ratios to native; then the page's frame
# rate while a 512 picture sorts, its load time and its gzipped size; then
# what the page costs the device: CPU at rest and hidden, and the garbage
# of a minute's rotation.
#   scripts/web-bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/lib/web-tools.sh --browser
bash scripts/web.sh --build-only
cmake --preset native >/dev/null
cmake --build --preset native --target huesift_engine

out=build/web-bench
bash scripts/lib/web-programs.sh web/bench/sort_entries.cpp "$out"
export NODE_PATH=/usr/share/nodejs

source scripts/lib/serve-site.sh
serve_site web-bench

"$out/native" >"$out/native.txt"
node --no-experimental-fetch "$out/simd.js" >"$out/simd.txt"
node --no-experimental-fetch "$out/scalar.js" >"$out/scalar.txt"
(cd web && node bench/page.mjs "$site_url" "$root/build/web") >"$out/page.txt"

python3 - "$out" <<'PY'
import sys
out = sys.argv[1]
def table(name):
    return dict(line.rstrip("\n").split("\t")[-2:] for line in open(f"{out}/{name}.txt") if line.strip())
native, simd, scalar = table("native"), table("simd"), table("scalar")
worker = {line.split("\t")[1]: line.split("\t")[2] for line in open(f"{out}/page.txt") if line.startswith("worker")}
print(f"{'entry (ns per iteration)':24} {'native':>8} {'wasm SIMD':>14} {'wasm scalar':>14} {'page worker':>14}")
for entry, base in native.items():
    b = float(base)
    cells = [f"{float(t[entry]):6.2f} {float(t[entry]) / b:5.2f}x" for t in (simd, scalar, worker)]
    print(f"{entry:24} {b:8.2f} {cells[0]:>14} {cells[1]:>14} {cells[2]:>14}")
for line in open(f"{out}/page.txt"):
    if line.startswith("page"):
        print(" ".join(line.rstrip().split("\t")[1:]))
PY
(cd web && node bench/citizen.mjs "$site_url") | cut -f2- | tr '\t' ' '

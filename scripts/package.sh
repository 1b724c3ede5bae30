#!/usr/bin/env bash
# Makes the release folder dist/: the 32-bit program (the product) and its
# 64-bit twin, each with its screensaver huesift.scr, all statically linked, the README, and SHA256SUMS so that a
# user can check what they downloaded (sha256sum -c SHA256SUMS in dist/).
# dist/web/ is the static web page, ready for any static host, with its own
# SHA256SUMS, which the one in dist/ covers too.
#   scripts/package.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# Writes DIR/SHA256SUMS over every file below DIR but that list itself, which
# find may or may not see (the redirection makes it while find looks), and
# checks it.
write_sums() {
  (cd "$1" && find . -type f ! -path ./SHA256SUMS -printf '%P\0' | sort -z | xargs -0 sha256sum >SHA256SUMS)
  (cd "$1" && sha256sum --quiet -c SHA256SUMS)
}

bash scripts/lib/install-packages.sh build
for arch in win32 win64; do
  cmake --preset $arch >/dev/null
  cmake --build --preset $arch --target huesift huesift_scr
done

rm -rf dist
mkdir -p dist/win32 dist/win64
cp build/win32/shell/huesift.exe dist/win32/
cp build/win64/shell/huesift.exe dist/win64/
cp build/win32/screensaver/huesift.scr dist/win32/
cp build/win64/screensaver/huesift.scr dist/win64/
cp README.md dist/
bash scripts/web.sh --build-only
cp -r build/web dist/web
write_sums dist/web
x86_64-w64-mingw32-strip dist/win64/huesift.exe dist/win64/huesift.scr
i686-w64-mingw32-strip dist/win32/huesift.exe dist/win32/huesift.scr
write_sums dist
echo "dist/:"
(cd dist && find . -type f | sort | sed 's|^\./||' | xargs ls -l)

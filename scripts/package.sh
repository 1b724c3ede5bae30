#!/usr/bin/env bash
# Makes the release folder dist/: the 32-bit program (the product) and its
# 64-bit twin, each with its screensaver huesift.scr, all statically linked, the README, and SHA256SUMS so that a
# user can check what they downloaded (sha256sum -c SHA256SUMS in dist/).
# dist/web/ is the static web page, ready for any static host, with its own
# SHA256SUMS.
#   scripts/package.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

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
(cd dist/web && find . -type f | sort | sed 's|^\./||' | xargs sha256sum >SHA256SUMS)
(cd dist/web && sha256sum --quiet -c SHA256SUMS)
x86_64-w64-mingw32-strip dist/win64/huesift.exe dist/win64/huesift.scr
i686-w64-mingw32-strip dist/win32/huesift.exe dist/win32/huesift.scr
(cd dist && find . -type f ! -name SHA256SUMS | sort | sed 's|^\./||' | xargs sha256sum >SHA256SUMS)
(cd dist && sha256sum --quiet -c SHA256SUMS)
echo "dist/:"
(cd dist && find . -type f | sort | sed 's|^\./||' | xargs ls -l)

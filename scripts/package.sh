#!/usr/bin/env bash
# Makes the release folder dist/, every name carrying the project's version
# (scripts/lib/project-version.sh):
#   huesift-VERSION-win64-setup.exe   the Windows installers (NSIS), the 64-bit
#   huesift-VERSION-win32-setup.exe   program and the 32-bit one, each with its screensaver
#   huesift_VERSION_amd64.deb         the Debian package: huesift-render, the XScreenSaver
#                                     hack and the web page
#   win32/ win64/                     the bare programs huesift.exe and huesift.scr,
#                                     statically linked and stripped
#   web/                              the static web page, ready for any static host,
#                                     with its own SHA256SUMS
#   README.md
#   SHA256SUMS                        over all of them: sha256sum -c SHA256SUMS in dist/
# scripts/package-test.sh checks what this leaves.
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

bash scripts/lib/install-packages.sh build package
version=$(bash scripts/lib/project-version.sh)
for arch in win32 win64; do
  cmake --preset $arch >/dev/null
  cmake --build --preset $arch --target huesift huesift_scr
done
cmake --preset native >/dev/null
cmake --build --preset native --target huesift-render huesift
bash scripts/web.sh --build-only

rm -rf dist
mkdir -p dist/win32 dist/win64
cp build/win32/shell/huesift.exe build/win32/screensaver/huesift.scr dist/win32/
cp build/win64/shell/huesift.exe build/win64/screensaver/huesift.scr dist/win64/
i686-w64-mingw32-strip dist/win32/huesift.exe dist/win32/huesift.scr
x86_64-w64-mingw32-strip dist/win64/huesift.exe dist/win64/huesift.scr
cp README.md dist/
cp -r build/web dist/web
write_sums dist/web

echo "Making the installers and the Debian package of Huesift $version..."
bash scripts/lib/make-installer.sh win64 dist/win64 dist >/dev/null
bash scripts/lib/make-installer.sh win32 dist/win32 dist >/dev/null
bash scripts/lib/make-deb.sh build/native build/web dist >/dev/null
write_sums dist
echo "dist/:"
(cd dist && find . -type f | sort | sed 's|^\./||' | xargs ls -l)

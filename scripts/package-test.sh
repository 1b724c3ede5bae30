#!/usr/bin/env bash
# Checks the release folder scripts/package.sh left in dist/: its sums, each
# Windows installer under Wine in a fresh prefix of its own (the 64-bit one,
# and where this host runs 32-bit code the 32-bit one, in a 32-bit prefix and
# on 64-bit Windows), the Debian package (installed on this machine where it
# can be, and removed again), and that the version is written in one place.
# The Windows prefixes are build/wineprefix-install-*, made again each run;
# the Windows tests' own prefixes are not touched.
#   scripts/package-test.sh
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/lib/install-packages.sh build package || { echo "FAILED: installing the Debian packages"; exit 1; }
version=$(bash scripts/lib/project-version.sh) || exit 1
passed=()
failed=()
skipped=()
check() {
  local name=$1; shift
  if "$@"; then passed+=("$name"); else failed+=("$name"); fi
}

# Every file of the release is listed in SHA256SUMS, and matches it.
sums_cover_the_release() {
  echo "=== dist/SHA256SUMS ==="
  [ -f dist/SHA256SUMS ] || { echo "FAILED: no dist/SHA256SUMS; run scripts/package.sh"; return 1; }
  local files listed artefact
  files=$(cd dist && find . -type f ! -path ./SHA256SUMS -printf '%P\n' | sort)
  listed=$(sed 's/^[0-9a-f]\{64\}  //' dist/SHA256SUMS | sort)
  [ "$files" = "$listed" ] || { echo "FAILED: SHA256SUMS does not list exactly the files of dist/"; return 1; }
  for artefact in "huesift-$version-win64-setup.exe" "huesift-$version-win32-setup.exe" \
    "huesift_${version}_$(dpkg --print-architecture).deb" win32/huesift.exe win32/huesift.scr win64/huesift.exe \
    win64/huesift.scr web/index.html web/SHA256SUMS README.md; do
    grep -qxF "$artefact" <<<"$files" || { echo "FAILED: dist/$artefact is missing"; return 1; }
  done
  (cd dist && sha256sum --quiet -c SHA256SUMS) || return 1
  echo "$(wc -l <<<"$files") files, every one listed and matching"
}
check sums sums_cover_the_release

# Builds the Windows check program of one build; no output unless it fails.
build_install_check() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" --target install_check >/dev/null
}

# One installer in a fresh prefix of the given kind, with an older version
# made from the same programs to install over.
installer_test() {
  local prefix_kind=$1 build=$2 prefix=$root/build/wineprefix-install-$1-$2 older=$root/build/installer-older
  local older_version=0.0.1
  [ "$version" != $older_version ] || older_version=0.0.2
  bash scripts/lib/make-installer.sh "$build" "dist/$build" "$older" $older_version >/dev/null || return 1
  rm -rf "$prefix"
  local prefix_variable=HUESIFT_WINEPREFIX
  [ "$prefix_kind" = win64 ] && prefix_variable=HUESIFT_WINEPREFIX64
  # Wine's menu builder would copy the Start-menu shortcut to this machine's
  # desktop menus; it stays off.
  env HUESIFT_WINE_ARCH="$prefix_kind" "$prefix_variable=$prefix" \
    WINEDLLOVERRIDES="winemenubuilder.exe=d;winedbg.exe=d;mscoree=d;mshtml=d" \
    bash scripts/lib/wine-session.sh bash tests/packaging/installer_test.sh \
    "dist/huesift-$version-$build-setup.exe" "$older/huesift-$older_version-$build-setup.exe" $older_version \
    "build/$prefix_kind/tests/packaging/install_check.exe"
}

if build_install_check win64; then
  check installer-win64 installer_test win64 win64
else
  echo "FAILED: building install_check (win64)"
  failed+=(installer-win64)
fi
if why_not=$(bash scripts/lib/host-runs-32bit.sh -v 2>&1); then
  if build_install_check win32; then
    check installer-win32 installer_test win32 win32
    check installer-win32-on-win64 installer_test win64 win32
  else
    echo "FAILED: building install_check (win32)"
    failed+=(installer-win32)
  fi
else
  echo "SKIPPED: the 32-bit installer: $why_not"
  skipped+=(installer-win32)
fi

check deb bash tests/packaging/deb_test.sh "dist/huesift_${version}_$(dpkg --print-architecture).deb"
check version bash tests/packaging/version_test.sh

summary="Release checks passed: ${passed[*]:-none}"
[ ${#skipped[@]} -eq 0 ] || summary+="; skipped: ${skipped[*]}"
if [ ${#failed[@]} -ne 0 ]; then
  echo "$summary; FAILED: ${failed[*]}"
  exit 1
fi
echo "$summary"

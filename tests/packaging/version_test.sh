#!/usr/bin/env bash
# Checks that Huesift's version is written in one place. In a scratch copy of
# the tree (build/version-check/), the project() line's VERSION is changed,
# and everything that carries the version must then carry the new one:
# huesift-render --version and the hack's -version, the version resources of
# huesift.exe and huesift.scr, the installer's name and its own resource, the
# Debian package's name and fields, and the page's stamp. To stay cheap it
# builds only the programs that carry the version, without optimising, one
# Windows build, and reuses this tree's compiled web objects (the version
# enters the page when the page is copied).
#   tests/packaging/version_test.sh
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
quietly() {
  local output
  output=$("$@" 2>&1) || { printf '%s\n' "$output" | tail -20; return 1; }
}

old=$(bash "$root/scripts/lib/project-version.sh") || exit 1
IFS=. read -r major minor patch <<<"$old"
new=$((major + 7)).$((minor + 3)).$((patch + 11))
scratch=$root/build/version-check
tree=$scratch/tree
echo "=== the version changed from $old to $new in a scratch copy ($scratch) ==="

rm -rf "$scratch"
mkdir -p "$tree/build" "$tree/web"
# File times are kept, so the copied web objects stay newer than their sources.
(cd "$root" && tar -c --exclude=./build --exclude=./dist --exclude=./.git --exclude=node_modules .) | (cd "$tree" && tar -x)
for built in web/node_modules build/web-objects build/web; do
  [ -e "$root/$built" ] && cp -a "$root/$built" "$tree/$built"
done
sed -i "s/^project(huesift VERSION $old /project(huesift VERSION $new /" "$tree/CMakeLists.txt"
[ "$(bash "$tree/scripts/lib/project-version.sh")" = "$new" ] || { echo "FAILED: could not change the version"; exit 1; }

echo "--- building what carries the version"
quietly cmake -S "$tree" -B "$scratch/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug &&
  quietly cmake --build "$scratch/native" --target huesift-render huesift ||
  fail "the native programs did not build"
quietly cmake -S "$tree" -B "$scratch/win64" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_TOOLCHAIN_FILE="$tree/cmake/x86_64-w64-mingw32.cmake" &&
  quietly cmake --build "$scratch/win64" --target huesift huesift_scr ||
  fail "the Windows programs did not build"
(cd "$tree" && quietly bash scripts/web.sh --build-only) || fail "the page did not build"

expect() {
  local what=$1 actual=$2 expected=$3
  echo "    $what: $actual"
  [ "$actual" = "$expected" ] || fail "$what is '$actual', not '$expected'"
}

echo "--- what the outputs say"
expect "huesift-render --version" "$("$scratch/native/render/huesift-render" --version)" "huesift-render $new"
expect "huesift -version" "$("$scratch/native/xscreensaver/huesift" -version)" "huesift $new"
resource() { python3 "$root/tests/packaging/pe_version.py" "$1" | tr '\n' ' '; }
resource_of_version="FixedFileVersion=$new.0 FixedProductVersion=$new.0 FileVersion=$new ProductVersion=$new "
expect "huesift.exe's version resource" "$(resource "$scratch/win64/shell/huesift.exe")" "$resource_of_version"
expect "huesift.scr's version resource" "$(resource "$scratch/win64/screensaver/huesift.scr")" "$resource_of_version"

mkdir -p "$scratch/programs" "$scratch/out"
cp "$scratch/win64/shell/huesift.exe" "$scratch/win64/screensaver/huesift.scr" "$scratch/programs/"
if installer=$(bash "$tree/scripts/lib/make-installer.sh" win64 "$scratch/programs" "$scratch/out"); then
  expect "the installer" "$(basename "$installer")" "huesift-$new-win64-setup.exe"
  expect "the installer's version resource" "$(resource "$installer")" "$resource_of_version"
else
  fail "no installer was made"
fi
expect "the page's stamp" "$(grep -o 'data-version="[^"]*"' "$tree/build/web/index.html")" "data-version=\"$new\""
if deb=$(bash "$tree/scripts/lib/make-deb.sh" "$scratch/native" "$tree/build/web" "$scratch/out"); then
  expect "the package" "$(basename "$deb")" "huesift_${new}_$(dpkg --print-architecture).deb"
  expect "the package's Version" "$(dpkg-deb --field "$deb" Version)" "$new"
  expect "the package's page stamp" "$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/huesift/web/index.html |
    grep -o 'data-version="[^"]*"')" "data-version=\"$new\""
else
  fail "no package was made"
fi

if [ $failures -ne 0 ]; then
  echo "version: $failures checks FAILED"
  exit 1
fi
rm -rf "$scratch"
echo "version: every output carries the changed version"

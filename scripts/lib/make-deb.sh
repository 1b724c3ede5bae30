#!/usr/bin/env bash
# Makes the Debian package OUT_FOLDER/huesift_VERSION_ARCH.deb with dpkg-deb:
# huesift-render and the XScreenSaver hack from a native build, each with a
# manual page made by help2man from its own --help, bash completion for
# huesift-render made from the same text, the hack's settings page, the built
# web page (scripts/web.sh) under /usr/share/huesift/web, the copyright file
# and the changelog. The version is the project's (project-version.sh), and
# both programs must say the same. Dependencies come from the binaries
# (dpkg-shlibdeps). Prints the package's path.
#   scripts/lib/make-deb.sh NATIVE_BUILD_FOLDER WEB_FOLDER OUT_FOLDER
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
packaging=$root/packaging/debian

fail() { echo "make-deb: $*" >&2; exit 1; }

[ $# -eq 3 ] || fail "usage: scripts/lib/make-deb.sh NATIVE_BUILD_FOLDER WEB_FOLDER OUT_FOLDER"
build=$1 web=$2
render=$build/render/huesift-render
hack=$build/xscreensaver/huesift
for file in "$render" "$hack" "$web/index.html"; do
  [ -f "$file" ] || fail "$file is missing"
done
for tool in dpkg-deb dpkg-shlibdeps help2man python3; do
  command -v $tool >/dev/null || fail "$tool is missing; run scripts/lib/install-packages.sh package"
done
version=$(bash "$root/scripts/lib/project-version.sh" "$root")
architecture=$(dpkg --print-architecture)
for program in "$render" "$hack"; do
  said=$("$program" --version)
  [ "$said" = "$(basename "$program") $version" ] ||
    fail "$program says '$said', not version $version: build it again"
done
mkdir -p "$3"
deb=$(cd "$3" && pwd)/huesift_${version}_${architecture}.deb

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# Laid out as a Debian source tree builds a package: debian/PACKAGE.
package=$stage/debian/huesift
doc=$package/usr/share/doc/huesift
# The dates inside (manual pages, file times) are the changelog's.
changelog=$stage/changelog
sed "s/@VERSION@/$version/g" "$packaging/changelog.in" >"$changelog"
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$changelog" -S Timestamp)
export SOURCE_DATE_EPOCH

# Programs, stripped as Debian's own packages are.
install -d -m 755 "$package/usr/bin" "$package/usr/libexec/xscreensaver" "$package/usr/share/xscreensaver/config" \
  "$package/usr/share/man/man1" "$package/usr/share/man/man6" "$package/usr/share/bash-completion/completions" \
  "$package/usr/share/huesift" "$doc"
install -m 755 "$render" "$package/usr/bin/huesift-render"
install -m 755 "$hack" "$package/usr/libexec/xscreensaver/huesift"
strip --remove-section=.comment --remove-section=.note --strip-unneeded \
  "$package/usr/bin/huesift-render" "$package/usr/libexec/xscreensaver/huesift"
install -m 644 "$root/xscreensaver/huesift.xml" "$package/usr/share/xscreensaver/config/huesift.xml"

# Manual pages and completion from the programs themselves.
help2man --no-info --section=1 --source="Huesift $version" --manual=Huesift \
  --name="sort Huesift's colours without a window and save the pictures" \
  --include="$packaging/huesift-render.h2m" --output="$stage/huesift-render.1" "$package/usr/bin/huesift-render"
help2man --no-info --section=6x --source="Huesift $version" --manual="XScreenSaver hacks" \
  --name="Huesift's colour sort as an XScreenSaver hack" \
  --include="$packaging/huesift.h2m" --output="$stage/huesift.6x" "$package/usr/libexec/xscreensaver/huesift"
gzip -9n -c "$stage/huesift-render.1" >"$package/usr/share/man/man1/huesift-render.1.gz"
gzip -9n -c "$stage/huesift.6x" >"$package/usr/share/man/man6/huesift.6x.gz"
python3 "$packaging/make_completion.py" "$package/usr/bin/huesift-render" \
  >"$package/usr/share/bash-completion/completions/huesift-render"

cp -r "$web" "$package/usr/share/huesift/web"
install -m 644 "$packaging/copyright" "$doc/copyright"
gzip -9n -c "$changelog" >"$doc/changelog.gz"

# Everything root's, readable by all; the programs executable.
find "$package" -type d -exec chmod 755 {} +
find "$package" -type f -exec chmod 644 {} +
chmod 755 "$package/usr/bin/huesift-render" "$package/usr/libexec/xscreensaver/huesift"

mkdir -p "$package/DEBIAN"
# dpkg-shlibdeps reads the package list of a source tree's debian/control.
printf 'Source: huesift\n\nPackage: huesift\nArchitecture: any\n' >"$stage/debian/control"
depends=$(cd "$stage" && dpkg-shlibdeps -O debian/huesift/usr/bin/huesift-render debian/huesift/usr/libexec/xscreensaver/huesift |
  sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || fail "dpkg-shlibdeps found no dependencies"
installed_size=$(du -s -k --apparent-size "$package" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@ARCHITECTURE@/$architecture/" -e "s/@INSTALLED_SIZE@/$installed_size/" \
  -e "s/@DEPENDS@/$depends/" "$packaging/control.in" >"$package/DEBIAN/control"
(cd "$package" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$package/DEBIAN/md5sums"
chmod 644 "$package/DEBIAN/control" "$package/DEBIAN/md5sums"
find "$package" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

dpkg-deb --root-owner-group -Zxz --build "$package" "$deb" >/dev/null
echo "$deb"

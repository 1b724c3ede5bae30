#!/usr/bin/env bash
# Prints Huesift's version as the project() line of CMakeLists.txt writes it,
# the one place it is kept, for what the build does not compile: the page's
# stamp, the installers and the Debian package. Fails when that line is
# missing or its version is not three numbers.
#   scripts/lib/project-version.sh [SOURCE_FOLDER]     default: this checkout
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
version=$(sed -n 's/^project(huesift VERSION \([^ )]*\).*/\1/p' "$root/CMakeLists.txt")
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "project-version: $root/CMakeLists.txt has no line 'project(huesift VERSION X.Y.Z ...)'" >&2
  exit 1
fi
echo "$version"

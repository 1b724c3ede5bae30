#!/usr/bin/env bash
# Builds Huesift's web page into build/web/ and serves it on the loopback
# address: the engine compiled to WebAssembly twice (with SIMD, and without
# for browsers that lack it), the page, its worker, the bundled GIF encoder,
# the manifest and the offline service worker.
#   scripts/web.sh                 build, then serve on http://127.0.0.1:8080/
#   scripts/web.sh --port 9000     serve on another port
#   scripts/web.sh --build-only    build only
# It installs what it needs: Debian's emscripten (as root) and the npm
# packages of web/package-lock.json.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

port=8080
build_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build-only) build_only=1 ;;
    --port)
      [ $# -ge 2 ] || { echo "web.sh: --port needs a number" >&2; exit 2; }
      port=$2; shift ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "web.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
  esac
  shift
done
case "$port" in
  ''|*[!0-9]*) echo "web.sh: the port must be a number from 1 to 65535" >&2; exit 2 ;;
esac
if [ "$port" -lt 1 ] || [ "$port" -gt 65535 ]; then
  echo "web.sh: the port must be a number from 1 to 65535" >&2; exit 2
fi

bash scripts/lib/web-tools.sh

out=build/web
objects=build/web-objects
export NODE_PATH=/usr/share/nodejs

source scripts/lib/em-build.sh
# The page's module: made by a factory in a worker, with fixed memory and no
# code made at run time.
link_flags=(-sMODULARIZE=1 -sEXPORT_NAME=HuesiftModule -sENVIRONMENT=worker "${EM_LINK_FLAGS[@]}"
  -sDYNAMIC_EXECUTION=0 -sALLOW_MEMORY_GROWTH=0 -sTOTAL_STACK=1048576
  -sEXPORTED_RUNTIME_METHODS=UTF8ToString -sINCOMING_MODULE_JS_API=locateFile)

# Compiles the engine and the glue of one flavour into build/web-objects/,
# each source again only when it or a header changed, and gathers the
# engine's objects in libengine.a there for the test and bench programs.
compile_flavour() {
  local flavour=$1 dir=$objects/$1 newest_header
  mkdir -p "$dir"
  newest_header=$(find engine web/wasm -name '*.h' -printf '%T@ %p\n' | sort -n | tail -1 | cut -d' ' -f2)
  local objs=()
  for source in engine/*.cpp web/wasm/web_exports.cpp; do
    local obj=$dir/$(basename "${source%.cpp}").o
    if [ ! -f "$obj" ] || [ "$source" -nt "$obj" ] || [ "$newest_header" -nt "$obj" ]; then
      em_build "$flavour" -c "$source" -o "$obj"
    fi
    objs+=("$obj")
  done
  rm -f "$dir/libengine.a"
  emar rcs "$dir/libengine.a" "${objs[@]:0:${#objs[@]}-1}"
  printf '%s\n' "${objs[@]}"
}

echo "Building the WebAssembly engine (SIMD and scalar)..."
mkdir -p "$out"
for flavour in simd scalar; do
  mapfile -t objs < <(compile_flavour "$flavour")
  module=$out/huesift-$flavour.js
  if [ -f "$module" ] && [ -z "$(find "${objs[@]}" -newer "$module")" ]; then continue; fi
  em_build "$flavour" "${objs[@]}" "${link_flags[@]}" -o "$module"
done

echo "Copying the page..."
rm -rf "$out/css" "$out/js" "$out/worker" "$out/icons" "$out/vendor"
cp -r web/css web/js web/worker web/icons "$out/"
cp web/index.html web/manifest.webmanifest "$out/"
# The page's build stamp: the project's version on its root element, where
# the page and anyone reading it find it.
stamp=$(bash scripts/lib/project-version.sh)
grep -q '@HUESIFT_VERSION@' "$out/index.html" || { echo "web.sh: web/index.html has no @HUESIFT_VERSION@ stamp" >&2; exit 1; }
sed -i "s/@HUESIFT_VERSION@/$stamp/g" "$out/index.html"
mkdir -p "$out/vendor"
cp web/node_modules/gifenc/dist/gifenc.esm.js "$out/vendor/"
cp web/node_modules/gifenc/LICENSE.md "$out/vendor/gifenc-LICENSE.md"

# The service worker stores every file of this build under a name that
# changes with their content, so a new build replaces the old store.
files=$(cd "$out" && find . -type f ! -name sw.js ! -name '*.map' ! -name '*LICENSE*' | sort | sed 's|^\./||')
version=$(cd "$out" && printf '%s\n' "$files" | xargs sha256sum | sha256sum | cut -c1-16)
file_list=$(printf '%s\n' "./" $files | python3 -c 'import json,sys; print(json.dumps([l.strip() for l in sys.stdin if l.strip()]))')
python3 - "$version" "$file_list" web/sw.js "$out/sw.js" <<'PY'
import sys
version, files, source, target = sys.argv[1:]
text = open(source).read().replace("@VERSION@", version).replace("@FILES@", files)
open(target, "w").write(text)
PY

echo "Built $out/ ($(du -sk "$out" | cut -f1) KB)"
[ $build_only = 1 ] && exit 0

echo "Serving Huesift at http://127.0.0.1:$port/ (Ctrl+C stops it)"
exec python3 web/serve.py --port "$port" "$out"

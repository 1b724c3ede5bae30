#!/usr/bin/env bash
# Builds one program over the engine three ways, as the web tests and the web
# benchmark compare them: natively against build/native's engine, and to
# WebAssembly with SIMD and without against the objects scripts/web.sh made.
#   scripts/lib/web-programs.sh SOURCE.cpp OUT-DIR [PREFIX]
# writes OUT-DIR/PREFIXnative, OUT-DIR/PREFIXsimd.js and OUT-DIR/PREFIXscalar.js.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
source=$1 out=$2 prefix=${3:-}

mkdir -p "$out"
g++ -std=c++20 -O2 -I"$root" "$source" build/native/libhuesift_engine.a -pthread -o "$out/${prefix}native"
export NODE_PATH=/usr/share/nodejs
source scripts/lib/em-build.sh
for flavour in simd scalar; do
  em_build $flavour "$source" build/web-objects/$flavour/libengine.a -sENVIRONMENT=node "${EM_LINK_FLAGS[@]}" \
    -o "$out/${prefix}$flavour.js"
done

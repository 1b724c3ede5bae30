# shellcheck shell=bash
# Sourced by scripts/web.sh and scripts/lib/web-programs.sh: em++ with the
# flags every WebAssembly build of the engine shares, in one of its two
# flavours. The SIMD flavour lets the compiler vectorise for WebAssembly SIMD
# and gives the engine's own WebAssembly SIMD kernels; the scalar one keeps
# the engine's plain paths alone.
#   em_build simd|scalar EM++-ARGUMENTS...
# EM_LINK_FLAGS: what every program over the engine links with, so that the
# page's module and the programs that check and measure it see the same
# memory.

EM_LINK_FLAGS=(-sFILESYSTEM=0 -sINITIAL_MEMORY=33554432)

em_build() {
  local root flavour_flags
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  case "${1:-}" in
    simd) flavour_flags=(-msimd128) ;;
    scalar) flavour_flags=(-DHUESIFT_NO_SIMD) ;;
    *) echo "em_build: the flavour is simd or scalar, not '${1:-}'" >&2; return 2 ;;
  esac
  shift
  em++ -std=c++20 -O3 -I"$root" -Wall -Wextra "${flavour_flags[@]}" "$@"
}

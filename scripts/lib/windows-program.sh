# shellcheck shell=bash
# Sourced by the commands that run one of Huesift's Windows programs under
# Wine (run, screenshots, screensaver screenshot, soak). Picks the build this
# host runs: the 32-bit one, the product, where the host runs 32-bit code,
# else its 64-bit twin; the programs behave the same.
#   windows_build TARGET...   installs the packages, picks the build, builds
#                             the targets; sets windows_arch (win32 or win64)
#                             and windows_dir (that build's folder)
#   windows_run [--desktop] PROGRAM [ARGS...]
#                             runs PROGRAM in scripts/lib/wine-session.sh of
#                             the picked kind (--desktop: its desktop prefix)

windows_build() {
  local root why
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  bash "$root/scripts/lib/install-packages.sh" build
  if why=$(bash "$root/scripts/lib/host-runs-32bit.sh" -v 2>&1); then
    windows_arch=win32
    echo "Using the 32-bit build."
  else
    windows_arch=win64
    echo "Using the 64-bit build: $why."
  fi
  (cd "$root" && cmake --preset "$windows_arch" >/dev/null && cmake --build --preset "$windows_arch" --target "$@")
  windows_dir=$root/build/$windows_arch
}

windows_run() {
  local session=() root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  [ -n "${windows_arch:-}" ] || { echo "windows_run: windows_build has not picked a build" >&2; return 1; }
  if [ "${1:-}" = --desktop ]; then
    session=(--desktop)
    shift
  fi
  HUESIFT_WINE_ARCH=$windows_arch bash "$root/scripts/lib/wine-session.sh" "${session[@]}" wine "$@"
}

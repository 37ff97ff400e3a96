#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs (only those missing),
# then configures and builds, with compiler warnings as errors.
# Usage: tools/setup.sh [--asan | --tsan] [--target T]... [-DNAME=VALUE]... [--no-build] [--checks]
#   --asan        the AddressSanitizer + UndefinedBehaviorSanitizer build, in build-asan/
#   --tsan        the ThreadSanitizer build, in build-tsan/ (default: build/)
#   --target T    builds only T and what it needs (default: everything)
#   -DNAME=VALUE  goes to CMake's configure step
#   --no-build    packages only
#   --checks      also the tools of CI's source checks (clang-format)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libepoxy-dev libx11-dev libxext-dev libxi-dev libgl1-mesa-dri libegl-mesa0 libegl1
  libsqlite3-dev libopenal-dev libmpg123-dev libenet-dev
  libjpeg-dev libpng-dev libsquish-dev libfreetype-dev fonts-dejavu-core
  libcurl4-openssl-dev libopenjp2-7-dev libopenjp2-tools
  lame xvfb xauth xdotool
)

build_dir=build
cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJENTRA_WERROR=ON)
build_args=()
do_build=1
while [ $# -gt 0 ]; do
  case "$1" in
    --asan) build_dir=build-asan; cmake_args+=(-DJENTRA_SANITIZE=ON) ;;
    --tsan) build_dir=build-tsan; cmake_args+=(-DJENTRA_TSAN=ON) ;;
    --target)
      [ $# -gt 1 ] || { echo "setup.sh: --target needs a target" >&2; exit 2; }
      build_args+=(--target "$2"); shift ;;
    -D?*) cmake_args+=("$1") ;;
    --no-build) do_build=0 ;;
    --checks) packages+=(clang-format) ;;
    *) echo "setup.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

missing=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "setup.sh: these packages are missing and installing them needs root: ${missing[*]}" >&2
      exit 1
    fi
    sudo_cmd=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  # Refresh the package lists only when a package cannot be found in them,
  # or when the lists are too old for the install to fetch its files.
  updated=0
  if ! apt-cache show "${missing[@]}" >/dev/null 2>&1; then
    "${sudo_cmd[@]}" apt-get update -q
    updated=1
  fi
  if ! "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    [ "$updated" = 0 ] || exit 1
    "${sudo_cmd[@]}" apt-get update -q
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi

[ "$do_build" = 1 ] || exit 0
cmake -S . -B "$build_dir" "${cmake_args[@]}"
cmake --build "$build_dir" -j "$(nproc)" "${build_args[@]}"

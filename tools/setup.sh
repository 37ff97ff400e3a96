#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs (only those missing),
# then configures and builds. Usage: tools/setup.sh [--asan] [--no-build]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libepoxy-dev libx11-dev libxext-dev libgl1-mesa-dri libegl-mesa0 libegl1
  libsqlite3-dev libopenal-dev libmpg123-dev libenet-dev
  libjpeg-dev libpng-dev libsquish-dev libfreetype-dev fonts-dejavu-core
  libcurl4-openssl-dev libopenjp2-7-dev libopenjp2-tools
  lame xvfb xauth xdotool
)

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

build_dir=build
cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
do_build=1
for arg in "$@"; do
  case "$arg" in
    --asan) build_dir=build-asan; cmake_args+=(-DJENTRA_SANITIZE=ON) ;;
    --no-build) do_build=0 ;;
    *) echo "setup.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

[ "$do_build" = 1 ] || exit 0
cmake -S . -B "$build_dir" "${cmake_args[@]}"
cmake --build "$build_dir" -j "$(nproc)"

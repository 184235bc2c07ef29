#!/usr/bin/env bash
# Sets up a Debian machine for building Talvenor and builds it.
#
#   tools/setup.sh [BUILD_DIR] [extra cmake arguments...]
#
# Installs the Debian packages the build needs when they are missing (with
# sudo when not run as root), configures with CMake and builds. Extra CMake
# arguments may also come from TALVENOR_CMAKE_ARGS.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
[ $# -gt 0 ] && shift

packages=(build-essential cmake ninja-build pkg-config zlib1g-dev libinih-dev
          nlohmann-json3-dev qt6-base-dev libqt6svg6 libgl-dev libcurl4-openssl-dev libxml2-dev
          googletest libgtest-dev libgmock-dev libbenchmark-dev faketime python3 openssl
          libssl-dev python3-dev pybind11-dev python3-pytest python3-numpy libzip-dev)
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release ${TALVENOR_CMAKE_ARGS:-} "$@" >/dev/null
cmake --build "$build_dir"

#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only those missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsleef-dev
  libfltk1.3-dev libx11-dev libasio-dev libglu1-mesa-dev libgl1-mesa-dri xvfb xauth xdotool libpng-dev
  clang-14 libclang-rt-14-dev
  libfreetype-dev fonts-dejavu-core libpng-dev
  dpkg-dev file desktop-file-utils appstream lintian
  python3  # scripts/measure-hostile-peers.py
  iproute2 hostname  # network namespaces of tests/network/ and scripts/measure-discovery.sh
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  # Without --no-install-recommends, Asio would pull in Boost, which we do not use.
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

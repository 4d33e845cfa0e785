#!/usr/bin/env bash
# Shared by ./run and ./test: installs the Debian packages that are missing
# (nothing is downloaded when all are present), then configures and builds.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${NORVEL_BUILD_DIR:-$top/build}

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev
  libgtest-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  poppler-utils xvfb xauth
  cups-daemon cups-client
  lintian xdotool
  libpq-dev postgresql
  libsodium-dev
  libsane-dev qt6-multimedia-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" "$@"

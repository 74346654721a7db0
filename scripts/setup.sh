#!/usr/bin/env bash
# Installs every Debian package Dremmox needs to build, test and run. Idempotent: when all are present it
# installs nothing. Runs as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libqscintilla2-qt6-dev
  libsqlite3-dev
  libpcre2-dev
  nettle-dev
  libsimpleini-dev
  libgtest-dev libgmock-dev
  libbenchmark-dev
  xvfb x11-apps imagemagick
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

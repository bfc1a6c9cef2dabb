#!/usr/bin/env bash
# Installs the Debian packages the project needs; does nothing when all are present.
set -euo pipefail

PACKAGES=(
  build-essential
  cmake
  ninja-build
  ccache
  qt6-base-dev
  libgtest-dev
  firebird-dev
  libboost-dev
  libfbclient2
  firebird3.0-server-core
  firebird3.0-server
  firebird3.0-utils
  fonts-noto-cjk
  xvfb
  xauth
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

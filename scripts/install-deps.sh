#!/usr/bin/env bash
# Installs the Debian packages the project needs; does nothing when all are present.
#   install-deps.sh           what building and running the program needs
#   install-deps.sh --server  and the database server of the client/server mode
#   install-deps.sh --tests   and what the tests need besides (the server among it)
#   install-deps.sh --screen  and a window manager and VNC server for a machine without a screen
#   install-deps.sh --bench   and what the benchmarks are measured with
set -euo pipefail

PACKAGES=(
  build-essential
  cmake
  ninja-build
  ccache
  qt6-base-dev
  qt6-translations-l10n
  libgtest-dev
  firebird-dev
  libboost-dev
  libfbclient2
  libcurl4-openssl-dev
  libssl-dev
  libzip-dev
  firebird3.0-server-core
  firebird3.0-utils
  fonts-noto-cjk
  xvfb
  xauth
)
SERVER_PACKAGES=(
  firebird3.0-server
)
# The window manager and the input of the whole-program test on a virtual screen;
# the PDF readers that check the print engine's output; the FTP server (run by
# Debian's own python3) and the OpenSSL tool that make the relay's test servers;
# the MySQL-compatible server that loads the SQL dump of the analysis service.
TEST_PACKAGES=(
  xdotool
  jwm
  poppler-utils
  python3-pyftpdlib
  openssl
  mariadb-server
)

# The peak memory of a benchmark run (/usr/bin/time -v).
BENCH_PACKAGES=(
  time
)

SCREEN_PACKAGES=(
  jwm
  x11vnc
)

wanted=("${PACKAGES[@]}")
case "${1:-}" in
  --server) wanted+=("${SERVER_PACKAGES[@]}") ;;
  --tests) wanted+=("${SERVER_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
  --screen) wanted+=("${SCREEN_PACKAGES[@]}") ;;
  --bench) wanted+=("${BENCH_PACKAGES[@]}") ;;
esac

missing=()
for p in "${wanted[@]}"; do
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

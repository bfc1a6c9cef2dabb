#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
scripts/install-deps.sh --tests
scripts/build.sh
scripts/install-fileops.sh build/src/dbudr/soltea_fileops.so
export QT_QPA_PLATFORM=offscreen

# The client/server tests use a Firebird server on loopback; start one when none runs.
server=$(scripts/firebird-test-server.sh start)
if [ "$server" = started ]; then
  trap 'rc=$?; "$root/scripts/firebird-test-server.sh" stop; exit $rc' EXIT
fi
if [ "$server" != none ]; then
  export SOLTEA_TEST_FB_HOST=localhost
fi

cd build
ctest --output-on-failure --parallel "$(nproc)" "$@"

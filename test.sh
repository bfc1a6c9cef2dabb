#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# SOLTEA_SANITIZE=ON ./test.sh runs them on the sanitizer build (build-sanitize).
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
build=$(scripts/build-dir.sh)
scripts/install-deps.sh --tests
scripts/build.sh
scripts/install-fileops.sh "$build/src/dbudr/soltea_fileops.so"
scripts/install-fileops.sh "$build/src/dbudr/soltea_filetrans.so"
export QT_QPA_PLATFORM=offscreen
# The embedded database engine is not built with the sanitizers: its own
# allocations are not the program's leaks.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"

# The client/server tests use a Firebird server on loopback; start one when none runs.
server=$(scripts/firebird-test-server.sh start)
if [ "$server" = started ]; then
  trap 'rc=$?; "$root/scripts/firebird-test-server.sh" stop; exit $rc' EXIT
fi
if [ "$server" != none ]; then
  export SOLTEA_TEST_FB_HOST=localhost
fi

cd "$build"
# A test that hangs fails after ten minutes instead of holding the run.
ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"

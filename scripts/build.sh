#!/usr/bin/env bash
# Configures and builds the project (Ninja and ccache when present).
#   build.sh              every target, the tests among them
#   build.sh TARGET...    only these targets (and what they need)
# SOLTEA_WERROR=ON treats warnings as errors (the CI build); SOLTEA_SANITIZE=ON
# builds everything with the sanitizers, into build-sanitize. BUILD_DIR names
# the folder (./build by default).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(scripts/build-dir.sh)

args=(-S . -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}"
      -DSOLTEA_WERROR="${SOLTEA_WERROR:-OFF}" -DSOLTEA_SANITIZE="${SOLTEA_SANITIZE:-OFF}")
if command -v ninja >/dev/null 2>&1 && [ ! -f "$build/CMakeCache.txt" ]; then
  args+=(-G Ninja)
fi
cmake "${args[@]}" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"

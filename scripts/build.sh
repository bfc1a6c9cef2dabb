#!/usr/bin/env bash
# Configures and builds the project into ./build (Ninja and ccache when present).
#   build.sh              every target, the tests among them
#   build.sh TARGET...    only these targets (and what they need)
set -euo pipefail
cd "$(dirname "$0")/.."

args=(-S . -B build -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}")
if command -v ninja >/dev/null 2>&1 && [ ! -f build/CMakeCache.txt ]; then
  args+=(-G Ninja)
fi
cmake "${args[@]}" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build build --parallel "$(nproc)" "${targets[@]}"

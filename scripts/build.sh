#!/usr/bin/env bash
# Configures and builds the project into ./build (Ninja and ccache when present).
set -euo pipefail
cd "$(dirname "$0")/.."

args=(-S . -B build -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}")
if command -v ninja >/dev/null 2>&1 && [ ! -f build/CMakeCache.txt ]; then
  args+=(-G Ninja)
fi
cmake "${args[@]}" >/dev/null
cmake --build build --parallel "$(nproc)"

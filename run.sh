#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
scripts/install-fileops.sh build/src/dbudr/soltea_fileops.so
exec build/src/app/soltea-rendo "$@"

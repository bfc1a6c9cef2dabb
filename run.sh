#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
scripts/install-fileops.sh build/src/dbudr/soltea_fileops.so
# A demonstration installation for this user when none exists yet.
build/src/app/soltea-demo-setup
exec build/src/app/soltea-rendo "$@"

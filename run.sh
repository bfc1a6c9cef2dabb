#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
  echo "The wizard needs a screen. Run it under a virtual one, for example:" >&2
  echo "  xvfb-run -a ./run.sh" >&2
  exit 2
fi
scripts/install-deps.sh
scripts/build.sh
scripts/install-fileops.sh build/src/dbudr/soltea_fileops.so
# A demonstration installation for this user when none exists yet; it prints
# the operator code and password of the demo.
build/src/app/soltea-demo-setup
exec build/src/app/soltea-rendo "$@"

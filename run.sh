#!/usr/bin/env bash
# Installs what is missing, builds the program, and starts it on a
# demonstration installation of this user (made on the first run).
set -euo pipefail
cd "$(dirname "$0")"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
  echo "The wizard needs a screen; see \"Without a screen\" in README.md." >&2
  exit 2
fi
scripts/install-deps.sh
scripts/build.sh soltea-rendo soltea-demo-setup dbupdate_sql
build=$(scripts/build-dir.sh)
# The demonstration installation; it prints the operator code and password.
"$build/src/app/soltea-demo-setup"
exec "$build/src/app/soltea-rendo" "$@"

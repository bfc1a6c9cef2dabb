#!/usr/bin/env bash
# Installs the module of the system database's file procedures where the
# Firebird engine looks for UDR modules. Needs root; without it, says so and
# leaves the engine as it is (the procedures then report an error when called).
set -euo pipefail
module="${1:?usage: install-fileops.sh path/to/soltea_fileops.so}"
engine=$(dpkg -L firebird3.0-server-core 2>/dev/null | grep '/plugins/libEngine12.so$' | head -n 1)
[ -n "$engine" ] || { echo "Firebird engine not found; file procedures not installed" >&2; exit 0; }
target="$(dirname "$engine")/udr/libsoltea_fileops.so"
if cmp -s "$module" "$target"; then exit 0; fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Not root: the file procedures of the database server are not installed ($target)" >&2
  exit 0
fi
mkdir -p "$(dirname "$target")"
install -m 0644 "$module" "$target"

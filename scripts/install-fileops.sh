#!/usr/bin/env bash
# Installs a module of the database server's file procedures and functions
# (soltea_fileops, soltea_filetrans) where the
# Firebird engine looks for UDR modules, for a database server on this
# machine (the client/server mode and its tests; the embedded default never
# calls them). Needs root; without it, says so and leaves the engine as it is.
# The same module is not copied again; a new one replaces the old in one
# rename under a lock, so that two checkouts on one machine never leave a
# half-written module to a running server.
set -euo pipefail
module="${1:?usage: install-fileops.sh path/to/soltea_fileops.so}"
engine=$(dpkg -L firebird3.0-server-core 2>/dev/null | grep '/plugins/libEngine12.so$' | head -n 1)
[ -n "$engine" ] || { echo "Firebird engine not found; file procedures not installed" >&2; exit 0; }
target="$(dirname "$engine")/udr/lib$(basename "$module")"
if cmp -s "$module" "$target"; then exit 0; fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Not root: the file procedures of the database server are not installed ($target)" >&2
  exit 0
fi
mkdir -p "$(dirname "$target")"
exec 9>"$target.lock"
flock 9
if ! cmp -s "$module" "$target"; then
  install -m 0644 "$module" "$target.new.$$"
  mv -f "$target.new.$$" "$target"
fi

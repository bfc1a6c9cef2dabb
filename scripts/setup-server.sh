#!/usr/bin/env bash
# Makes this machine the database server of the client/server mode: the
# Firebird server, the program's database user, and the module of the file
# procedures that the data-set commands run on the server. Then starts the
# server when none runs. Other computers log in with "クライアント(C/S)" and
# this machine's name under "サーバー設定".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --server
scripts/build.sh soltea_fileops soltea_filetrans
scripts/install-fileops.sh build/src/dbudr/soltea_fileops.so
scripts/install-fileops.sh build/src/dbudr/soltea_filetrans.so
case "$(scripts/firebird-test-server.sh start)" in
  started|running) echo "The database server listens on port 3050." ;;
  *) echo "The database server could not be started (it needs root)." >&2; exit 1 ;;
esac

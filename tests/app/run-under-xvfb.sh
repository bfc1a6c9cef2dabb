#!/usr/bin/env bash
# Starts the program on a demonstration data root under a virtual display and
# checks that it comes up and waits for the login (it is stopped after a few
# seconds). Skipped (77) where there is no virtual display.
set -u
program="$1"
setup="$2"
command -v xvfb-run >/dev/null 2>&1 || exit 77
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export SOLTEA_COMMON_APPDATA="$dir/common" SOLTEA_CONFIG_DIR="$dir/config" SOLTEA_RUNTIME_DIR="$dir/run" \
       SOLTEA_DOCUMENTS="$dir/docs" HOME="$dir/home" XDG_RUNTIME_DIR="$dir/xdg"
mkdir -p "$dir/xdg" && chmod 700 "$dir/xdg"
unset QT_QPA_PLATFORM
"$setup" || exit 1
xvfb-run -a timeout 8 "$program" > "$dir/out.log" 2>&1
rc=$?
if [ $rc -ne 124 ]; then
  echo "the program ended by itself (status $rc):"
  cat "$dir/out.log"
  exit 1
fi
echo "the program was up and waiting at the login"

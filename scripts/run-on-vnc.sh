#!/usr/bin/env bash
# For a machine without a screen: starts a virtual screen with a window
# manager, shares it over VNC on this machine's loopback only, and runs
# ./run.sh on it. Look at it with a VNC viewer on localhost:5900 (from another
# computer through an SSH tunnel: ssh -L 5900:localhost:5900 this-machine).
# Ends with the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --screen
dir=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$dir"' EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$dir/display")"
jwm &
pids+=($!)
x11vnc -display "$DISPLAY" -localhost -rfbport 5900 -forever -nopw -quiet &
pids+=($!)
echo "The program's screen: a VNC viewer on localhost:5900"
./run.sh "$@"

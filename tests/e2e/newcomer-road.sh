#!/usr/bin/env bash
# The newcomer's road, gone as a user goes it: a fresh home folder under a
# folder with a Japanese name, the demonstration installation, and the real program on a virtual screen with a
# window manager, worked only by key presses and mouse clicks from outside:
# the login as operator 10 with the empty password, the data-selection screen
# (a double click on the data set), the file page with Qt's file chooser and
# its question to replace the file that is there, the summary and the finish.
# The file written must equal the export tests' expected file but for what the
# demonstration differs in (the caller's number, the package's version and the
# company's name). A screenshot of every step goes to the shots folder.
#
#   newcomer-road.sh PROGRAM DEMO-SETUP SCREENSHOT COMPARE EXPECTED SHOTS
#
# Exit 77 (skipped, with the reason) where the virtual screen, the window
# manager or the input tool is missing or the screen cannot start.
set -u
program=$1 setup=$2 screenshot=$3 compare=$4 expected=$5 shots=$6

skip() {
  echo "SKIPPED: $*"
  exit 77
}
for tool in Xvfb jwm xdotool; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/install-deps.sh --tests installs it)"
done

dir=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  "$screenshot" "$shots/failure.png" >/dev/null 2>&1 && echo "the screen at the failure: $shots/failure.png"
  if [ -f "$dir/program.log" ] && [ -s "$dir/program.log" ]; then
    echo "the program printed:"
    cat "$dir/program.log"
  fi
  exit 1
}

# A fresh user, whose home folder has a Japanese name (as many users' have):
# nothing of the session's own folders or settings.
home="$dir/会計データ/home"
mkdir -p "$home" "$dir/xdg" "$dir/out" "$shots"
chmod 700 "$dir/xdg"
rm -f "$shots"/*.png
for v in $(env | sed -n 's/^\(SOLTEA_[A-Z_]*\)=.*/\1/p'); do unset "$v"; done
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME QT_QPA_PLATFORM TEMP
export HOME="$home" XDG_RUNTIME_DIR="$dir/xdg" LANG=C.UTF-8
# No asking the system for its printers (that may reach the network).
export SOLTEA_SYSTEM_PRINTERS=none

# The virtual screen on a free display number, reachable only through its local socket.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
  [ -s "$dir/display" ] && break
  kill -0 "${pids[0]}" 2>/dev/null || break
  sleep 0.1
done
[ -s "$dir/display" ] || skip "the virtual screen did not start: $(cat "$dir/xvfb.log")"
export DISPLAY=":$(head -n 1 "$dir/display")"

# A window manager that focuses on click, as desktops do.
cat >"$HOME/.jwmrc" <<'EOF'
<?xml version="1.0"?>
<JWM>
  <FocusModel>click</FocusModel>
</JWM>
EOF
jwm >"$dir/jwm.log" 2>&1 &
pids+=($!)

# Waits for a shown window whose title matches; prints its id.
window() {
  local title=$1 count=${2:-1} ids
  for _ in $(seq 1 300); do
    ids=$(xdotool search --onlyvisible --name "$title" 2>/dev/null)
    if [ "$(printf '%s\n' "$ids" | grep -c .)" -ge "$count" ]; then
      printf '%s\n' "$ids" | tail -n 1
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# Waits until the window manager has given the window the focus, so that
# keys typed next reach it.
focused() {
  for _ in $(seq 1 300); do
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
gone() {
  for _ in $(seq 1 300); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
shot() {
  sleep 0.4 # let the window paint
  "$screenshot" "$shots/$1.png" || fail "no screenshot $1"
}
key() { xdotool key --delay 120 "$@"; }

wizard='^連結納税のソルテア（平成25年度版 以降） from ドルベル財務（減価償却）$'

"$setup" >"$dir/setup.log" 2>&1 || fail "the demonstration set-up failed: $(cat "$dir/setup.log")"
grep -q "login: operator code 10, empty password" "$dir/setup.log" || fail "the set-up did not say how to log in"

"$program" >"$dir/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)

# The login: its own title and size; Enter goes from the code to the password,
# to OK, and logs in.
login=$(window '^ログイン$') || fail "no login dialog"
focused "$login" || fail "the login dialog did not get the focus"
shot 01-login
size=$(xdotool getwindowgeometry "$login" | sed -n 's/.*Geometry: //p')
[ "$size" != "640x480" ] || fail "the login dialog opened at the default window size"
xdotool type --delay 80 10
key Return Return Return
gone '^ログイン$' || fail "the login did not end"
main=$(window "$wizard") || fail "no wizard"
focused "$main" || fail "the wizard did not get the focus"
shot 02-introduction

# Enter is the next button; on the data page the focus is on the choice button.
key Return
sleep 0.5
shot 03-data-page
key Return
choice=$(window '^データ選択$') || fail "the data-selection screen did not open"
focused "$choice" || fail "the data-selection screen did not get the focus"
shot 04-data-selection
# A double click on the first row chooses it.
xdotool mousemove --window "$choice" 300 90 click --repeat 2 --delay 100 1
gone '^データ選択$' || fail "the data set was not chosen"
focused "$main" || fail "the wizard did not get the focus back"
shot 05-data-chosen

# The file page: the chooser behind 参照, a file that is there already.
echo "an older file" >"$dir/out/RC25.xml"
key alt+n
sleep 0.5
shot 06-file-page
xdotool mousemove --window "$main" 565 58 click 1
chooser=$(window '^中間ﾌｧｲﾙの指定$') || fail "the file chooser did not open"
focused "$chooser" || fail "the file chooser did not get the focus"
shot 07-file-chooser
xdotool type --delay 30 "$dir/out/RC25.xml"
key Return
window '^中間ﾌｧｲﾙの指定$' 2 >/dev/null || fail "no question about the file that is there"
question=$(xdotool search --onlyvisible --name '^中間ﾌｧｲﾙの指定$' | grep -vx "$chooser" | head -n 1)
focused "$question" || fail "the question did not get the focus"
shot 08-replace-question
key alt+y
gone '^中間ﾌｧｲﾙの指定$' || fail "the file chooser did not close"
focused "$main" || fail "the wizard did not get the focus back"

# The summary, and Enter finishes.
key alt+n
sleep 0.5
shot 09-summary
key Return
written=$(window '^情報$') || fail "no report of the written file"
focused "$written" || fail "the report did not get the focus"
shot 10-written
key Return

for _ in $(seq 1 300); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end after the file was written"
wait "$program_pid"
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"

"$compare" "$dir/out/RC25.xml" "$expected" \
  "REPORT/SYSTEM/FUNCTIONID=1" "REPORT/SYSTEM/PROGRAMVER=11.0.0" "REPORT/BASIC/KOMONSAKINAME=サンプル株式会社" ||
  fail "the written file is not the expected one"
echo "the road from the login to the file: done; screenshots in $shots"

#!/usr/bin/env bash
# demo_window_test.sh ROOT BUILD: the windowed demo on a virtual X display (Xvfb). The
# Today screen must come up in a window the size of the handheld's screen and answer
# a stylus tap on its Tasks tab button: the tab is selected (the registry says so) and
# the window's picture changes. Runs on the test device, in a Wine prefix of its own so
# that the shared one stays headless.
set -euo pipefail
root=$1 build=$2
. "$root/tools/wine-env"
device=${OLV_DEVICE:-$build/test-device}
work=$build/demo-window-test
prefix=$build/wine/xvfb
for tool in Xvfb xdotool import compare; do
  command -v $tool >/dev/null || { echo "FAIL: $tool is missing (./dev setup installs it)"; exit 1; }
done
[ -f "$device/Windows/todayhost.exe" ] || { echo "FAIL: no test device at $device"; exit 1; }
rm -rf "$work"; mkdir -p "$work"

fail() { echo "FAIL: $*"; [ ! -s "$work/demo.log" ] || sed 's/^/  demo: /' "$work/demo.log"; exit 1; }

"$root/tools/wine-prefix" clone "$build/wine/template" "$prefix" "$device"
export WINEPREFIX=$prefix WINEDEBUG=-all
"$WINE" regedit /S "Z:$(echo "$build/device.reg" | tr / '\\')" >/dev/null 2>&1

# A display number nobody uses.
n=90
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 800x700x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
demo=
cleanup() {
  # The demo switches its prefix back to headless as it ends, which needs the
  # display still up: end its Wine programs, let it finish, and only then stop X.
  if [ -n "$demo" ]; then
    kill "$demo" 2>/dev/null || true
    WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null || true
    timeout 60 tail --pid="$demo" -f /dev/null 2>/dev/null || true
  fi
  WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=:$n
# until_ok COMMAND...: retried every half second for up to a minute
until_ok() { local i; for i in $(seq 120); do "$@" && return 0; sleep 0.5; done; return 1; }
until_ok xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb did not start on :$n"

"$root/tools/demo-window" 240x320 >"$work/demo.log" 2>&1 &
demo=$!
wid=
find_window() { wid=$(xdotool search --name '^Device - Wine desktop$' 2>/dev/null | head -1); [ -n "$wid" ]; }
until_ok find_window || fail "no window named 'Device - Wine desktop' appeared"
geometry=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p')
[ "$geometry" = 240x320 ] || fail "the window is $geometry, not the handheld's 240x320"

snap() { import -window "$wid" "$1" 2>/dev/null; }
# The item is up once its tab column shows the tab buttons: more than a few colours
# in the first button's cell (left column, below the 26-pixel navigation band).
colours() { convert "$1" -crop 26x23+0+26 +repage -unique-colors -format '%w' info: 2>/dev/null || echo 0; }
item_drawn() { snap "$work/before.png" && [ "$(colours "$work/before.png")" -gt 4 ]; }
until_ok item_drawn || fail "the Today item was never drawn in the window"

active_tab() {
  "$WINE" reg query 'HKCU\Software\Olvane\Daybrim' /v ActiveTab 2>/dev/null | tr -d '\r' |
    sed -n 's/.*REG_DWORD[[:space:]]*0x\([0-9a-f]*\).*/\1/p'
}
# The Tasks button is the second in the column, 23 pixels below the first.
xdotool mousemove --window "$wid" 13 60 click 1
tasks_selected() { [ "$(active_tab)" = 2 ]; }
until_ok tasks_selected || fail "a tap on the Tasks button did not select the Tasks tab (ActiveTab: $(active_tab))"
changed() {
  snap "$work/after.png" || return 1
  local d
  d=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)
  [ "${d%%.*}" -gt 200 ] 2>/dev/null
}
until_ok changed || fail "the window's picture did not change after the tap"
echo "PASS: the Today screen came up in a 240x320 window and a tap selected the Tasks tab"

#!/usr/bin/env bash
# The Notes tab on the Today screen of the test device at 240x320 and 480x640:
# a folder of notes and a storage card's document show as rows (the list differs
# from the same screen with an empty folder) and the search bar under the list
# shows. Screenshots go to SNAP_DIR.
# usage: notes_screen_test.sh WINE_EMU PYTHON SNAP_DIR
set -u
emu=$1 py=$2 snaps=$3
here=$(cd "$(dirname "$0")" && pwd)

skip() { echo "SKIP: $*"; exit 0; }
fail() { echo "FAIL: $*"; exit 1; }

prefix=${OLV_WINEPREFIX:-}
[ -n "$prefix" ] || skip "no device prefix (run through ./dev test)"
dev=$(readlink -f "$prefix/dosdevices/d:" 2>/dev/null) || true
[ -n "$dev" ] && [ -f "$dev/Windows/todayhost.exe" ] || skip "no test device at D:"
mkdir -p "$snaps"

folder="$dev/My Documents/NotesScreen"
card="$dev/Storage Card"
reg() { "$emu" reg.exe "$@" >/dev/null 2>&1; }
cleanup() {
  rm -rf "$folder" "$card/NotesScreen"
  reg delete 'HKCU\Software\Olvane\Daybrim\Notes\Folders' /f
  reg delete 'HKCU\Software\Olvane\Daybrim' /v ActiveTab /f
  reg delete 'HKCU\Software\Olvane\Daybrim\Notes' /v NotesActiveSearchBar /f
  reg delete 'HKLM\Software\CeSim\StorageCards' /v 'Storage Card' /f
}
trap cleanup EXIT

host() { "$emu" "$dev/Windows/todayhost.exe" "$@" >/dev/null 2>&1 </dev/null; }
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
differ() { "$py" "$here/png_region.py" "$@"; }
list_box() { local s=$1; echo 0 $((50 * s)) $((226 * s)) $((150 * s)); }

rm -rf "$folder"; mkdir -p "$folder"
reg add 'HKCU\Software\Olvane\Daybrim\Notes\Folders' /v 1 /t REG_SZ /d '\My Documents\NotesScreen' /f \
  || fail "configuring the notes folder"
reg add 'HKCU\Software\Olvane\Daybrim' /v ActiveTab /t REG_DWORD /d 3 /f || fail "choosing the Notes tab"

for size in 240x320 480x640; do
  host --size "$size" --settle 1500 --snap "$(winpath "$snaps/empty-$size.png")" || fail "todayhost ($size)"
done

mkdir -p "$folder/Work" "$card/NotesScreen"
printf 'milk\r\nbread\r\n' >"$folder/groceries.txt"
printf 'ink' >"$folder/Work/minutes.pwi"
printf 'cells' >"$folder/Work/budget.xls"
printf 'recording' >"$folder/Work/call.wav"
printf 'document' >"$card/NotesScreen/trip.doc"
reg add 'HKLM\Software\CeSim\StorageCards' /v 'Storage Card' /t REG_DWORD /d 1 /f || fail "inserting the card"

for size in 240x320 480x640; do
  s=1; [ "$size" = 480x640 ] && s=2
  full=$snaps/notes-$size.png
  host --size "$size" --settle 1500 --snap "$(winpath "$full")" || fail "todayhost ($size)"
  [ -f "$full" ] || fail "no screenshot $full"
  n=$(differ "$snaps/empty-$size.png" "$full" $(list_box $s)) || fail "comparing $full"
  [ "$n" -gt $((150 * s * s)) ] || fail "$size: the notes' rows do not show ($n pixels changed)"
  echo "$size: $n pixels of rows"
done

# The search bar under the list: the same screen without it differs at its place.
nkey='HKCU\Software\Olvane\Daybrim\Notes'
reg add "$nkey" /v NotesActiveSearchBar /t REG_DWORD /d 0 /f || fail "hiding the search bar"
nobar=$snaps/nobar-240x320.png
host --size 240x320 --settle 1500 --snap "$(winpath "$nobar")" || fail "todayhost (no bar)"
reg delete "$nkey" /v NotesActiveSearchBar /f
# The lowest row, left of the scroll bar, where the two screens differ: the bar's foot.
foot=$("$py" - "$nobar" "$snaps/notes-240x320.png" "$here" <<'PY'
import sys
sys.path.insert(0, sys.argv[3])
from png_region import read_png
a, b = read_png(sys.argv[1]), read_png(sys.argv[2])
foot = -1
for y in range(a[1] // 3, a[1]):
    ra, rb = a[3][y], b[3][y]
    if any(abs(ra[x * a[2] + k] - rb[x * b[2] + k]) > 24 for x in range(0, 200) for k in range(3)):
        foot = y
print(foot)
PY
) || fail "finding the search bar"
[ "$foot" -gt 150 ] || fail "the search bar does not show (lowest changed row $foot)"
echo "search bar ends at y=$foot"

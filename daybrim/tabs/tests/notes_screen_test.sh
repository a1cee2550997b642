#!/usr/bin/env bash
# The Notes tab on the Today screen of the test device at 240x320 and 480x640:
# a folder of notes and a storage card's document show as rows (the list differs
# from the same screen with an empty folder) and the search bar under the list
# shows, and a pen tap on its first key narrows the rows. Screenshots go to SNAP_DIR.
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
# The lowest row, left of the scroll bar, where the two screens differ: the bar's
# foot; and the leftmost column there: the bar's left end, where its first key is.
read -r foot left < <("$py" - "$nobar" "$snaps/notes-240x320.png" "$here" <<'PY'
import sys
sys.path.insert(0, sys.argv[3])
from png_region import read_png
a, b = read_png(sys.argv[1]), read_png(sys.argv[2])
def differs(y, x):
    ra, rb = a[3][y], b[3][y]
    return any(abs(ra[x * a[2] + k] - rb[x * b[2] + k]) > 24 for k in range(3))
foot = -1
for y in range(a[1] // 3, a[1]):
    if any(differs(y, x) for x in range(0, 200)):
        foot = y
left = -1
if foot > 0:
    cols = [x for x in range(0, 200) if differs(foot - 4, x)]
    left = cols[0] if cols else -1
print(foot, left)
PY
) || fail "finding the search bar"
[ "${foot:--1}" -gt 150 ] || fail "the search bar does not show (lowest changed row $foot)"
echo "search bar ends at y=$foot, starts at x=$left"

# A pen tap on the bar's first key ("abc") narrows the rows to the names holding
# one of its letters: the list changes, and still differs from the empty folder.
[ "${left:--1}" -ge 0 ] || fail "the search bar's left end is not found"
script=$snaps/search.txt
before=$snaps/search-before.png after=$snaps/search-after.png
rm -f "$before" "$after"
cat >"$script" <<SCRIPT
wait 1500
snap $(winpath "$before")
tap $((left + 8)) $((foot - 7))
wait 800
snap $(winpath "$after")
quit
SCRIPT
host --size 240x320 --script "$(winpath "$script")" || fail "todayhost (search tap)"
[ -f "$before" ] && [ -f "$after" ] || fail "no screenshots of the search"
n=$(differ "$before" "$after" $(list_box 1)) || fail "comparing the search"
[ "$n" -gt 150 ] || fail "the tap on the search key did not narrow the rows ($n pixels changed)"
n=$(differ "$snaps/empty-240x320.png" "$after" $(list_box 1)) || fail "comparing the search"
[ "$n" -gt 150 ] || fail "the search left no rows ($n pixels of rows)"
echo "search key: rows narrowed"

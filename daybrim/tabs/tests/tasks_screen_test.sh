#!/usr/bin/env bash
# The Tasks tab on the Today screen with the test device's tasks.
#   screens:  both default skins at 240x320 and 480x640; the tasks' groups and rows
#             show (the list differs from the same screen without tasks).
#   complete: a tap on the first task's note mark shows its note in the note
#             window; a tap on its check box completes it in the store (as the
#             device tool lists it) and the running tab moves it to its new group.
# Screenshots go to SNAP_DIR to look at.
# usage: tasks_screen_test.sh screens|complete DEVCTL WINE_EMU PYTHON SNAP_DIR
set -u
mode=$1 devctl=$2 emu=$3 py=$4 snaps=$5
here=$(cd "$(dirname "$0")" && pwd)

skip() { echo "SKIP: $*"; exit 0; }
fail() { echo "FAIL: $*"; exit 1; }

[ -x "$devctl" ] || skip "devctl is not built at $devctl (build the native tree, e.g. ./dev build)"
prefix=${OLV_WINEPREFIX:-}
[ -n "$prefix" ] || skip "no device prefix (run through ./dev test)"
dev=$(readlink -f "$prefix/dosdevices/d:" 2>/dev/null) || true
[ -n "$dev" ] && [ -f "$dev/pim.vol" ] && [ -f "$dev/Windows/todayhost.exe" ] || skip "no test device at D:"
mkdir -p "$snaps"

key='HKCU\Software\Olvane\Daybrim'
added=()
cleanup() {
  for oid in "${added[@]}"; do "$devctl" --device "$dev" delete 'Tasks Database' "$oid" >/dev/null 2>&1; done
  "$emu" reg.exe delete "$key" /v SkinPath /f >/dev/null 2>&1
  "$emu" reg.exe delete "$key" /v ActiveTab /f >/dev/null 2>&1
  "$emu" reg.exe delete "$key\\Tasks" /v ConfirmTaskCompleteTsks /f >/dev/null 2>&1
  "$emu" reg.exe delete "$key\\Tasks" /v TsksGrouping /f >/dev/null 2>&1
}
trap cleanup EXIT

# The test device lives on Monday 2026-12-07 at 09:30. Not run in a subshell, so
# that the cleanup knows every task added; the new record's oid is in $oid.
oid=
add() {
  oid=$("$devctl" --device "$dev" add 'Tasks Database' "$1") || fail "devctl add $1"
  added+=("$oid")
}
reg_dword() {
  "$emu" reg.exe add "$1" /v "$2" /t REG_DWORD /d "$3" /f >/dev/null 2>&1 || fail "setting $2"
}
skin() {
  "$emu" reg.exe add "$key" /v SkinPath /t REG_SZ \
    /d "\\Program Files\\Olvane\\Daybrim\\Skins\\$1\\" /f >/dev/null 2>&1 || fail "setting the skin $1"
}
host() { "$emu" "$dev/Windows/todayhost.exe" "$@" >/dev/null 2>&1 </dev/null; }
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
differ() { "$py" "$here/png_region.py" "$@"; }

# The tab's list: below the navigation band (26) and the tab row (22), the
# item's first 100 rows.
list_box() { local s=$1; echo 0 $((50 * s)) $((226 * s)) $((150 * s)); }

# The Tasks tab is the second of the default tabs.
reg_dword "$key" ActiveTab 2

if [ "$mode" = screens ]; then
  for size in 240x320 480x640; do
    for sk in default dark; do
      skin "$sk"
      host --size "$size" --settle 1500 --snap "$(winpath "$snaps/empty-$sk-$size.png")" || fail "todayhost ($sk, $size)"
    done
  done
  add '{"subject": "Pay the invoice", "due": "2026-12-07", "importance": "high"}'
  add '{"subject": "Renew passport", "due": "2026-12-03"}'
  add '{"subject": "Book flights", "start": "2026-12-08", "due": "2026-12-10", "sensitivity": "private"}'
  add '{"subject": "Read the manual", "importance": "low"}'
  add '{"subject": "Water plants", "due": "2026-12-07", "complete": true, "completed": "2026-12-07"}'
  for size in 240x320 480x640; do
    s=1; [ "$size" = 480x640 ] && s=2
    for sk in default dark; do
      skin "$sk"
      full=$snaps/tasks-$sk-$size.png
      host --size "$size" --settle 1500 --snap "$(winpath "$full")" || fail "todayhost ($sk, $size)"
      [ -f "$full" ] || fail "no screenshot $full"
      n=$(differ "$snaps/empty-$sk-$size.png" "$full" $(list_box $s)) || fail "comparing $full"
      [ "$n" -gt $((300 * s * s)) ] || fail "$sk $size: the tasks' rows do not show ($n pixels changed)"
      echo "$sk $size: $n pixels of rows"
    done
  done
  exit 0
fi

[ "$mode" = complete ] || fail "unknown mode $mode"
skin default
reg_dword "$key\\Tasks" ConfirmTaskCompleteTsks 0
# Grouped by status: the completed task leaves the active group for the completed one.
reg_dword "$key\\Tasks" TsksGrouping 14
add '{"subject": "Book flights", "due": "2026-12-10"}'
add '{"subject": "Pay the invoice", "due": "2026-12-07", "notes": "Account 4471 by Friday"}'

completed() {
  "$devctl" --device "$dev" list 'Tasks Database' |
    "$py" -c 'import json, sys
oid = int(sys.argv[1])
for line in sys.stdin:
    r = json.loads(line)
    if int(r["oid"]) != oid:
        continue
    v = [p["value"] for p in r["props"] if int(str(p["id"]), 0) == 0x1065000B]
    print("yes" if v and v[0] in (True, 1, "true") else "no")' "$oid"
}
[ "$(completed)" = no ] || fail "the task is completed before the tap"

# The first task's check box: the row under the "Active" title, at the start of
# the row (a task list keeps no time column before it).
script=$snaps/complete.txt
before=$snaps/complete-before.png after=$snaps/complete-after.png
rm -f "$before" "$after"
cat >"$script" <<SCRIPT
wait 1500
snap $(winpath "$before")
tap ${NOTE_X:-157} ${TAP_Y:-72}
wait 300
windows
tap ${TAP_X:-33} ${TAP_Y:-72}
wait 2500
poll
snap $(winpath "$after")
quit
SCRIPT
log=$dev/Windows/devicelog.jsonl
lines=$(wc -l <"$log" 2>/dev/null || echo 0)
host --size 240x320 --script "$(winpath "$script")" || fail "todayhost exited with $?"
[ -f "$before" ] && [ -f "$after" ] || fail "no screenshots"
note=$(tail -n +"$((lines + 1))" "$log" | grep '"event":"window"' | grep '"class":"DRNoteWindow"')
echo "$note" | grep -qF '"title":"Pay the invoice"' && echo "$note" | grep -qF '"children":"Account 4471 by Friday"' ||
  fail "the note mark did not show the task's note: $note"
echo "the note mark showed the task's note"
[ "$(completed)" = yes ] || fail "the tap did not complete the task in the store"
n=$(differ "$before" "$after" $(list_box 1)) || fail "comparing"
[ "$n" -gt 150 ] || fail "the tab did not follow the store ($n pixels changed)"
echo "completed in the store; the tab regrouped it ($n pixels changed)"

#!/usr/bin/env bash
# The Calendar tab on the Today screen with the test device's agenda.
#   screens: both default skins at 240x320 and 480x640; the agenda's rows show
#            (the list differs from the same screen with an empty agenda).
#   live:    the running item shows an appointment the device tool adds within
#            one poll, and loses it again when the tool deletes it.
#   menu:    tap-and-hold on an appointment shows its menu, prepared for it, and a
#            busy status chosen there reaches the record in the store.
#   drag:    an occurrence dragged onto a day of the pinned calendar becomes an
#            exception on that day, in the store and in the agenda; dropped in
#            copy mode it becomes a new appointment and the series keeps it.
#   note:    a tap on an appointment's note mark shows its note in the note
#            window beside the tap; one on a changed occurrence's mark shows the
#            occurrence's own note in the same window.
# Screenshots go to SNAP_DIR to look at.
# usage: calendar_screen_test.sh screens|live|menu|drag|note DEVCTL WINE_EMU PYTHON SNAP_DIR
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

added=()
cleanup() {
  for oid in "${added[@]}"; do "$devctl" --device "$dev" delete 'Appointments Database' "$oid" >/dev/null 2>&1; done
  "$emu" reg.exe delete 'HKCU\Software\Olvane\Daybrim' /v SkinPath /f >/dev/null 2>&1
  "$emu" reg.exe delete 'HKCU\Software\Olvane\Daybrim\Calendar' /v PinnedMonthlyClr /f >/dev/null 2>&1
}
trap cleanup EXIT

# The test device lives on Monday 2026-12-07 at 09:30.
add() {
  local oid
  oid=$("$devctl" --device "$dev" add 'Appointments Database' "$1") || fail "devctl add $1"
  added+=("$oid")
  echo "$oid"
}
skin() {
  "$emu" reg.exe add 'HKCU\Software\Olvane\Daybrim' /v SkinPath /t REG_SZ \
    /d "\\Program Files\\Olvane\\Daybrim\\Skins\\$1\\" /f >/dev/null 2>&1 || fail "setting the skin $1"
}
pinned() {
  if [ "$1" = 1 ]; then
    "$emu" reg.exe add 'HKCU\Software\Olvane\Daybrim\Calendar' /v PinnedMonthlyClr /t REG_DWORD /d 1 /f >/dev/null 2>&1 ||
      fail "switching the pinned calendar on"
  else
    "$emu" reg.exe delete 'HKCU\Software\Olvane\Daybrim\Calendar' /v PinnedMonthlyClr /f >/dev/null 2>&1
  fi
}
# One property of one record as devctl lists it.
prop() { "$devctl" --device "$dev" list "$1" | grep "\"oid\":$2," | grep -o "\"$3\",\"type\":\"[A-Z0-9]*\",\"value\":[^}]*" | sed 's/.*"value"://'; }
host() { "$emu" "$dev/Windows/todayhost.exe" "$@" >/dev/null 2>&1 </dev/null; }
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
differ() { "$py" "$here/png_region.py" "$@"; }
# Where the note marks of the first two rows under today's title are drawn.
NOTE1=${NOTE1:-164 70} NOTE2=${NOTE2:-166 84}

# The Calendar's list: below the navigation band (26) and the tab row (22), the
# item's first 100 rows.
list_box() { local s=$1; echo 0 $((50 * s)) $((226 * s)) $((150 * s)); }

if [ "$mode" = screens ]; then
  for size in 240x320 480x640; do
    s=1; [ "$size" = 480x640 ] && s=2
    for sk in default dark; do
      skin "$sk"
      host --size "$size" --settle 1500 --snap "$(winpath "$snaps/empty-$sk-$size.png")" || fail "todayhost ($sk, $size)"
    done
  done
  add '{"subject": "Design review", "start": "2026-12-07T11:00", "duration": 60, "busy": "busy", "location": "Room 4"}' >/dev/null
  add '{"subject": "Dentist", "start": "2026-12-07T14:30", "duration": 45, "busy": "tentative"}' >/dev/null
  add '{"subject": "Team lunch", "start": "2026-12-08T12:00", "duration": 90}' >/dev/null
  add '{"subject": "Conference", "start": "2026-12-09", "all_day": true, "duration": 2880}' >/dev/null
  for size in 240x320 480x640; do
    s=1; [ "$size" = 480x640 ] && s=2
    for sk in default dark; do
      skin "$sk"
      full=$snaps/calendar-$sk-$size.png
      host --size "$size" --settle 1500 --snap "$(winpath "$full")" || fail "todayhost ($sk, $size)"
      [ -f "$full" ] || fail "no screenshot $full"
      n=$(differ "$snaps/empty-$sk-$size.png" "$full" $(list_box $s)) || fail "comparing $full"
      [ "$n" -gt $((150 * s * s)) ] || fail "$sk $size: the agenda's rows do not show ($n pixels changed)"
      echo "$sk $size: $n pixels of rows"
    done
    # The monthly calendar pinned under the list: the bottom of the item changes.
    skin default
    pinned 1
    with=$snaps/calendar-pinned-$size.png
    host --size "$size" --settle 1500 --snap "$(winpath "$with")" || fail "todayhost (pinned, $size)"
    pinned 0
    [ -f "$with" ] || fail "no screenshot $with"
    n=$(differ "$snaps/calendar-default-$size.png" "$with" 0 $((150 * s)) $((240 * s)) $((230 * s))) || fail "comparing $with"
    [ "$n" -gt $((500 * s * s)) ] || fail "$size: the pinned calendar does not show ($n pixels changed)"
    echo "pinned $size: $n pixels of calendar"
  done
  exit 0
fi

if [ "$mode" = menu ]; then
  skin default
  add '{"subject": "Design review", "start": "2026-12-07T11:00", "duration": 60, "busy": "busy"}' >/dev/null
  log=$dev/Windows/devicelog.jsonl
  before=$(wc -l <"$log" 2>/dev/null || echo 0)
  script=$snaps/menu.txt
  # The first row under the day title, at the top of the list.
  cat >"$script" <<SCRIPT
wait 1500
menu cancel
hold 120 70
wait 500
quit
SCRIPT
  host --size 240x320 --script "$(winpath "$script")" || fail "todayhost"
  menu=$(tail -n +"$((before + 1))" "$log" | grep '"source":"menu"' | grep '"program":"todayhost.exe"' | tail -1)
  [ -n "$menu" ] || fail "tap-and-hold on the appointment showed no menu"
  for want in 'Busy status/Busy' 'Mark as done' 'More/Private' 'New appointment'; do
    echo "$menu" | grep -qF "$want" || fail "the appointment's menu lacks $want: $menu"
  done
  # Not done yet: only "mark as done"; no extension applies: no empty extensions entry.
  for unwanted in 'Mark as not done' 'Tools'; do
    echo "$menu" | grep -qF "$unwanted" && fail "the appointment's menu has $unwanted: $menu"
  done
  echo "tap-and-hold showed the appointment's menu"
  # Out of office from the same menu: the record has it afterwards.
  oid=${added[0]}
  [ "$(prop 'Appointments Database' "$oid" 0x00450013)" = 2 ] || fail "the appointment is not busy to start with"
  cat >"$script" <<SCRIPT
wait 1500
menu id 40176
hold 120 70
wait 500
quit
SCRIPT
  host --size 240x320 --script "$(winpath "$script")" || fail "todayhost"
  got=$(prop 'Appointments Database' "$oid" 0x00450013)
  [ "$got" = 3 ] || fail "out of office chosen in the menu did not reach the record (busy status $got)"
  echo "the busy status chosen in the menu is in the store"
  exit 0
fi

if [ "$mode" = drag ]; then
  skin default
  pinned 1
  # A daily series from today: its first occurrence is the first row under today.
  printf '%s\n' '{"appointments": [{"subject": "Daily sync", "start": "2026-12-07T18:00", "duration": 30,' \
    '  "recurrence": {"type": "daily", "count": 5}}]}' >"$snaps/drag.json"
  "$devctl" --device "$dev" load "$snaps/drag.json" >/dev/null || fail "devctl load"
  oid=$("$devctl" --device "$dev" list 'Appointments Database' | grep 'Daily sync' | grep -o '^{"oid":[0-9]*' | grep -o '[0-9]*$')
  [ -n "$oid" ] || fail "no series to drag"
  added+=("$oid")
  before=$(prop 'Appointments Database' "$oid" 0x203F0064)
  script=$snaps/drag.txt
  # The pinned calendar's "move" button (fourth in its side column), then the row
  # onto Saturday the 12th of its grid.
  cat >"$script" <<SCRIPT
wait 1500
tap 228 258
wait 200
drag 120 70 205 236
wait 500
snap $(winpath "$snaps/drag-after.png")
quit
SCRIPT
  host --size 240x320 --script "$(winpath "$script")" || fail "todayhost"
  [ "$("$devctl" --device "$dev" list 'Appointments Database' | grep -c 'Daily sync')" = 1 ] ||
    fail "the drag made another record instead of moving the occurrence"
  after=$(prop 'Appointments Database' "$oid" 0x203F0064)
  [ -n "$after" ] && [ "$after" != "$before" ] || fail "the series' pattern did not change"
  # The agenda: the occurrence left today for Saturday, where the series has none.
  agenda=$(dirname "$snaps")/agenda.exe
  "$emu" "$agenda" --from 2026-12-07 --days 7 2>/dev/null </dev/null | tr -d '\r' >"$snaps/drag-agenda.txt" ||
    fail "agenda exited with $?"
  days=$(awk '/^== /{day=$0} /Daily sync/{print day}' "$snaps/drag-agenda.txt" | sort | uniq -c)
  echo "$days" | grep -q 'Dec 12' || fail "the moved occurrence is not on Dec 12: $days"
  echo "$days" | grep -qi 'today' && fail "the occurrence is still on today: $days"
  [ "$(awk '/Daily sync/' "$snaps/drag-agenda.txt" | wc -l)" = 5 ] || fail "the series lost or gained occurrences: $days"
  echo "the dragged occurrence moved to Dec 12 as an exception"

  # Copy mode (the fifth button): the same drag leaves the series alone and
  # makes a single appointment like the occurrence on Saturday.
  "$devctl" --device "$dev" delete 'Appointments Database' "$oid" >/dev/null || fail "devctl delete"
  added=()
  sed 's/Daily sync/Daily copy/' "$snaps/drag.json" >"$snaps/copy.json"
  "$devctl" --device "$dev" load "$snaps/copy.json" >/dev/null || fail "devctl load"
  copies() { "$devctl" --device "$dev" list 'Appointments Database' | grep 'Daily copy' | grep -o '^{"oid":[0-9]*' | grep -o '[0-9]*$'; }
  oid=$(copies)
  [ -n "$oid" ] || fail "no series to copy"
  added+=("$oid")
  before=$(prop 'Appointments Database' "$oid" 0x203F0064)
  sed -e 's/^tap 228 258$/tap 228 275/' -e "s/drag-after/copy-after/" "$script" >"$snaps/copy.txt"
  host --size 240x320 --script "$(winpath "$snaps/copy.txt")" || fail "todayhost"
  for o in $(copies); do [ "$o" = "$oid" ] || added+=("$o"); done
  [ "${#added[@]}" = 2 ] || fail "the copy drop did not make exactly one new record (${#added[@]} in all)"
  [ "$(prop 'Appointments Database' "$oid" 0x203F0064)" = "$before" ] || fail "the copy drop changed the series"
  [ "$(prop 'Appointments Database' "${added[1]}" 0x0022000B)" != 1 ] || fail "the copy is a series of its own"
  "$emu" "$agenda" --from 2026-12-07 --days 7 2>/dev/null </dev/null | tr -d '\r' >"$snaps/copy-agenda.txt" ||
    fail "agenda exited with $?"
  days=$(awk '/^== /{day=$0} /Daily copy/{print day}' "$snaps/copy-agenda.txt" | sort | uniq -c)
  echo "$days" | grep -q 'Dec 12' || fail "the copy is not on Dec 12: $days"
  echo "$days" | grep -qi 'today' || fail "the series lost today's occurrence: $days"
  [ "$(awk '/Daily copy/' "$snaps/copy-agenda.txt" | wc -l)" = 6 ] || fail "not the series and one copy: $days"
  echo "the occurrence dropped in copy mode became a new appointment on Dec 12"
  exit 0
fi

if [ "$mode" = note ]; then
  skin default
  # The first row under today's title, with a note; then a daily series whose
  # occurrence today was changed and given a note of its own.
  add '{"subject": "Design review", "start": "2026-12-07T11:00", "duration": 60, "notes": "Bring the signed contract\nand the budget"}' >/dev/null
  printf '%s\n' '{"appointments": [{"subject": "Daily sync", "start": "2026-12-07T18:00", "duration": 30,' \
    '  "notes": "Series agenda", "recurrence": {"type": "daily", "count": 5,' \
    '  "modified": [{"date": "2026-12-07", "start": "2026-12-07T18:30", "notes": "Own occurrence note"}]}}]}' \
    >"$snaps/note.json"
  "$devctl" --device "$dev" load "$snaps/note.json" >/dev/null || fail "devctl load"
  oid=$("$devctl" --device "$dev" list 'Appointments Database' | grep 'Daily sync' | grep -o '^{"oid":[0-9]*' | grep -o '[0-9]*$')
  [ -n "$oid" ] || fail "no series"
  added+=("$oid")
  log=$dev/Windows/devicelog.jsonl
  before=$(wc -l <"$log" 2>/dev/null || echo 0)
  script=$snaps/note.txt
  cat >"$script" <<SCRIPT
wait 1500
snap $(winpath "$snaps/note-before.png")
tap $NOTE1
wait 300
windows
snap $(winpath "$snaps/note-first.png")
tap $NOTE2
wait 300
windows
snap $(winpath "$snaps/note-second.png")
quit
SCRIPT
  host --size 240x320 --script "$(winpath "$script")" || fail "todayhost"
  # One note window in each listing: the appointment's, then, refilled, the
  # occurrence's own (the series' note would be wrong there).
  notes=$(tail -n +"$((before + 1))" "$log" | grep '"event":"window"' | grep '"class":"DRNoteWindow"')
  [ "$(echo "$notes" | grep -c .)" = 2 ] || fail "not one note window after each tap: $notes"
  first=$(echo "$notes" | sed -n 1p) second=$(echo "$notes" | sed -n 2p)
  echo "$first" | grep -qF '"title":"Design review"' || fail "the first note window is not the appointment's: $first"
  echo "$first" | grep -qF 'Bring the signed contract\u000d\u000aand the budget' ||
    fail "the appointment's note is not in its window: $first"
  echo "$second" | grep -qF '"title":"Daily sync"' || fail "the second tap did not show the occurrence's note: $second"
  echo "$second" | grep -qF 'Own occurrence note' || fail "the occurrence's own note is not shown: $second"
  echo "$second" | grep -qF 'Series agenda' && fail "the occurrence shows the series' note: $second"
  # Beside the tap and inside the list (right of the tab column, below the tab row).
  num() { echo "$1" | grep -o "\"$2\":-*[0-9]*" | grep -o -- '-*[0-9]*$'; }
  l=$(num "$first" left) t=$(num "$first" top) r=$(num "$first" right) b=$(num "$first" bottom)
  [ "$((r - l))" = 200 ] && [ "$((b - t))" = 130 ] || fail "the note window is not 200 x 130: $l,$t-$r,$b"
  [ "$l" -ge 26 ] && [ "$r" -le 240 ] && [ "$t" -ge 50 ] && [ "$b" -le 320 ] && [ "$t" -le 70 ] ||
    fail "the note window is not beside the tap inside the list: $l,$t-$r,$b"
  echo "the note marks showed the appointment's and the occurrence's notes in one window"
  exit 0
fi

[ "$mode" = live ] || fail "unknown mode $mode"
skin default
script=$snaps/live.txt
before=$snaps/live-before.png after=$snaps/live-added.png gone=$snaps/live-deleted.png
rm -f "$before" "$after" "$gone"
# One poll after each change: the notification is handled as it comes, the poll
# lets the Today screen repaint the band.
cat >"$script" <<SCRIPT
wait 1500
snap $(winpath "$before")
wait 2500
poll
snap $(winpath "$after")
wait 2500
poll
snap $(winpath "$gone")
quit
SCRIPT
host --size 240x320 --script "$(winpath "$script")" &
pid=$!
waitfor() {
  local i
  for i in $(seq 300); do [ -f "$1" ] && return 0; kill -0 "$pid" 2>/dev/null || return 1; sleep 0.05; done
  return 1
}
waitfor "$before" || fail "the Today screen did not start"
oid=$(add '{"subject": "Budget call", "start": "2026-12-07T16:00", "duration": 30, "busy": "busy"}')
waitfor "$after" || fail "no screenshot after the add"
"$devctl" --device "$dev" delete 'Appointments Database' "$oid" >/dev/null || fail "devctl delete"
added=()
waitfor "$gone" || fail "no screenshot after the delete"
wait "$pid" || fail "todayhost exited with $?"
n=$(differ "$before" "$after" $(list_box 1)) || fail "comparing"
[ "$n" -gt 150 ] || fail "the added appointment does not show after one poll ($n pixels changed)"
m=$(differ "$before" "$gone" $(list_box 1)) || fail "comparing"
[ "$m" -lt 20 ] || fail "the deleted appointment still shows ($m pixels differ from before)"
echo "added: $n pixels changed; deleted: back to the start ($m)"

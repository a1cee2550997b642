#!/usr/bin/env bash
# devctl end to end on a scratch device folder: init, load (good and bad), list,
# add/set/delete from outside, and imports of calendar and address-book files.
# usage: cli_test.sh DEVCTL SOURCE_DIR WORK_DIR
set -u
DEVCTL=$1
SRC=$2
WORK=$3
rm -rf "$WORK"
mkdir -p "$WORK"
DEV="$WORK/device"
mkdir -p "$DEV"
passed=0
failed=0

ok() { passed=$((passed + 1)); echo "ok: $1"; }
bad() { failed=$((failed + 1)); echo "FAILED: $1"; }
dc() { "$DEVCTL" --device "$DEV" "$@"; }
count() { dc list "$1" 2>/dev/null | wc -l; }
expect_eq() { if [ "$2" = "$3" ]; then ok "$1"; else bad "$1: expected '$3', got '$2'"; fi; }
expect_has() { if grep -qF -- "$3" <<<"$2"; then ok "$1"; else bad "$1: '$3' not in: $2"; fi; }

# A bad fixture on an empty device: clear error with its place, no volume created.
cat >"$WORK/bad.json" <<'JSON'
{"categories": ["Work"],
 "tasks": [{"subject": "fine"}, {"subject": "broken", "due": "2026-13-01"}]}
JSON
err=$(dc load "$WORK/bad.json" 2>&1); rc=$?
expect_eq "bad fixture exits 1" "$rc" 1
expect_has "bad fixture names the place" "$err" '$.tasks[1].due: expected a date'
expect_eq "bad fixture writes nothing" "$(ls "$DEV" | wc -l)" 0

err=$(dc load "$WORK/missing.json" 2>&1); rc=$?
expect_eq "missing fixture exits 1" "$rc" 1
printf '{"tasks": [\n  {"subject": "a",}\n]}\n' >"$WORK/syntax.json"
err=$(dc load "$WORK/syntax.json" 2>&1)
expect_has "syntax error gives line:column" "$err" "syntax.json:2:"

dc init 2>/dev/null
expect_eq "init creates both volumes" "$(ls "$DEV" | sort | tr '\n' ' ')" "FusionLinks.vol pim.vol "
expect_eq "new databases are empty" "$(count 'Contacts Database')" 0
dc init 2>/dev/null; expect_eq "init again is harmless" "$?" 0

dc load "$SRC/demo/demo.json" 2>/dev/null
expect_eq "demo contacts" "$(count 'Contacts Database')" 60
expect_eq "demo categories" "$(count CategoryMainDB)" 8
expect_eq "demo fusion links (own volume)" "$(count FusionLinks)" 1
appts=$(count 'Appointments Database')
tasks=$(count 'Tasks Database')
expect_has "text survives as UTF-8" "$(dc list 'Contacts Database')" '"value":"Παπαδόπουλος"'
expect_has "dates list as UTC" "$(dc list 'Appointments Database')" '"value":"2026-12-07T09:00:00Z"'

# Loading the same fixture again clashes on its record ids: refused whole.
err=$(dc load "$SRC/demo/demo.json" 2>&1); rc=$?
expect_eq "reload is refused" "$rc" 1
expect_has "reload names the clash" "$err" "is already in the store"
expect_eq "reload wrote nothing" "$(count 'Tasks Database')" "$tasks"

# Changes from outside.
oid=$(dc add 'Tasks Database' '{"subject": "From outside", "due": "2026-12-09", "importance": "high"}' 2>&1)
if [[ "$oid" =~ ^[0-9]+$ ]]; then ok "add prints the oid"; else bad "add prints the oid: $oid"; fi
line=$(dc list 'Tasks Database' | grep "\"oid\":$oid,")
expect_has "added task has its subject" "$line" '"value":"From outside"'
expect_has "added task got a free RECID" "$line" '{"id":"0x10000066","type":"RECID","value":24}'
dc set 'Tasks Database' "$oid" '{"complete": true, "0x101F001F": "note", "importance": null}' >/dev/null
line=$(dc list 'Tasks Database' | grep "\"oid\":$oid,")
expect_has "set changes a property" "$line" '{"id":"0x1065000B","type":"BOOL","value":true}'
expect_has "set adds by raw id" "$line" '"value":"note"'
if grep -q 0x00600013 <<<"$line"; then bad "set null removes"; else ok "set null removes"; fi
err=$(dc set 'Contacts Database' "$oid" '{"file_as": "x"}' 2>&1); rc=$?
expect_eq "set on another database's record fails" "$rc" 1
err=$(dc set 'Tasks Database' "$oid" '{"importance": "urgent"}' 2>&1); rc=$?
expect_has "bad value is named" "$err" 'JSON argument.importance: unknown value "urgent"'
err=$(dc add 'Tasks Database' '{"0x0020001F": 5}' 2>&1); rc=$?
expect_eq "wrong type is refused" "$rc" 1
dc delete 'Tasks Database' "$oid" >/dev/null
expect_eq "delete removes" "$(count 'Tasks Database')" "$tasks"
err=$(dc delete 'Tasks Database' "$oid" 2>&1); rc=$?
expect_eq "delete twice fails" "$rc" 1
# Times without 'Z' are wall-clock times on the device (W. Europe), in summer
# too, or in the appointment's own zone; with 'Z' they are UTC.
while IFS='|' read -r extra start want; do
    oid=$(dc add 'Appointments Database' "{\"subject\": \"Clock\", \"start\": \"$start\", \"duration\": 30$extra}")
    line=$(dc list 'Appointments Database' | grep "\"oid\":$oid,")
    expect_has "start $start$extra lists as $want" "$line" "{\"id\":\"0x10420040\",\"type\":\"FILETIME\",\"value\":\"$want\"}"
    dc delete 'Appointments Database' "$oid" >/dev/null
done <<'CASES'
|2026-12-07T11:00|2026-12-07T10:00:00Z
|2026-07-07T11:00|2026-07-07T09:00:00Z
|2026-12-07T11:00Z|2026-12-07T11:00:00Z
|2026-03-29T01:30|2026-03-29T00:30:00Z
, "timezone": "Eastern"|2026-12-07T11:00|2026-12-07T16:00:00Z
CASES
err=$(dc list 'No Such Database' 2>&1); rc=$?
expect_has "unknown database" "$err" 'no database "No Such Database"'
err=$(dc frobnicate 2>&1); rc=$?
expect_eq "unknown command is a usage error" "$rc" 2

# Imports: real files and our own, warnings on stderr, then loaded.
export DEVCTL_IMPORT_SCRIPT="$SRC/import.py"
err=$(dc import "$SRC/tests/data/calendar-mixed.ics" 2>&1); rc=$?
expect_eq "ics import succeeds" "$rc" 0
expect_has "unsupported rule is reported" "$err" 'event "Medication": recurrence rule parts the device cannot hold: BYHOUR'
expect_has "attendees are reported" "$err" 'event "Planning": 1 attendee(s)'
expect_has "journal entries are reported" "$err" 'VJOURNAL entries cannot be held'
expect_eq "ics events loaded" "$(count 'Appointments Database')" $((appts + 4))
expect_eq "ics tasks loaded" "$(count 'Tasks Database')" $((tasks + 2))
expect_eq "existing category reused" "$(count CategoryMainDB)" 8
appts=$((appts + 4))
for f in recurrence.ics timezoned.ics x_location.ics; do
    err=$(dc import "$SRC/tests/data/$f" 2>&1); rc=$?
    expect_eq "import $f" "$rc" 0
done
expect_eq "sample events loaded" "$(count 'Appointments Database')" $((appts + 4))
# What was imported reads back through list: subject, location and its line breaks.
line=$(dc list 'Appointments Database' | grep 'artsprint 2012')
expect_has "imported subject listed" "$line" '"value":"artsprint 2012"'
expect_has "imported location listed" "$line" '"value":"aka bild, wien"'
line=$(dc list 'Appointments Database' | grep 'Daily Sync')
expect_has "multi-line location listed" "$line" 'Roadstar 16\n12764 Happyville\nDenmark'
appts=$((appts + 4))
err=$(dc import "$SRC/tests/data/america_new_york.ics" 2>&1); rc=$?
expect_eq "unreadable calendar is refused" "$rc" 1
expect_eq "refused import writes nothing" "$(count 'Appointments Database')" "$appts"

# Events and tasks exported without the calendar around them: the calendar is implied.
# A bare component of any other kind is still neither kind of file.
tasks=$(count 'Tasks Database')
err=$(dc import "$SRC/tests/data/bare-components.ics" 2>&1); rc=$?
expect_eq "bare event and task import" "$rc" 0
expect_eq "bare event loaded" "$(count 'Appointments Database')" $((appts + 1))
expect_eq "bare task loaded" "$(count 'Tasks Database')" $((tasks + 1))
expect_has "bare event listed" "$(dc list 'Appointments Database')" '"value":"Exported alone"'
appts=$((appts + 1))
err=$(dc import "$SRC/tests/data/bare-journal.ics" 2>&1); rc=$?
expect_eq "bare journal is refused" "$rc" 1
expect_has "refusal names the file" "$err" 'bare-journal.ics is neither an iCalendar nor a vCard file'
expect_eq "refused journal writes nothing" "$(count 'Appointments Database')" "$appts"

err=$(dc import "$SRC/tests/data/contacts-v3.vcf" 2>&1); rc=$?
expect_eq "vCard 3 import" "$rc" 0
expect_has "dropped phone is reported" "$err" 'phone +46 74 000 12 (pager) has no free place'
expect_has "unkept fields are reported" "$err" 'not kept: ADR, TITLE, URL'
err=$(dc import "$SRC/tests/data/contacts-v21.vcf" 2>&1); rc=$?
expect_eq "vCard 2.1 import" "$rc" 0
expect_eq "imported contacts" "$(count 'Contacts Database')" 65
line=$(dc list 'Contacts Database' | grep 'Lindgren')
expect_has "picture stored" "$line" '"id":"0x00FF0064","type":"STREAM","value":"89504e47'
expect_has "third e-mail kept" "$line" '"value":"m.l@club.example"'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

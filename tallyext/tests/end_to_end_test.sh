#!/usr/bin/env bash
# Pocket Outlook's menu on a real appointment, all the way through: the device tool
# adds an appointment whose subject holds two numbers; Pocket Outlook (the device's
# \Windows\poutlook.exe) builds its menu with the registered extensions; choosing a
# number starts the contact finder, which dials it or opens the text composer; the
# device log shows both.
# usage: end_to_end_test.sh DEVCTL WINE_EMU
set -u
devctl=$1 emu=$2

skip() { echo "SKIP: $*"; exit 0; }
fail() { echo "FAIL: $*"; [ -f "${out:-}" ] && sed 's/^/  | /' "$out"; exit 1; }

[ -x "$devctl" ] || skip "devctl is not built at $devctl (build the native tree, e.g. ./dev build)"
prefix=${OLV_WINEPREFIX:-}
[ -n "$prefix" ] || skip "no device prefix (run through ./dev test)"
dev=$(readlink -f "$prefix/dosdevices/d:" 2>/dev/null) || true
[ -n "$dev" ] && [ -f "$dev/pim.vol" ] && [ -x "$dev/Windows/poutlook.exe" ] || skip "no device image with an object store at D:"

subject='Call 555-0123 or (212) 555 7788 ext 12'
out=$(mktemp)
log=$dev/Windows/devicelog.jsonl
cleanup() {
  [ -n "${oid:-}" ] && "$devctl" --device "$dev" delete 'Appointments Database' "$oid" >/dev/null 2>&1
  # The text composer stays open, as on the device.
  "$emu" taskkill.exe /f /im tmail.exe >/dev/null 2>&1
  rm -f "$out"
}
trap cleanup EXIT

oid=$("$devctl" --device "$dev" add 'Appointments Database' \
      "{\"subject\": \"$subject\", \"start\": \"2026-12-07T11:30\", \"duration\": 15}") || fail "devctl add"
recid=$("$devctl" --device "$dev" list 'Appointments Database' | grep -F "\"oid\":$oid," |
        grep -o '"0x10000066","type":"RECID","value":[0-9]*' | grep -o '[0-9]*$')
[ -n "$recid" ] || fail "no record id for the appointment"
poom=$(printf '0x%08X' $(( (recid + 0x40000000) & 0xFFFFFFFF )))

# Everything the programs print goes to a file: they must not hold the test's output.
pout() { "$emu" "$dev/Windows/poutlook.exe" --menu Calendar "$poom" "$@" >"$out" 2>&1 </dev/null; }

pout || fail "the menu could not be built"
grep -q 'Dial Number' "$out" || fail "no Dial Number popup"
grep -q 'Send Text Message' "$out" || fail "no Send Text Message popup"
grep -q '555-0123' "$out" && grep -q '(212) 555 7788' "$out" || fail "the two numbers are not offered"

# The finder runs on its own after the menu returns: give its log line up to 10 s.
logged() {  # logged SINCE SOURCE TEXT
  local i
  for i in $(seq 200); do
    tail -n +"$(($1 + 1))" "$log" 2>/dev/null | grep "\"source\":\"$2\"" | grep -qF "$3" && return 0
    sleep 0.05
  done
  return 1
}

before=$(wc -l <"$log" 2>/dev/null || echo 0)
pout --choose 'Dial Number/#1' || fail "choosing the second number to dial failed"
logged "$before" phone '(212) 555 7788' || { cat "$log" >>"$out"; fail "no call to (212) 555 7788 in the device log"; }

before=$(wc -l <"$log")
pout --choose 'Send Text Message/#0' || fail "choosing the first number to text failed"
logged "$before" tmail '555-0123' || { cat "$log" >>"$out"; fail "the text composer was not started for 555-0123"; }
echo "end to end: menu, dial and text through the contact finder"

#!/usr/bin/env bash
# The Contacts tab on the Today screen with contacts in four scripts.
#   screens: the three row layouts and every alphabet of the search bar, at
#            240x320 and 480x640; each alphabet's bar differs from the Latin one,
#            and each layout from the others.
#   live:    a default number changed by another program (the device tool) shows
#            in the running tab after one poll.
# Screenshots go to SNAP_DIR to look at.
# usage: contacts_screen_test.sh screens|live DEVCTL WINE_EMU PYTHON SNAP_DIR
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
  for oid in "${added[@]}"; do "$devctl" --device "$dev" delete 'Contacts Database' "$oid" >/dev/null 2>&1; done
  "$emu" reg.exe delete "$key" /v ActiveTab /f >/dev/null 2>&1
  for v in ContactsLayout ContactsSearchBarAlphabet CntctsActiveLanguages; do
    "$emu" reg.exe delete "$key\\Contacts" /v $v /f >/dev/null 2>&1
  done
}
trap cleanup EXIT

add() {
  local oid
  oid=$("$devctl" --device "$dev" add 'Contacts Database' "$1") || fail "devctl add $1"
  added+=("$oid")
  echo "$oid"
}
setting() { "$emu" reg.exe add "$1" /v "$2" /t REG_DWORD /d "$3" /f >/dev/null 2>&1 || fail "setting $2"; }
host() { "$emu" "$dev/Windows/todayhost.exe" "$@" >/dev/null 2>&1 </dev/null; }
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
differ() { "$py" "$here/../../tabs/tests/png_region.py" "$@"; }

add '{"first_name": "Fynn", "last_name": "Albrecht", "file_as": "Albrecht, Fynn", "mobile": "+49 301 6730484", "preferred": "mobile"}' >/dev/null
add '{"first_name": "Chloé", "last_name": "Marchand", "file_as": "Marchand, Chloé", "work": "+49 680 3802143", "email1": "chloe@example.org"}' >/dev/null
add '{"first_name": "Наталья", "last_name": "Иванова", "file_as": "Иванова, Наталья", "home": "+49 743 7860398"}' >/dev/null
add '{"first_name": "Богдан", "last_name": "Шевченко", "file_as": "Шевченко, Богдан", "car": "+49 126 8024997"}' >/dev/null
add '{"first_name": "Ελένη", "last_name": "Γεωργίου", "file_as": "Γεωργίου, Ελένη", "fax": "+44 638 7636535"}' >/dev/null
itai=$(add '{"first_name": "איתי", "last_name": "לוי", "file_as": "לוי, איתי", "home": "+44 119 2997533", "mobile": "+44 122 7210300", "preferred": "home"}')
added+=("$itai")  # recorded in the subshell of $(...) only
setting "$key" ActiveTab 4
setting "$key\\Contacts" CntctsActiveLanguages 15

# The whole item band below the navigation bar.
band() { local s=$1; echo 0 $((26 * s)) $((240 * s)) $((300 * s)); }

if [ "$mode" = screens ]; then
  for size in 240x320 480x640; do
    s=1; [ "$size" = 480x640 ] && s=2
    for layout in 0 1 2; do
      setting "$key\\Contacts" ContactsLayout $layout
      setting "$key\\Contacts" ContactsSearchBarAlphabet 1
      out=$snaps/layout$layout-latin-$size.png
      host --size "$size" --settle 1500 --snap "$(winpath "$out")" || fail "todayhost (layout $layout, $size)"
      [ -f "$out" ] || fail "no screenshot $out"
    done
    n01=$(differ "$snaps/layout0-latin-$size.png" "$snaps/layout1-latin-$size.png" $(band $s)) || fail compare
    n02=$(differ "$snaps/layout0-latin-$size.png" "$snaps/layout2-latin-$size.png" $(band $s)) || fail compare
    [ "$n01" -gt $((20 * s * s)) ] || fail "$size: layouts 0 and 1 look the same ($n01)"
    [ "$n02" -gt $((200 * s * s)) ] || fail "$size: layouts 0 and 2 look the same ($n02)"
    setting "$key\\Contacts" ContactsLayout 0
    for alphabet in 2 3 4 6; do
      setting "$key\\Contacts" ContactsSearchBarAlphabet $alphabet
      out=$snaps/layout0-alphabet$alphabet-$size.png
      host --size "$size" --settle 1500 --snap "$(winpath "$out")" || fail "todayhost (alphabet $alphabet, $size)"
      [ -f "$out" ] || fail "no screenshot $out"
      n=$(differ "$snaps/layout0-latin-$size.png" "$out" $(band $s)) || fail compare
      [ "$n" -gt $((20 * s * s)) ] || fail "$size: alphabet $alphabet's bar looks like the Latin one ($n)"
      echo "$size alphabet $alphabet: $n pixels differ from Latin"
    done
    echo "$size layouts: $n01 and $n02 pixels differ"
  done
  exit 0
fi

[ "$mode" = live ] || fail "unknown mode $mode"
setting "$key\\Contacts" ContactsLayout 0
setting "$key\\Contacts" ContactsSearchBarAlphabet 1
script=$snaps/live.txt
before=$snaps/live-before.png after=$snaps/live-default.png
rm -f "$before" "$after"
cat >"$script" <<SCRIPT
wait 1500
snap $(winpath "$before")
wait 2500
poll
snap $(winpath "$after")
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
"$devctl" --device "$dev" set 'Contacts Database' "$itai" '{"preferred": "mobile"}' >/dev/null ||
  fail "devctl could not change the default number"
"$devctl" --device "$dev" list 'Contacts Database' | grep -q '7210300' || fail "devctl list lost the contact"
waitfor "$after" || fail "no screenshot after the change"
wait "$pid" || fail "todayhost exited with $?"
n=$(differ "$before" "$after" $(band 1)) || fail "comparing"
[ "$n" -gt 20 ] || fail "the new default number does not show after one poll ($n pixels changed)"
echo "default number: $n pixels changed"

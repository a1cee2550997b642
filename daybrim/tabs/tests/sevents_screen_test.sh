#!/usr/bin/env bash
# The Special Events tab and both kinds of custom tab on the Today screen, at
# 240x320 and 480x640: the events of contacts added to the test device show in
# the Special Events tab; the sample tab library and the Today screen's test
# item, hosted as tabs, draw their own content where an unloadable library
# leaves only the tab's notice.
# Screenshots go to SNAP_DIR to look at.
# usage: sevents_screen_test.sh DEVCTL WINE_EMU PYTHON SNAP_DIR
set -u
devctl=$1 emu=$2 py=$3 snaps=$4
here=$(cd "$(dirname "$0")" && pwd)

skip() { echo "SKIP: $*"; exit 0; }
fail() { echo "FAIL: $*"; exit 1; }

[ -x "$devctl" ] || skip "devctl is not built at $devctl (build the native tree, e.g. ./dev build)"
prefix=${OLV_WINEPREFIX:-}
[ -n "$prefix" ] || skip "no device prefix (run through ./dev test)"
dev=$(readlink -f "$prefix/dosdevices/d:" 2>/dev/null) || true
[ -n "$dev" ] && [ -f "$dev/pim.vol" ] && [ -f "$dev/Windows/todayhost.exe" ] || skip "no test device at D:"
[ -f "$dev/Program Files/Olvane/Daybrim/daybrim_sample_tab.dll" ] || fail "the sample tab library is not installed"
[ -f "$dev/Windows/testitem.dll" ] || fail "the test item is not installed"
mkdir -p "$snaps"

root='HKCU\Software\Olvane\Daybrim'
tabs="$root\\TabSettings"
item='HKLM\Software\Microsoft\Today\Items\HostedTestItem'
added=()
reg() { "$emu" reg.exe "$@" >/dev/null 2>&1; }
cleanup() {
  for oid in "${added[@]}"; do "$devctl" --device "$dev" delete 'Contacts Database' "$oid" >/dev/null 2>&1; done
  reg delete "$tabs\\Sample" /f
  reg delete "$tabs\\HostedTestItem" /f
  reg delete "$item" /f
  reg delete "$root" /v ActiveTab /f
}
trap cleanup EXIT

add() {
  local oid
  oid=$("$devctl" --device "$dev" add 'Contacts Database' "$1") || fail "devctl add $1"
  added+=("$oid")
}
host() { "$emu" "$dev/Windows/todayhost.exe" "$@" >/dev/null 2>&1 </dev/null; }
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
differ() { "$py" "$here/png_region.py" "$@"; }
# The tab's list: below the navigation band (26) and the tab row (22).
list_box() { local s=$1; echo 0 $((50 * s)) $((226 * s)) $((150 * s)); }
# Shows each tab by a tap on its button in the bar down the left edge (Special
# Events, then the sample library, then the hosted item) and snaps it as
# NAME-sevents, NAME-sample and NAME-item.
snap_tabs() {  # NAME SIZE
  local s=1 script=$snaps/$1-$2.txt t
  [ "$2" = 480x640 ] && s=2
  {
    echo "wait 1500"
    for t in sevents:152 sample:175 item:198; do
      echo "tap $((12 * s)) $((${t#*:} * s))"
      echo "wait 800"
      echo "snap $(winpath "$snaps/$1-${t%%:*}-$2.png")"
    done
    echo "quit"
  } >"$script"
  host --size "$2" --script "$(winpath "$script")" || fail "todayhost ($1, $2)"
  for t in sevents sample item; do [ -f "$snaps/$1-$t-$2.png" ] || fail "no screenshot $1-$t-$2"; done
}
expect_rows() {  # BEFORE AFTER SIZE WHAT
  local s=1 n
  [ "$3" = 480x640 ] && s=2
  n=$(differ "$snaps/$1-$3.png" "$snaps/$2-$3.png" $(list_box $s)) || fail "comparing $2-$3"
  [ "$n" -gt $((150 * s * s)) ] || fail "$3: $4 do not show ($n pixels changed)"
  echo "$3: $4, $n pixels"
}

# The custom tabs follow the built-in ones, in this order.
reg add "$tabs\\Sample" /v Type /t REG_DWORD /d 0 /f
reg add "$tabs\\Sample" /v Enabled /t REG_DWORD /d 1 /f
reg add "$tabs\\Sample" /v Order /t REG_DWORD /d 7 /f
reg add "$tabs\\HostedTestItem" /v Type /t REG_DWORD /d 1 /f
reg add "$tabs\\HostedTestItem" /v Enabled /t REG_DWORD /d 1 /f
reg add "$tabs\\HostedTestItem" /v Order /t REG_DWORD /d 8 /f
# The hosted item's key has no library of its own: the Today screen leaves it out.
reg add "$item" /v Selectability /t REG_DWORD /d 1 /f
reg add "$item" /v Height /t REG_DWORD /d 60 /f
reg add "$item" /v Color /t REG_DWORD /d 0x00C0E0F0 /f
reg add "$item" /v Label /t REG_SZ /d "A hosted Today item" /f

for size in 240x320 480x640; do
  # Libraries that cannot be loaded: the tabs keep their places, empty.
  reg add "$tabs\\Sample" /v DLL /t REG_SZ /d '\Program Files\Olvane\Daybrim\missing.dll' /f
  reg add "$tabs\\HostedTestItem" /v DLL /t REG_SZ /d '\Windows\missing.dll' /f
  snap_tabs missing "$size"
  reg add "$tabs\\Sample" /v DLL /t REG_SZ /d '\Program Files\Olvane\Daybrim\daybrim_sample_tab.dll' /f
  reg add "$tabs\\HostedTestItem" /v DLL /t REG_SZ /d '\Windows\testitem.dll' /f
  snap_tabs loaded "$size"
  expect_rows missing-sample loaded-sample "$size" "the sample library's lines"
  expect_rows missing-item loaded-item "$size" "the hosted item"
done

# The test device lives on Monday 2026-12-07: a birthday today, one in a fortnight,
# an anniversary next month and a leap-day birthday (28 February in 2027).
add '{"first_name": "Anna", "last_name": "Today", "file_as": "Today, Anna", "birthday": "1980-12-07"}'
add '{"first_name": "Bruno", "last_name": "Soon", "file_as": "Soon, Bruno", "birthday": "1975-12-21"}'
add '{"first_name": "Clara", "last_name": "Wed", "file_as": "Wed, Clara", "anniversary": "2010-01-15"}'
add '{"first_name": "Dario", "last_name": "Leap", "file_as": "Leap, Dario", "birthday": "2000-02-29"}'
for size in 240x320 480x640; do
  snap_tabs events "$size"
  expect_rows loaded-sevents events-sevents "$size" "the special events"
done
exit 0

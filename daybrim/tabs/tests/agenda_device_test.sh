#!/usr/bin/env bash
# The agenda tool on the test device: a known fortnight of appointments and a task
# is written into a volume of its own (so the shared \pim.vol stays as it is), and
# the lines the tool prints for it are compared with the expected ones.
# usage: agenda_device_test.sh DEVCTL WINE_EMU AGENDA_EXE FIXTURE EXPECTED
set -u
devctl=$1 emu=$2 agenda=$3 fixture=$4 expected=$5

skip() { echo "SKIP: $*"; exit 0; }
fail() { echo "FAIL: $*"; exit 1; }

[ -x "$devctl" ] || skip "devctl is not built at $devctl (build the native tree, e.g. ./dev build)"
prefix=${OLV_WINEPREFIX:-}
[ -n "$prefix" ] || skip "no device prefix (run through ./dev test)"
dev=$(readlink -f "$prefix/dosdevices/d:" 2>/dev/null) || true
[ -n "$dev" ] && [ -d "$dev/Windows" ] || skip "no device image at D:"

work=$(mktemp -d)
vol=agenda_fortnight_$$.vol
cleanup() { rm -rf "$work" "$dev/$vol"; }
trap cleanup EXIT

"$devctl" --device "$work" init >/dev/null || fail "devctl init"
"$devctl" --device "$work" load "$fixture" >/dev/null || fail "devctl load"
cp "$work/pim.vol" "$dev/$vol" || fail "copying the volume into the device"

"$emu" "$agenda" --from 2026-12-07 --days 14 --volume "\\$vol" >"$work/out" 2>"$work/err" </dev/null ||
  { cat "$work/err"; fail "agenda exited with $?"; }
tr -d '\r' <"$work/out" >"$work/lines"
if ! diff -u "$expected" "$work/lines"; then
  fail "the agenda differs from $expected"
fi

# Another start day browses: the range is written out and today is not named.
"$emu" "$agenda" --from 2026-12-14 --days 3 --volume "\\$vol" >"$work/out" 2>"$work/err" </dev/null ||
  { cat "$work/err"; fail "agenda --from exited with $?"; }
tr -d '\r' <"$work/out" >"$work/browse"
printf '%s\n' 'Range: 12/14 - 12/16' '== Monday, Dec 14 (1 appointment)' '   6:00P  Private thing [private]' \
  '== Tuesday, Dec 15 (1 appointment)' '   10:30P  Late film' | diff -u - "$work/browse" ||
  fail "browsing from 2026-12-14 differs"
echo "agenda: $(wc -l <"$work/lines") lines as expected, browsing too"

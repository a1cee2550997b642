#!/usr/bin/env bash
# The native device tool changes a volume while a Wine program has a notify request
# on it: the program's window gets created, changed and deleted, in order, each
# within half a second of devctl returning.
# usage: devctl_notify_test.sh DEVCTL CEDB_PROBE.exe WINE_EMU
set -u
devctl=$1 probe=$2 emu=$3

skip() { echo "SKIP: $*"; exit 0; }
fail() { echo "FAIL: $*"; [ -n "${out:-}" ] && sed 's/^/probe: /' "$out"; exit 1; }

[ -x "$devctl" ] || skip "devctl is not built at $devctl (build the native tree, e.g. ./dev build)"
prefix=${OLV_WINEPREFIX:-}
if [ -z "$prefix" ]; then
  d=$(cd "$(dirname "$probe")" && pwd)
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  prefix=$d/wine/test
fi
dev=$(readlink -f "$prefix/dosdevices/d:" 2>/dev/null) || true
[ -n "$dev" ] && [ -d "$dev" ] || skip "no device drive D: in the Wine prefix $prefix"

name=cedb_devctl_$$
vol=Temp/$name.vol
ready=$dev/Temp/$name.ready
out=$(mktemp)
mkdir -p "$dev/Temp"
rm -f "$dev/$vol" "$ready"
cleanup() {
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
  rm -f "$dev/$vol" "$ready" "$out"
}
trap cleanup EXIT

"$emu" "$probe" wait "\\Temp\\$name.vol" Probe 3 30000 "\\Temp\\$name.ready" >"$out" 2>&1 &
pid=$!
for _ in $(seq 600); do
  [ -f "$ready" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
[ -f "$ready" ] || fail "the Wine program did not get ready"

# Waits until the probe has printed n lines, for at most half a second.
await() {
  local n=$1 deadline=$(( $(date +%s%N) + 500000000 ))
  while [ "$(wc -l <"$out")" -lt "$n" ]; do
    [ "$(date +%s%N)" -lt "$deadline" ] || fail "notification $n did not arrive within 0.5 s"
    sleep 0.01
  done
}

dc() { "$devctl" --device "$dev" --volume "$vol" "$@"; }
oid=$(dc add Probe '{"0x00010013": 7}') || fail "devctl add"
await 1
dc set Probe "$oid" '{"0x00010013": 8}' >/dev/null || fail "devctl set"
await 2
dc delete Probe "$oid" >/dev/null || fail "devctl delete"
await 3
wait "$pid"; rc=$?; pid=
[ "$rc" -eq 0 ] || fail "probe exited with $rc"
expected=$(printf '0x401 %s 7\n0x406 %s 7\n0x403 %s 7' "$oid" "$oid" "$oid")
[ "$(tr -d '\r' <"$out")" = "$expected" ] || fail "expected:
$expected"
echo "devctl add/set/delete of record $oid reached the Wine window in order"

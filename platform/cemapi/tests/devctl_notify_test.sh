#!/usr/bin/env bash
# Mail delivered by the native device tool reaches a Wine program that advised the
# account's store: the program hears of the new message on its own thread.
# usage: devctl_notify_test.sh DEVCTL CEMAPI_PROBE.exe WINE_EMU SOURCE_DIR
set -u
devctl=$1 probe=$2 emu=$3 src=$4

skip() { echo "SKIP: $*"; exit 0; }
fail() { echo "FAIL: $*"; exit 1; }

[ -x "$devctl" ] || skip "devctl is not built at $devctl (build the native tree, e.g. ./dev build)"
prefix=${OLV_WINEPREFIX:-}
if [ -z "$prefix" ]; then
  d=$(cd "$(dirname "$probe")" && pwd)
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  prefix=$d/wine/test
fi
dev=$(readlink -f "$prefix/dosdevices/d:" 2>/dev/null) || true
[ -n "$dev" ] && [ -d "$dev" ] || skip "no device drive D: in the Wine prefix $prefix"

name=cemapi_devctl_$$
dir=$dev/Temp/$name
ready=$dir/ready
rm -rf "$dir"; mkdir -p "$dir"
trap '[ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT

"$devctl" --device "$dir" mail account Work >/dev/null || fail "devctl mail account"
"$emu" "$probe" "\\Temp\\$name\\mail.vol" wait Work "Your December update" "\\Temp\\$name\\ready" 30000 &
pid=$!
for _ in $(seq 600); do
  [ -f "$ready" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
[ -f "$ready" ] || fail "the Wine program did not get ready"
"$devctl" --device "$dir" mail deliver Work "$src/tools/devctl/demo/mail/Work/04-newsletter.eml" >/dev/null ||
  fail "devctl mail deliver"
wait "$pid"; rc=$?; pid=
case $rc in
  0) echo "the delivered message was announced on the advising thread" ;;
  1) fail "no notice of the delivered message within 30 s" ;;
  2) fail "the notice came on another thread" ;;
  *) fail "probe exited with $rc" ;;
esac

#!/usr/bin/env bash
# The Mail tab on the Today screen with two accounts of the demo mail.
#   screens: the tab at 240x320 and 480x640; the accounts and messages show
#            (the list differs from the same screen without mail); a tap in a
#            message's icon column shows its preview over the Today screen,
#            with a picture on each of its caption buttons.
#   live:    a message the device tool delivers while the item runs appears in
#            the Mail tab at once, and in the Calendar's mail line once the
#            calendar's two seconds have passed.
# Screenshots go to SNAP_DIR to look at.
# usage: mail_screen_test.sh screens|live DEVCTL WINE_EMU PYTHON SNAP_DIR MAIL_DIR
set -u
mode=$1 devctl=$2 emu=$3 py=$4 snaps=$5 mail=$6
here=$(cd "$(dirname "$0")" && pwd)

skip() { echo "SKIP: $*"; exit 0; }
fail() { echo "FAIL: $*"; exit 1; }

[ -x "$devctl" ] || skip "devctl is not built at $devctl (build the native tree, e.g. ./dev build)"
prefix=${OLV_WINEPREFIX:-}
[ -n "$prefix" ] || skip "no device prefix (run through ./dev test)"
dev=$(readlink -f "$prefix/dosdevices/d:" 2>/dev/null) || true
[ -n "$dev" ] && [ -f "$dev/Windows/todayhost.exe" ] || skip "no test device at D:"
[ -f "$mail/Work/01-quartal.eml" ] || skip "no demo mail at $mail"
mkdir -p "$snaps"

# The device's own mail, if it has any, comes back afterwards.
kept=""
if [ -f "$dev/mail.vol" ]; then
  kept=$snaps/kept-mail.vol
  cp "$dev/mail.vol" "$kept"
fi
reg() { "$emu" reg.exe "$@" >/dev/null 2>&1; }
tabs='HKCU\Software\Olvane\Daybrim\TabSettings' cal='HKCU\Software\Olvane\Daybrim\Calendar'
cleanup() {
  rm -f "$dev/mail.vol"
  [ -n "$kept" ] && mv "$kept" "$dev/mail.vol"
  reg delete "$tabs" /v DfltTab /f
  reg delete "$tabs" /v DfltTabOnStartup /f
  reg delete "$cal" /v IncludeMainOnCal /f
}
trap cleanup EXIT

host() { "$emu" "$dev/Windows/todayhost.exe" "$@" >/dev/null 2>&1 </dev/null; }
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
differ() { "$py" "$here/png_region.py" "$@"; }
dc() { "$devctl" --device "$dev" mail "$@" >/dev/null || fail "devctl mail $*"; }
# Opens on the Mail tab (or the Calendar with `calendar`), with mail on the calendar.
start_on() {
  reg add "$tabs" /v DfltTab /t REG_DWORD /d "$1" /f || fail "choosing the tab"
  reg add "$tabs" /v DfltTabOnStartup /t REG_DWORD /d 1 /f || fail "choosing the tab"
  reg add "$cal" /v IncludeMainOnCal /t REG_DWORD /d 1 /f || fail "mail on the calendar"
}
# The item's list: right of the vertical tab bar, below the navigation band and
# the caption, its first rows.
list_box() { local s=$1; echo $((30 * s)) $((50 * s)) $((230 * s)) $((200 * s)); }

# A point in the icon column of the first account's first message, which opens
# its preview.
preview_tap() { local s=$1; echo $((PREVIEW_X * s)) $((PREVIEW_Y * s)); }
PREVIEW_X=40 PREVIEW_Y=80  # David Levi's message under the Home account

rm -f "$dev/mail.vol"
start_on 4

if [ "$mode" = screens ]; then
  for size in 240x320 480x640; do
    host --size "$size" --settle 1500 --snap "$(winpath "$snaps/nomail-$size.png")" || fail "todayhost ($size)"
  done
  dc account Work
  dc add Work "$mail/Work/01-quartal.eml" read
  dc add Work "$mail/Work/02-vstrecha.eml"
  dc add Work "$mail/Work/03-prosfora.eml"
  dc account Home
  dc add Home "$mail/Home/01-shabbat.eml"
  dc add Home "$mail/Home/02-bilety.eml" read partial
  for size in 240x320 480x640; do
    s=1; [ "$size" = 480x640 ] && s=2
    tab=$snaps/mail-$size.png
    host --size "$size" --settle 1500 --snap "$(winpath "$tab")" || fail "todayhost ($size)"
    [ -f "$tab" ] || fail "$size: no screenshot"
    n=$(differ "$snaps/nomail-$size.png" "$tab" $(list_box $s)) || fail "comparing $tab"
    [ "$n" -gt $((300 * s * s)) ] || fail "$size: the accounts and messages do not show ($n pixels changed)"
    echo "$size: $n pixels of rows"
  done
  # The preview is a window of its own over the Today screen: the snapshot, as
  # the screen shows it, must hold it where it is centred.
  for size in 240x320 480x640; do
    s=1; [ "$size" = 480x640 ] && s=2
    W=$((240 * s)) H=$((320 * s))
    before=$snaps/preview-before-$size.png after=$snaps/preview-$size.png script=$snaps/preview-$size.txt
    rm -f "$before" "$after"
    cat >"$script" <<SCRIPT
wait 1500
snap $(winpath "$before")
tap $(preview_tap $s)
wait 500
snap $(winpath "$after")
quit
SCRIPT
    host --size "$size" --script "$(winpath "$script")" || fail "todayhost ($size preview)"
    [ -f "$after" ] || fail "$size: no screenshot of the preview"
    pw=$((200 * s)) ph=$((200 * s))
    [ $pw -gt $((W - 40)) ] && pw=$((W - 40))
    [ $ph -gt $((H - 56)) ] && ph=$((H - 56))
    x0=$(((W - pw) / 2)) y0=$(((H - ph) / 2))
    n=$(differ "$before" "$after" $x0 $y0 $((x0 + pw)) $((y0 + ph))) || fail "comparing $after"
    [ "$n" -gt $((pw * ph / 2)) ] || fail "$size: the preview does not show in the snapshot ($n of $((pw * ph)) pixels changed)"
    echo "$size: the preview changed $n pixels"
    # Its six caption buttons, right-aligned in the title bar inside the border,
    # each show a picture: no square is blank or one flat colour.
    cx=$((x0 + 1 + pw - 2 - 6 * 20 * s)) cy=$((y0 + 1 + 3 * s))
    for i in 0 1 2 3 4 5; do
      bx=$((cx + i * 20 * s))
      c=$("$py" "$here/png_region.py" --colours "$after" $bx $cy $((bx + 16 * s)) $((cy + 16 * s))) ||
        fail "reading $after"
      [ "$c" -ge 3 ] || fail "$size: caption button $i of the preview shows no picture ($c colours)"
    done
    echo "$size: the preview's caption buttons show their pictures"
  done
  exit 0
fi

[ "$mode" = live ] || fail "unknown mode $mode"
dc account Work
dc add Work "$mail/Work/01-quartal.eml" read
dc account Home
dc add Home "$mail/Home/01-shabbat.eml"
run_live() {
  # $1: tab to open on; $2..: the script's snapshot names. The delivery comes
  # after the first snapshot.
  local script=$snaps/live-$1.txt before=$2 after=$3
  rm -f "$before" "$after"
  cat >"$script" <<SCRIPT
wait 1500
snap $(winpath "$before")
wait 3000
poll
snap $(winpath "$after")
quit
SCRIPT
  host --size 240x320 --script "$(winpath "$script")" &
  local pid=$! i
  for i in $(seq 300); do [ -f "$before" ] && break; kill -0 $pid 2>/dev/null || break; sleep 0.05; done
  [ -f "$before" ] || fail "the Today screen did not start"
  "$devctl" --device "$dev" mail deliver Work "$mail/Work/03-prosfora.eml" >/dev/null || fail "devctl mail deliver"
  wait $pid || fail "todayhost exited with $?"
  [ -f "$after" ] || fail "no screenshot after the delivery"
}
run_live mail "$snaps/live-mail-before.png" "$snaps/live-mail-after.png"
n=$(differ "$snaps/live-mail-before.png" "$snaps/live-mail-after.png" $(list_box 1)) || fail "comparing"
[ "$n" -gt 150 ] || fail "the delivered message does not show in the Mail tab ($n pixels changed)"
# The same delivery seen from the Calendar: its mail line counts one more.
rm -f "$dev/mail.vol"
dc account Work
dc add Work "$mail/Work/01-quartal.eml" read
dc account Home
dc add Home "$mail/Home/01-shabbat.eml"
start_on 0
run_live calendar "$snaps/live-cal-before.png" "$snaps/live-cal-after.png"
m=$(differ "$snaps/live-cal-before.png" "$snaps/live-cal-after.png" $(list_box 1)) || fail "comparing"
[ "$m" -gt 10 ] || fail "the calendar's mail count did not change ($m pixels changed)"
echo "mail tab: $n pixels changed; calendar: $m pixels changed"

#!/usr/bin/env bash
# devctl's mail commands on a scratch device: accounts, messages from .eml files in
# several character sets, the changes a user makes, and refusals that leave the
# device as it was.
# usage: mail_cli_test.sh DEVCTL SOURCE_DIR WORK_DIR
set -u
DEVCTL=$1 SRC=$2 WORK=$3
rm -rf "$WORK"; mkdir -p "$WORK/device"
DEV=$WORK/device MAIL=$SRC/demo/mail
passed=0 failed=0
ok() { passed=$((passed + 1)); echo "ok: $1"; }
bad() { failed=$((failed + 1)); echo "FAILED: $1"; }
dc() { "$DEVCTL" --device "$DEV" "$@"; }
expect_eq() { if [ "$2" = "$3" ]; then ok "$1"; else bad "$1: expected '$3', got '$2'"; fi; }
expect_has() { if grep -qF -- "$3" <<<"$2"; then ok "$1"; else bad "$1: '$3' not in: $2"; fi; }
field() { python3 -c 'import json,sys; print(json.loads(sys.stdin.readline())[sys.argv[1]])' "$1"; }

# Nothing to add to before an account exists; the device stays untouched.
err=$(dc mail add Work "$MAIL/Work/01-quartal.eml" 2>&1); rc=$?
expect_eq "add without mail exits 1" "$rc" 1
expect_eq "add without mail writes nothing" "$(ls "$DEV" | wc -l)" 0

expect_eq "account" "$(dc mail account Work 2>&1 >/dev/null; echo $?)" 0
err=$(dc mail account work 2>&1); rc=$?
expect_eq "duplicate account (any case) exits 1" "$rc" 1
dc mail account Home >/dev/null

# One message per character set and form: what the tool stores is decoded text.
while read -r file subject sender unread; do
  oid=$(dc mail add Work "$MAIL/$file" 2>&1) || { bad "add $file: $oid"; continue; }
  subject=${subject//_/ } sender=${sender//_/ }
  line=$(dc mail list | grep "\"oid\":$oid,")
  expect_eq "$file subject" "$(field subject <<<"$line")" "$subject"
  expect_eq "$file sender" "$(field sender <<<"$line")" "$sender"
  expect_eq "$file unread" "$(field unread <<<"$line")" "$unread"
done <<'LIST'
Work/01-quartal.eml Zahlen_für_Q3 "Bastian_Krüger"_<bastian@krueger-soehne.example> True
Work/02-vstrecha.eml Встреча_в_понедельник "Дмитрий_Соколов"_<d.sokolov@volga-trade.example> True
Home/01-shabbat.eml ארוחת_שישי "David_Levi"_<david.levi@galil-mail.example> True
Home/02-bilety.eml Билеты olga.ivanova@sever-post.example True
LIST
# (underscores above stand for spaces)

line=$(dc mail list | grep '"Zahlen')
expect_eq "received in UTC" "$(field received <<<"$line")" "2026-12-04T15:12:00Z"
oid=$(field oid <<<"$line")
dc mail read "$oid" >/dev/null
expect_eq "read" "$(dc mail list | grep "\"oid\":$oid," | field unread)" "False"
dc mail unread "$oid" >/dev/null
expect_eq "unread" "$(dc mail list | grep "\"oid\":$oid," | field unread)" "True"
dc mail move "$oid" deleted >/dev/null
expect_eq "move" "$(dc mail list | grep "\"oid\":$oid," | field folder)" "Deleted Items"
err=$(dc mail move "$oid" attic 2>&1); rc=$?
expect_eq "unknown folder exits 1" "$rc" 1
expect_has "unknown folder named" "$err" 'no folder "attic"'
dc mail delete "$oid" >/dev/null
expect_eq "delete" "$(dc mail list | grep -c "\"oid\":$oid,")" 0
err=$(dc mail delete "$oid" 2>&1); rc=$?
expect_eq "deleting twice exits 1" "$rc" 1
err=$(dc mail read 1 2>&1); rc=$?
expect_eq "an account is no message" "$rc" 1

# Options and refusals.
oid=$(dc mail add Home "$MAIL/Home/03-marche.eml" read partial)
expect_eq "added read" "$(dc mail list | grep "\"oid\":$oid," | field unread)" "False"
before=$(dc mail list | wc -l)
printf 'just text, no headers\n' >"$WORK/plain.txt"
err=$(dc mail add Home "$WORK/plain.txt" 2>&1); rc=$?
expect_eq "not a message exits 1" "$rc" 1
err=$(dc mail add Home "$WORK/missing.eml" 2>&1); rc=$?
expect_eq "missing file exits 1" "$rc" 1
err=$(dc mail add Nobody "$MAIL/Home/03-marche.eml" 2>&1); rc=$?
expect_has "unknown account named" "$err" 'no mail account "Nobody"'
err=$(dc mail add Home "$MAIL/Home/03-marche.eml" loud 2>&1); rc=$?
expect_eq "unknown option exits 1" "$rc" 1
expect_eq "refusals add nothing" "$(dc mail list | wc -l)" "$before"
dc mail deliver Home "$MAIL/Home/01-shabbat.eml" >/dev/null
expect_eq "deliver adds unread" "$(dc mail list | tail -1 | field unread)" "True"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

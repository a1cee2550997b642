#!/usr/bin/env bash
# check-layering against a small made-up tree: each case adds one include and says
# whether the check must fail. Usage: check_layering_test.sh CHECK_SCRIPT WORK_DIR
set -u
check=$1
work=$2
failures=0

fresh_tree() {
  rm -rf "$work"; mkdir -p "$work"
  cd "$work" || exit 1
  mkdir -p base platform/todayhost platform/include common daybrim/shell daybrim/data tallyra tallyext build/gen
  touch base/raii.h common/setting.h common/ce_string.h daybrim/shell/services.h daybrim/shell/tab.h \
        daybrim/data/pim_store.h tallyra/app.h tallyext/module.h platform/todayhost/tab.h \
        platform/include/windbase.h build/gen/setting.h
}

# case NAME EXPECT(pass|fail) FILE LINE [ALLOW...]
case_() {
  local name=$1 expect=$2 file=$3 line=$4; shift 4
  fresh_tree
  mkdir -p "$(dirname "$file")"
  printf '%s\n' "$line" >> "$file"
  local args=(--root "$work")
  if [ $# -eq 0 ]; then args+=(--allow ''); fi
  for a in "$@"; do args+=(--allow "$a"); done
  local out rc
  out=$(python3 "$check" "${args[@]}" 2>&1); rc=$?
  local got=pass; [ $rc -ne 0 ] && got=fail
  if [ "$got" != "$expect" ]; then
    echo "FAIL $name: expected $expect, got $got"; echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
}

case_ "platform includes base"             pass platform/todayhost/a.cpp '#include "raii.h"'
case_ "platform includes its own header"   pass platform/todayhost/a.cpp '#include <windbase.h>'
case_ "system header"                      pass platform/todayhost/a.cpp '#include <windows.h>'
case_ "common header by name"              fail platform/todayhost/a.cpp '#include "setting.h"'
case_ "common header by relative path"     fail platform/todayhost/a.cpp '#include "../../common/ce_string.h"'
case_ "product header in angle brackets"   fail platform/include/x.h     '#include <app.h>'
case_ "menu extension header"              fail platform/todayhost/a.cpp '#include "module.h"'
case_ "daybrim header by folder"           fail platform/todayhost/a.cpp '#include "shell/services.h"'
case_ "own layer wins a shared name"       pass platform/todayhost/a.cpp '#include "tab.h"'
case_ "platform allowlist does not exist"  fail platform/todayhost/a.cpp '#include "setting.h"' 'platform/todayhost/a.cpp:setting.h'
case_ "build trees are not scanned"        pass build/gen/x.cpp          '#include "setting.h"'
case_ "data includes its own header"       pass daybrim/data/a.cpp       '#include "pim_store.h"'
case_ "data includes base"                 pass daybrim/data/a.cpp       '#include "raii.h"'
case_ "data includes shell"                fail daybrim/data/a.cpp       '#include "services.h"'
case_ "data includes shell, spaced"        fail daybrim/data/a.h         '  #  include   "services.h"'
case_ "data includes shell, allowed"       pass daybrim/data/a.cpp       '#include "services.h"' 'daybrim/data/a.cpp:services.h'
case_ "stale allowlist entry"              fail daybrim/data/a.cpp       '#include "pim_store.h"' 'daybrim/data/a.cpp:services.h'
case_ "shell may include data"             pass daybrim/shell/a.cpp      '#include "pim_store.h"'

rm -rf "$work"
if [ $failures -ne 0 ]; then echo "$failures case(s) failed"; exit 1; fi
echo "all cases passed"

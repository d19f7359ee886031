#!/usr/bin/env bash
# pelorix-layout on the command line: the shipped files load without a
# warning, --dump prints one line per slot after the last file, and a file
# that does not open or warns gives status 1.
set -u
tool=$1 layouts=$2 failures=0 t=$'\t'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for file in PELORIX.h PELORIX.h01 PELORIX.h02; do
  "$tool" "$layouts/$file" >"$work/report" 2>&1 || fail "$file: status $?: $(grep warning "$work/report")"
  grep -q '^No warnings\.$' "$work/report" || fail "$file: no 'No warnings.'"
done
grep -q 'style 0x50000000 = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON' "$work/report" || fail "no style names"

# English, then German, then French: the French texts remain; escapes as C writes them.
"$tool" --dump "$layouts/PELORIX.h" "$layouts/PELORIX.h01" "$layouts/PELORIX.h02" >"$work/dump" || fail "--dump status $?"
[ "$(wc -l <"$work/dump")" = 60 ] || fail "--dump: $(wc -l <"$work/dump") lines"
for want in "4${t}1${t}1342177283${t}20${t}73${t}180${t}16${t}R\\xE9p\\xE9ter" "47${t}-1${t}0${t}0${t}0${t}0${t}0${t}25" \
            "35${t}3${t}1352663297${t}20${t}90${t}690${t}265${t}Liste de lecture"; do
  grep -qxF "$want" "$work/dump" || fail "--dump lacks: $want"
done
printf '#define Q 1 /*a\\\\b"c\\nd\tx\\r\x01\xff*/\r\n' >"$work/escapes.h"
"$tool" --dump "$work/escapes.h" | grep -qxF "1${t}-1${t}0${t}0${t}0${t}0${t}0${t}a\\\\b\\\"c\\nd\\tx\\r\\x01\\xFF" ||
  fail "--dump escapes: $("$tool" --dump "$work/escapes.h" | sed -n 2p)"

printf '#define X 1 /*x*/\n' >"$work/lf.h"
"$tool" "$work/none.h" >/dev/null 2>"$work/err" && fail "missing file: status 0"
grep -q 'cannot open' "$work/err" || fail "missing file: no message"
"$tool" --dump "$layouts/PELORIX.h" "$work/none.h" >"$work/out" 2>/dev/null && fail "--dump missing file: status 0"
[ -s "$work/out" ] && fail "--dump missing file: printed tables"
"$tool" "$work/lf.h" >"$work/report"; [ $? = 1 ] || fail "warnings: status not 1"
grep -q 'end with LF alone' "$work/report" || fail "no LF warning"

[ $failures = 0 ] && echo "all checks passed"
exit $((failures > 0))

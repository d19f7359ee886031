#!/usr/bin/env bash
# pelorix-layout on the command line: the shipped files load without a
# warning, --dump prints one line per slot after the last file, and a file
# that does not open gives status 1 and no message box.
set -u
tool=$1 layouts=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for file in PELORIX.h PELORIX.h01 PELORIX.h02; do
  "$tool" "$layouts/$file" >"$work/report" 2>&1 || fail "$file: status $?: $(grep warning "$work/report")"
  grep -q '^No warnings\.$' "$work/report" || fail "$file: no 'No warnings.'"
done
grep -q 'button (type 1), style 0x50000000 = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON' "$work/report" ||
  fail "report lacks the style names"

# English, then German, then French: the French texts remain.
"$tool" --dump "$layouts/PELORIX.h" "$layouts/PELORIX.h01" "$layouts/PELORIX.h02" >"$work/dump" ||
  fail "--dump status $?"
[ "$(wc -l <"$work/dump")" = 60 ] || fail "--dump: $(wc -l <"$work/dump") lines"
tab=$'\t'
for want in "0${tab}1${tab}1342177280${tab}730${tab}3${tab}95${tab}18${tab}English" \
            "4${tab}1${tab}1342177283${tab}20${tab}73${tab}180${tab}16${tab}R\\xE9p\\xE9ter" \
            "35${tab}3${tab}1352663297${tab}20${tab}90${tab}690${tab}265${tab}Liste de lecture" \
            "36${tab}3${tab}1084227586${tab}730${tab}175${tab}200${tab}100${tab}Recherche" \
            "43${tab}-1${tab}0${tab}0${tab}0${tab}0${tab}0${tab}Pr\\xEAt" \
            "47${tab}-1${tab}0${tab}0${tab}0${tab}0${tab}0${tab}25" \
            "59${tab}-1${tab}0${tab}0${tab}0${tab}0${tab}0${tab}Temps"; do
  grep -qxF "$want" "$work/dump" || fail "--dump lacks: $want"
done

# Escapes in the dump.
printf '#define Q 1 /*a\\\\b"c\\nd\tx\\r\x01\xff*/\r\n' >"$work/escapes.h"
"$tool" --dump "$work/escapes.h" | grep -qxF "1${tab}-1${tab}0${tab}0${tab}0${tab}0${tab}0${tab}a\\\\b\\\"c\\nd\\tx\\r\\x01\\xFF" ||
  fail "--dump escapes: $("$tool" --dump "$work/escapes.h" | sed -n 2p)"

# Files that do not open.
"$tool" "$work/none.h" >/dev/null 2>"$work/err"; status=$?
[ $status = 1 ] || fail "missing file: status $status"
grep -q 'cannot open' "$work/err" || fail "missing file: no message"
"$tool" --dump "$layouts/PELORIX.h" "$work/none.h" >"$work/out" 2>/dev/null; status=$?
[ $status = 1 ] || fail "--dump missing file: status $status"
[ -s "$work/out" ] && fail "--dump missing file: printed tables"

# A warning gives status 1.
printf '#define X 1 /*x*/\n' >"$work/lf.h"
"$tool" "$work/lf.h" >"$work/report"; status=$?
[ $status = 1 ] || fail "warnings: status $status"
grep -q 'end with LF alone' "$work/report" || fail "no LF warning"

[ $failures = 0 ] && echo "all checks passed"
exit $((failures > 0))

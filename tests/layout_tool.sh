#!/usr/bin/env bash
# pelorix-layout on the command line: the shipped files load without a
# warning, lines added to the English one give one warning each (status 1),
# --dump prints one line per slot after the last file, a file that does not open gives status 1.
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

# ADDED|EXPECTED: printf %b makes bytes of the escapes in ADDED; {x} stands for 9990 x's.
x=$(printf '%9990s' | tr ' ' x)
while IFS='|' read -r added expected; do
  { cat "$layouts/PELORIX.h"; printf '%b' "${added//\{x\}/$x}"; } >"$work/added.h"
  "$tool" "$work/added.h" >"$work/report"
  status=$?
  [ $status = 1 ] && grep -q '^1 warning(s)\.$' "$work/report" && grep -qF "$expected" "$work/report" ||
    fail "added $added: status $status: $(grep -i warning "$work/report" | head -3)"
done <<'ROWS'
#define O 50 /*o*/\r\n// 1, 0x50000000, 10, 40, 50, 10\r\n|warning: slots 10 and 50: the controls overlap
#define O 50 /*o*/\r\n// 1, 0x50000000, 950, 270, 100, 10\r\n|slot 50: the control reaches outside
#define R 4 /*r*/\r\n// 1, 0x50000000, 20, 73, 180, 16\r\n|slot 4 (repeat) should be an automatic check box (type 1, BS_AUTOCHECKBOX); it is a push button
#define P 35 /*p*/\r\n// 3, 0x50A00000, 20, 90, 690, 265\r\n|slot 35 (playlist) needs LBS_NOTIFY
#define B 1 /*b*/\r\n// 1, 0x40000000, 205, 35, 170, 22\r\n|slot 1 (play) needs WS_CHILD and WS_VISIBLE
#define B 75 /*b*/\r\n// 1, 0x50000000, 0, 0, 1, 1\r\n|1 text definition(s) name a slot outside 0 to 59 (the first: 75); they are ignored, and so are the 1
#define B 8 /*{x}*/\r\n|texts cut short in slot(s) 8
/* tail */\n|1 line(s) end with LF alone
ROWS

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

"$tool" "$work/none.h" >/dev/null 2>"$work/err" && fail "missing file: status 0"
grep -q 'cannot open' "$work/err" || fail "missing file: no message"
"$tool" --dump "$layouts/PELORIX.h" "$work/none.h" >"$work/out" 2>/dev/null && fail "--dump missing file: status 0"
[ -s "$work/out" ] && fail "--dump missing file: printed tables"

[ $failures = 0 ] && echo "all checks passed"
exit $((failures > 0))

#!/usr/bin/env bash
# pelorix-layout.exe under Wine against the native pelorix-layout: the same
# report and status for each shipped file and one with warnings, the same --dump bytes.
# usage: layout_tool_wine.sh WORKROOT WINDOWS_BUILD NATIVE_LAYOUT LAYOUTS
set -u
root=$1 windowsBuild=$2 native=$3 layouts=$4 failures=0
. "$(dirname "$0")/e2e/wineenv.sh"
e2e_require_windows_build "$windowsBuild"
exe=$windowsBuild/tools/pelorix-layout.exe
e2e_require_product "$exe" pelorix-layout.exe
e2e_find_wine
e2e_begin "$root" layout_tool
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cp "$layouts"/PELORIX.h* . || e2e_fail "cannot copy the layout files"
printf '#define X 1 /*x*/\n// 1, 0x50000000, 0, 0, 10, 10\n' >lf-only.h
# Relative names, so both reports name the file alike; the .exe writes text mode (CR LF).
for file in PELORIX.h PELORIX.h01 PELORIX.h02 lf-only.h; do
    "$native" "$file" >"$file.native" 2>&1
    nativeStatus=$?
    e2e_wine "$exe" "$file" 2>&1 | tr -d '\r' >"$file.wine"
    wineStatus=${PIPESTATUS[0]}
    [ $nativeStatus = $wineStatus ] || fail "$file: status $wineStatus under Wine, $nativeStatus natively"
    cmp -s "$file.native" "$file.wine" || fail "$file: the reports differ: $(diff "$file.native" "$file.wine" | head -5)"
done
"$native" --dump PELORIX.h PELORIX.h01 PELORIX.h02 >dump.native || fail "native --dump failed"
e2e_wine "$exe" --dump PELORIX.h PELORIX.h01 PELORIX.h02 >dump.wine || fail "--dump under Wine failed"
cmp dump.native dump.wine || fail "the dumps differ"
[ $failures = 0 ] && echo "pelorix-layout.exe under Wine: reports and dumps as natively"
exit $((failures > 0))

#!/usr/bin/env bash
# pelorix-layout.exe under Wine against the native pelorix-layout: the same
# report and status for each shipped file and one with warnings, the same --dump bytes.
# usage: layout_tool_wine.sh WORKROOT WINDOWS_BUILD NATIVE_LAYOUT LAYOUTS
set -u
root=$1 windowsBuild=$2 native=$3 layouts=$4
. "$(dirname "$0")/e2e/wineenv.sh"
e2e_require_windows_build "$windowsBuild" tools/pelorix-layout.exe
e2e_find_wine
e2e_begin "$root" layout_tool

cp "$layouts"/PELORIX.h* . || e2e_fail "cannot copy the layout files"
printf '#define X 1 /*x*/\n// 1, 0x50000000, 0, 0, 10, 10\n' >lf-only.h
# Relative names, so both reports name the file alike; reports are text (CR LF on Windows), --dump is not.
for arguments in PELORIX.h PELORIX.h01 PELORIX.h02 lf-only.h "--dump PELORIX.h PELORIX.h01 PELORIX.h02"; do
    "$native" $arguments >native.out 2>&1
    nativeStatus=$?
    e2e_wine "$windowsBuild/tools/pelorix-layout.exe" $arguments >wine.out 2>&1
    wineStatus=$?
    [ "${arguments%% *}" = --dump ] || sed -i 's/\r$//' wine.out
    [ $nativeStatus = $wineStatus ] || fail "$arguments: status $wineStatus under Wine, $nativeStatus natively"
    cmp -s native.out wine.out || fail "$arguments: the outputs differ: $(diff native.out wine.out | head -5)"
done
e2e_done "pelorix-layout.exe under Wine: reports and dumps as natively"

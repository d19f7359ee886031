#!/usr/bin/env bash
# ctest's emulator for the Windows tests: runs TEST.exe under Wine in Xvfb, its waveOut captured to files
# (PELORIX_CAPTURE: the first one's Windows path), and returns its status (77: skipped, reason printed).
# usage: winrun.sh WORKROOT TEST.exe [ARGUMENTS...]
set -u
. "$(dirname "$0")/../e2e/wineenv.sh"
root=$1 exe=$2 && shift 2
filter=all
for a; do case $a in --gtest_filter=*) filter=${a#--gtest_filter=} ;; esac; done
e2e_find_wine && e2e_require_xvfb
e2e_begin "$root" "$(basename "$exe" .exe)/$filter"
e2e_start_display && e2e_audio_fast "$E2E_DIR/cap/out.raw"
export PELORIX_CAPTURE=$(e2e_winpath "$E2E_DIR/cap/out.raw")
run() { rm -f cap/out.raw*; e2e_wine "$exe" "$@" 2>stderr.txt; }
run "$@"
status=$?
# Wine's own failures (its loader, its server) report on lines beginning "wine": once more.
if [ $status != 0 ] && grep -q '^wine' stderr.txt; then
    mv stderr.txt stderr-wine.txt && echo "-- Wine itself failed (stderr-wine.txt); once more" && run "$@"
    status=$?
fi
cat stderr.txt >&2
exit $status

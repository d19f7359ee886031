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
# A run that Wine itself failed runs once more; each case deletes the captures it finds as it starts.
e2e_wine_own stderr.txt "$exe" "$@"
status=$?
cat stderr.txt >&2
exit $status

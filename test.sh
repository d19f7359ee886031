#!/usr/bin/env bash
# Sets up, builds both configurations (Windows .exe files with MinGW-w64, then
# the native tools and tests) and runs every test with ctest: the player's
# tests as Windows executables under Wine, then the native ones and the Wine
# end-to-end tests; then the native tests once more, built with
# AddressSanitizer and UndefinedBehaviorSanitizer, and a minute of fuzzing for
# each reader of outside files.
set -eu
cd "$(dirname "$0")"
bash cmake/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows -j2 "$@"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native -j2 "$@"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize -j2 "$@"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz -j2 "$@"

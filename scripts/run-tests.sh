#!/usr/bin/env bash
# Builds and runs every check: the sanitizer build of the tests, a short fuzzing smoke run, and
# the warnings-as-errors debug build of the tests (last, so its summary closes the output).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs="$(nproc)"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan-suppressions.txt" \
    UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$jobs"

if [ -d fuzz ] && [ -n "$(ls fuzz/*.cpp 2>/dev/null)" ]; then
    echo "== fuzzing smoke run"
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz -j "$jobs"
    scripts/fuzz.sh smoke
fi

echo "== debug build, warnings as errors"
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"

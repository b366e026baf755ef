#!/usr/bin/env bash
# Runs every test of ORBELA_XB: the image generator's, the core's (natively,
# with sanitizers, fuzzed, and under Wine with the Windows C runtime) and
# the end-to-end tests of the real window under Wine.
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
fuzz_seconds=${ORBELA_FUZZ_SECONDS:-60}

step() { printf '\n=== %s\n' "$*"; }

step "image generator"
python3 -m unittest discover -s tests/tools -v 2>&1

for preset in linux linux-asan; do
    step "core, native ($preset)"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done

step "core, fuzzed for ${fuzz_seconds} s"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
build/fuzz/tests/fuzz/fuzz_velocity -max_total_time="$fuzz_seconds" -print_final_stats=1 \
    build/fuzz/corpus tests/fuzz/inputs 2>&1 | tail -n 12

step "32-bit product and its release archive"
cmake --preset win32 >/dev/null
cmake --build --preset win32
tools/package.sh
ORBELA_ARCHIVE="build/win32/ORBELA_XB-1.0.0-win32.zip" python3 -m unittest discover -s tests/release -v 2>&1

step "release built twice from clean clones: the same bytes"
python3 tests/release/same_bytes.py

step "Windows tests under Wine"
cmake --preset win64 >/dev/null
cmake --build --preset win64
ctest --preset win64

#!/usr/bin/env bash
# Runs every test of ORBELA_XB: the drawing and icons in res/ against their
# sources; the core's natively, with sanitizers and fuzzed (with and without
# 128-bit integers, the latter the 32-bit product's arithmetic), and under
# Wine on the Windows C runtime as a 32-bit and as a 64-bit program, each
# checking every row of the velocity table; the release archive and the
# same bytes from two clean builds; and the window tests, which drive the
# 32-bit product and the 64-bit build under Wine. Tests of 32-bit programs
# are skipped, and say so, where the machine has no way to run them; the
# route is printed first.
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
fuzz_seconds=${ORBELA_FUZZ_SECONDS:-60}

start=$SECONDS
step() { printf '\n=== %s (at %d s)\n' "$*" $((SECONDS - start)); }

step "art: res/ as res/art/ renders it"
tools/render-art.sh --check

for preset in linux linux-asan linux-asan-noint128; do
    step "core, native ($preset)"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done

step "core, fuzz targets"
fuzz_presets=(fuzz fuzz-noint128)
for preset in "${fuzz_presets[@]}"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

for preset in win32 win64; do
    step "Windows build ($preset)"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

step "release archive"
tools/package.sh
{ read -r archive; read -r sums; } <build/win32/packed.txt
ORBELA_ARCHIVE=$archive ORBELA_SUMS=$sums ORBELA_EXE64=build/win64/ORBELA.exe \
    python3 -m unittest discover -s tests/release -v 2>&1

step "release built twice from clean clones: the same bytes"
tests/release/same_bytes.sh

# The fuzzers run on beside the Wine tests, at a lower priority: those
# leave a core mostly idle, but their timing must not suffer.
fuzzers=()
for preset in "${fuzz_presets[@]}"; do
    nice -n 10 build/$preset/tests/fuzz/fuzz_velocity -max_total_time="$fuzz_seconds" -print_final_stats=1 \
        build/$preset/corpus tests/fuzz/inputs >build/$preset/fuzz.log 2>&1 &
    fuzzers+=($!)
done
trap 'kill "${fuzzers[@]}" 2>/dev/null || true' EXIT

. tools/wine/wine32.sh
route=$(orbela_route32)
step "under Wine: the core as a 32-bit program (32-bit programs: $route)"
ctest --preset win32

step "under Wine: the core as a 64-bit program; the window of the 64-bit build and of the 32-bit product (32-bit programs: $route)"
ctest --preset win64

for i in "${!fuzz_presets[@]}"; do
    preset=${fuzz_presets[$i]}
    step "core, fuzzed for ${fuzz_seconds} s ($preset)"
    wait "${fuzzers[$i]}" || { cat build/$preset/fuzz.log; exit 1; }
    grep -E '^(Done|stat::(number_of_executed_units|new_units_added))' build/$preset/fuzz.log
done

step "all passed"

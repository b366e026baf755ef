#!/usr/bin/env bash
# Runs every test of ORBELA_XB, each a CTest test of one of the presets'
# workflows (configure, build, test; `ctest --preset P -N` lists them):
#
#   linux                the core natively, and res/ against res/art/ (art)
#   linux-asan, linux-asan-noint128
#                        the core with the sanitizers, with and without
#                        128-bit integers (the latter the 32-bit product's)
#   fuzz, fuzz-noint128  the core fuzzed, both ways, beside the others
#   win32, win32-clang   the core as a 32-bit program under Wine, built by
#                        MinGW-w64 GCC and by clang
#   win64, win64-clang   the core as a 64-bit program; the window suites of
#                        the 64-bit build and of the 32-bit product of the
#                        same compiler; with GCC also the release archive
#                        and the same bytes from two clean builds
#
#   tools/test.sh [--require-all]
#
# A test that cannot run here (the 32-bit programs, where no route runs
# them) is skipped and named at the end; with --require-all, or under CI
# (CI=true), it fails instead.
ORBELA_DEPS=install . "$(dirname "${BASH_SOURCE[0]}")/common.sh"
case "${1:-}" in
    "") ;;
    --require-all) export ORBELA_REQUIRE_ALL=1 ;;
    *) echo "usage: $0 [--require-all]" >&2; exit 2 ;;
esac
. tools/wine/wine32.sh

start=$SECONDS
step() { printf '\n=== %s (at %d s)\n' "$*" $((SECONDS - start)); }
logs=build/test-logs
rm -rf "$logs"
mkdir -p "$logs"

workflow() {  # preset: its workflow, its output kept for the summary
    cmake --workflow --preset "$1" 2>&1 | tee "$logs/$1.log"
    return "${PIPESTATUS[0]}"
}

# The fuzzers run beside the rest, at a lower priority.
( for preset in fuzz fuzz-noint128; do nice -n 10 cmake --workflow --preset "$preset" >"$logs/$preset.log" 2>&1 || exit 1; done ) &
fuzzing=$!
trap 'kill "$fuzzing" 2>/dev/null || true' EXIT

route=$(orbela_route32)
for preset in linux linux-asan linux-asan-noint128 win32 win64 win32-clang win64-clang; do
    step "$preset (32-bit programs: $route)"
    workflow "$preset"
done

step "fuzz, fuzz-noint128"
if ! wait "$fuzzing"; then
    cat "$logs/fuzz.log" "$logs/fuzz-noint128.log" 2>/dev/null
    exit 1
fi
for preset in fuzz fuzz-noint128; do
    echo "$preset: $(grep -hE '^[0-9]+: (Done|stat::new_units_added)' "$logs/$preset.log" | sed 's/^[0-9]*: //' | tr -s ' \n' ' ')"
done

skipped=$(grep -h '(Skipped)$' "$logs"/*.log | sed 's/^[[:space:]]*[0-9]* - /  /' || true)
if [ -n "$skipped" ]; then
    step "all that ran passed; skipped, never run:"
    echo "$skipped"
    exit 0
fi
step "all passed, none skipped"

#!/usr/bin/env bash
# Runs every test of ORBELA_XB: the workflow (configure, build, test) of
# each workflow preset of CMakePresets.json, in the file's order, so that
# every check is a CTest test (`ctest --preset P -N` lists them; the
# README's table tells what each preset tests). The fuzzers, the workflows
# named fuzz*, run beside the others at a lower priority.
#
#   tools/test.sh [--require-all]
#   tools/test.sh --list      names the workflows it runs, in turn and beside
#
# A test that cannot run here (the 32-bit programs, where no route runs
# them) is skipped and named at the end; with --require-all, or under CI
# (CI=true), it fails instead.
deps=install
case "${1:-}" in
    "") ;;
    --require-all) export ORBELA_REQUIRE_ALL=1 ;;
    --list) deps=check ;;
    *) echo "usage: $0 [--require-all | --list]" >&2; exit 2 ;;
esac
. "$(dirname "${BASH_SOURCE[0]}")/deps-ready.sh" "$deps"
. tools/wine/wine32.sh

presets=$(cmake --list-presets=workflow)
fuzzers=() others=()
for preset in $(sed -n 's/^ *"\([^"]*\)".*/\1/p' <<<"$presets"); do
    case $preset in
        fuzz*) fuzzers+=("$preset") ;;
        *) others+=("$preset") ;;
    esac
done
if [ "${1:-}" = --list ]; then
    echo "in turn: ${others[*]}"
    echo "beside:  ${fuzzers[*]}"
    exit 0
fi

start=$SECONDS
step() { printf '\n=== %s (at %d s)\n' "$*" $((SECONDS - start)); }
logs=build/test-logs
rm -rf "$logs"
mkdir -p "$logs"

workflow() {  # preset: its workflow, its output kept for the summary
    cmake --workflow --preset "$1" 2>&1 | tee "$logs/$1.log"
    return "${PIPESTATUS[0]}"
}

( for preset in "${fuzzers[@]}"; do nice -n 10 cmake --workflow --preset "$preset" >"$logs/$preset.log" 2>&1 || exit 1; done ) &
fuzzing=$!
trap 'kill "$fuzzing" 2>/dev/null || true' EXIT

route=$(orbela_route32)
for preset in "${others[@]}"; do
    step "$preset (32-bit programs: $route)"
    workflow "$preset"
done

step "${fuzzers[*]}"
if ! wait "$fuzzing"; then
    for preset in "${fuzzers[@]}"; do cat "$logs/$preset.log" 2>/dev/null; done
    exit 1
fi
for preset in "${fuzzers[@]}"; do
    echo "$preset: $(grep -hE '^[0-9]+: (Done|stat::new_units_added)' "$logs/$preset.log" | sed 's/^[0-9]*: //' | tr -s ' \n' ' ')"
done

skipped=$(grep -h '(Skipped)$' "$logs"/*.log | sed 's/^[[:space:]]*[0-9]* - /  /' || true)
if [ -n "$skipped" ]; then
    step "all that ran passed; skipped, never run:"
    echo "$skipped"
    exit 0
fi
step "all passed, none skipped"

#!/usr/bin/env bash
# `make test`: runs the three parts of the full check one after the other (the full build's
# tests, the engine tests under AddressSanitizer and UndefinedBehaviorSanitizer, a short run of
# the fuzzers), keeps going when one fails, and ends with one summary of all three. Each part's
# whole output is kept in a log file that the summary names; the fuzzers' progress goes only
# there. Exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build}
BUILD_ASAN=${BUILD_ASAN:-build-asan}
BUILD_FUZZ=${BUILD_FUZZ:-build-fuzz}
MAKE=${MAKE:-make}
logs=test-logs
mkdir -p "$logs"

# Runs one make target with its output both shown and logged; returns its exit status.
run_part() {
    local target=$1 log=$2
    echo "=== make $target (log: $log) ==="
    $MAKE --no-print-directory "$target" 2>&1 | tee "$log"
    return "${PIPESTATUS[0]}"
}

# "N passed, M failed" of a ctest run from its log; a run that did not get to its tests (a
# build error) counts as one failure.
ctest_counts() {
    local log=$1 status=$2 line
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$line" ]; then
        echo "0 1 did not run (exit status $status)"
        return
    fi
    local failed total
    failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
    echo "$((total - failed)) $failed $total tests"
}

run_part test-main "$logs/test-main.log"; main_status=$?
run_part test-sanitize "$logs/test-sanitize.log"; asan_status=$?
echo "=== make fuzz-smoke (progress in $BUILD_FUZZ/fuzz.log) ==="
$MAKE --no-print-directory fuzz-smoke >"$logs/fuzz-build.log" 2>&1; fuzz_status=$?
if [ "$fuzz_status" -ne 0 ]; then
    tail -n 60 "$logs/fuzz-build.log"
    [ -f "$BUILD_FUZZ/fuzz.log" ] && tail -n 60 "$BUILD_FUZZ/fuzz.log"
fi

read -r main_pass main_fail main_rest <<<"$(ctest_counts "$logs/test-main.log" "$main_status")"
read -r asan_pass asan_fail asan_rest <<<"$(ctest_counts "$logs/test-sanitize.log" "$asan_status")"
fuzz_runs=0
if [ -f "$BUILD_FUZZ/fuzz.log" ]; then
    fuzz_runs=$(grep -E '^Done [0-9]+ runs' "$BUILD_FUZZ/fuzz.log" | awk '{s += $2} END {print s + 0}')
fi
if [ "$fuzz_status" -eq 0 ]; then fuzz_pass=1 fuzz_fail=0 fuzz_word="no crash"; else fuzz_pass=0 fuzz_fail=1 fuzz_word="FAILED"; fi

echo
echo "=== Summary ==="
printf '%-16s %s passed, %s failed (%s; log %s)\n' "Full build:" "$main_pass" "$main_fail" "$main_rest" "$logs/test-main.log"
printf '%-16s %s passed, %s failed (%s; log %s)\n' "Sanitizers:" "$asan_pass" "$asan_fail" "$asan_rest" "$logs/test-sanitize.log"
printf '%-16s %s runs, %s (log %s)\n' "Fuzzers:" "$fuzz_runs" "$fuzz_word" "$BUILD_FUZZ/fuzz.log"
passed=$((main_pass + asan_pass + fuzz_pass))
failed=$((main_fail + asan_fail + fuzz_fail))
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Builds and runs the whole test suite from nothing: installs missing packages, then
# for each preset configures, builds and runs CTest. Every stage runs even when an
# earlier one failed (a stage whose build failed skips its tests); the script exits
# non-zero when any stage failed.
#
# Each stage's whole output goes to build/test-logs/<stage>.log; the terminal gets one
# line per stage (result, time, its tests, and the log of a stage that failed) and a
# last line adding up the tests of every stage. VELLUM_TEST_STAGES="a b ..." runs only
# the stages named, in the order of STAGES; a prerequisite that is not among them is
# taken as done. Without it, every stage runs.
#
# To add a stage: write a function stage_<name> and add <name> to STAGES.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

JOBS="$(nproc)"

STAGES=(
    deps
    default-build
    default-test
    asan-build
    asan-test
    tsan-build
    tsan-test
    fuzz-build
    fuzz-run
    memcheck
    win32-deps
    win32-build
    win32-test
    win32-host
)

stage_deps() { ./scripts/deps.sh; }

build_preset() {
    cmake --preset "$1" && cmake --build --preset "$1" -j "$JOBS"
}

test_preset() {
    ctest --preset "$1" -j "$JOBS"
}

stage_default-build() { build_preset default; }
stage_default-test() { test_preset default; }

# AddressSanitizer and UndefinedBehaviorSanitizer, leak checking on.
stage_asan-build() { build_preset asan; }
stage_asan-test() { test_preset asan; }

# ThreadSanitizer over the reliability tests (the concurrency tests among them).
stage_tsan-build() { build_preset tsan; }
stage_tsan-test() { test_preset tsan; }

# The libFuzzer harness (clang, ASan+UBSan), fuzzed for a minute from the seed corpus.
stage_fuzz-build() { build_preset fuzz; }
stage_fuzz-run() { ./scripts/fuzz.sh 60; }

# The host-level tests of the default build under valgrind's memcheck.
stage_memcheck() { ./scripts/memcheck.sh build/default; }

# The 32-bit Windows DLL and its tests, run under Wine (scripts/wine-run.sh): the
# suites, the plain-C client and the export check, then vellum-host.exe's small site.
stage_win32-deps() { ./scripts/deps.sh --win32; }
stage_win32-build() { build_preset win32; }
# One Windows program at a time: two under Wine on qemu at once have hung.
stage_win32-test() { ctest --preset win32 -E vellum_host_small_site; }
stage_win32-host() { ctest --preset win32 -R vellum_host_small_site; }

# A test stage runs only when its build stage passed.
declare -A RESULT=()
prerequisite_of() {
    case "$1" in
        *-test) echo "${1%-test}-build" ;;
        default-build | asan-build) echo deps ;;
        tsan-build | fuzz-build) echo deps ;;
        fuzz-run) echo fuzz-build ;;
        memcheck) echo default-build ;;
        win32-build) echo win32-deps ;;
        win32-host) echo win32-build ;;
        *) echo "" ;;
    esac
}

LOG_DIR=build/test-logs

# "PASSED FAILED" for the tests in a stage's log: CTest's summary when there is one (a
# failed test's own GoogleTest output comes before it), else GoogleTest's summaries;
# nothing when the stage ran no tests.
count_tests() {
    local log="$1" summary
    summary="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)"
    if [[ -n "$summary" ]]; then
        sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2 \1/' <<<"$summary" |
            awk '{ print $1 - $2, $2 }'
        return
    fi
    grep -qE '^\[==========\] [0-9]+ tests? from .* ran\.' "$log" || return 0
    awk '/^\[  PASSED  \] [0-9]+ tests?\./ { passed += $4 }
         /^\[  FAILED  \] [0-9]+ tests?, listed below/ { failed += $4 }
         END { print passed + 0, failed + 0 }' "$log"
}

selected=("${STAGES[@]}")
if [[ -n "${VELLUM_TEST_STAGES:-}" ]]; then
    selected=()
    for stage in ${VELLUM_TEST_STAGES//,/ }; do
        if ! declare -F "stage_$stage" >/dev/null; then
            echo "test.sh: no stage \"$stage\"; the stages are: ${STAGES[*]}" >&2
            exit 2
        fi
    done
    for stage in "${STAGES[@]}"; do
        [[ " ${VELLUM_TEST_STAGES//,/ } " == *" $stage "* ]] && selected+=("$stage")
    done
fi

mkdir -p "$LOG_DIR"
failed=0
tests_passed=0
tests_failed=0
total=${#selected[@]}
index=0
for stage in "${selected[@]}"; do
    index=$((index + 1))
    log="$LOG_DIR/$stage.log"
    rm -f "$log"
    printf '[%d/%d] %-14s ' "$index" "$total" "$stage"
    needed="$(prerequisite_of "$stage")"
    if [[ -n "$needed" && -n "${RESULT[$needed]:-}" && "${RESULT[$needed]}" != PASS ]]; then
        RESULT[$stage]=SKIP
        failed=1
        tests_failed=$((tests_failed + 1))
        echo "SKIP  ($needed did not pass)"
        continue
    fi
    started=$SECONDS
    if "stage_$stage" >"$log" 2>&1 </dev/null; then
        RESULT[$stage]=PASS
    else
        RESULT[$stage]=FAIL
        failed=1
    fi
    counts="$(count_tests "$log")"
    if [[ -n "$counts" ]]; then
        read -r passed_here failed_here <<<"$counts"
        # A stage that failed with every test passed (a leak, a crash after the tests)
        # counts its own failure.
        [[ ${RESULT[$stage]} == FAIL && $failed_here -eq 0 ]] && failed_here=1
        tests="$passed_here passed, $failed_here failed"
    else
        # A stage that runs no tests counts as one.
        passed_here=0
        failed_here=0
        [[ ${RESULT[$stage]} == PASS ]] && passed_here=1 || failed_here=1
        tests=""
    fi
    tests_passed=$((tests_passed + passed_here))
    tests_failed=$((tests_failed + failed_here))
    line="$(printf '%-4s %5d s' "${RESULT[$stage]}" $((SECONDS - started)))"
    [[ -n "$tests" ]] && line+="   $tests"
    [[ ${RESULT[$stage]} == FAIL ]] && line+="   log: $log"
    echo "$line"
done

echo "$tests_passed passed, $tests_failed failed"
exit "$failed"

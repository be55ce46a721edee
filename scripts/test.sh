#!/usr/bin/env bash
# Builds and runs the whole test suite from nothing: installs missing packages, then
# for each preset configures, builds and runs CTest. Every stage runs even when an
# earlier one failed (a stage whose build failed skips its tests); the script exits
# non-zero when any stage failed.
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

# A test stage runs only when its build stage passed.
declare -A RESULT=()
prerequisite_of() {
    case "$1" in
        *-test) echo "${1%-test}-build" ;;
        default-build | asan-build) echo deps ;;
        tsan-build | fuzz-build) echo deps ;;
        fuzz-run) echo fuzz-build ;;
        memcheck) echo default-build ;;
        *) echo "" ;;
    esac
}

failed=0
total=${#STAGES[@]}
index=0
for stage in "${STAGES[@]}"; do
    index=$((index + 1))
    echo
    echo "==================== [$index/$total] $stage ===================="
    needed="$(prerequisite_of "$stage")"
    if [[ -n "$needed" && "${RESULT[$needed]:-}" != PASS ]]; then
        echo "skipped: $needed did not pass"
        RESULT[$stage]=SKIP
        failed=1
        continue
    fi
    started=$SECONDS
    if "stage_$stage"; then
        RESULT[$stage]=PASS
    else
        RESULT[$stage]=FAIL
        failed=1
    fi
    echo "---- $stage: ${RESULT[$stage]} ($((SECONDS - started)) s)"
done

echo
echo "==================== summary ===================="
for stage in "${STAGES[@]}"; do
    printf '%-16s %s\n' "$stage" "${RESULT[$stage]}"
done
if [[ $failed -ne 0 ]]; then
    echo "test.sh: FAILED"
    exit 1
fi
echo "test.sh: all stages passed"

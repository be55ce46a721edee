#!/usr/bin/env bash
# Runs the libFuzzer harness that the fuzz preset builds, for a bounded time, from the
# seed corpus in fuzz/corpus/ (which it never changes). Fails on any finding: a crash,
# a sanitizer report, a leak, a timeout, running out of memory, or an answer that
# breaks the interface's rules. A finding is left in build/fuzz/findings/.
#
#   scripts/fuzz.sh [seconds]        (default 60)
#   build/fuzz/fuzz/vellum_fuzz FILE  replays one input
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

duration="${1:-60}"
build=build/fuzz
fuzzer="$build/fuzz/vellum_fuzz"
work="$build/corpus"        # inputs this run finds; starts empty each run
findings="$build/findings"

rm -rf "$work" "$findings"
mkdir -p "$work" "$findings" "$build/tmp"
# Every input makes and removes a scratch file: in memory when the machine allows.
scratch="$build/tmp"
[[ -d /dev/shm && -w /dev/shm ]] && scratch=/dev/shm
if ! TMPDIR="$scratch" "$fuzzer" -max_total_time="$duration" -max_len=8192 -timeout=10 \
        -rss_limit_mb=2048 -dict=fuzz/vellum.dict -artifact_prefix="$findings/" \
        -print_final_stats=1 "$work" fuzz/corpus; then
    echo "fuzz: finding(s) in $findings:" >&2
    ls -l "$findings" >&2
    echo "fuzz: replay one with: $fuzzer FILE" >&2
    exit 1
fi
echo "fuzz: no finding in ${duration} s; seed corpus $(ls fuzz/corpus | wc -l) inputs," \
     "$(ls "$work" | wc -l) new ones found"

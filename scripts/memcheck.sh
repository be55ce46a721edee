#!/usr/bin/env bash
# Runs the host-level tests, which load the built module as the client does, under
# valgrind's memcheck. Any invalid read or write, use of uninitialised memory, or
# memory lost (definitely, indirectly or possibly) fails the run.
#
#   scripts/memcheck.sh [build directory]   (default build/default)
#
# The host test program replaces the global operator new and delete (to watch the
# module release the records it hands out); somalloc=nouserintercepts keeps valgrind
# from replacing them in turn. They allocate with malloc and free, which memcheck
# still tracks. No suppression file is needed: what stays reachable at exit is the
# dynamic loader's record of the module, which stays loaded until the process ends.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

build="${1:-build/default}"
exec valgrind --tool=memcheck --error-exitcode=99 --soname-synonyms=somalloc=nouserintercepts \
    --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes \
    "$build/tests/vellum_host_tests"

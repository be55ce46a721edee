#!/usr/bin/env bash
# Checks that the Debian packages needed to build and test Vellum are installed.
# As root it installs the missing ones (and compiles a Latin-1 locale for the code-page
# tests); otherwise, or with --check, it only names them and fails.
set -euo pipefail

check_only=0
case "${1:-}" in
    --check) check_only=1 ;;
    "") ;;
    *)
        echo "usage: deps.sh [--check]" >&2
        exit 2
        ;;
esac

PACKAGES=(
    cmake
    g++
    make
    pkg-config
    libsqlite3-dev
    libsodium-dev
    libinih-dev
    nlohmann-json3-dev
    googletest
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    clang              # the fuzz preset: libFuzzer harness
    libclang-rt-14-dev # libFuzzer and clang's sanitizer runtimes
    valgrind           # the memcheck stage
)

is_installed() {
    [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" == "install ok installed" ]]
}

# The code-page tests need a legacy single-byte locale; a fresh machine has only C and
# C.UTF-8. As root, compile one from the locales package's sources (a no-op when present).
ensure_latin1_locale() {
    locale -a 2>/dev/null | grep -qi '^en_US\.iso88591$' && return 0
    [[ "$(id -u)" -eq 0 && $check_only -eq 0 ]] || return 0
    command -v localedef >/dev/null || return 0
    localedef -i en_US -f ISO-8859-1 en_US.ISO-8859-1 2>/dev/null ||
        echo "deps: could not build the en_US.ISO-8859-1 locale; its tests will skip" >&2
}
trap ensure_latin1_locale EXIT

missing=()
for package in "${PACKAGES[@]}"; do
    is_installed "$package" || missing+=("$package")
done

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "deps: all ${#PACKAGES[@]} packages are installed"
    exit 0
fi

if [[ "$(id -u)" -ne 0 || $check_only -eq 1 ]]; then
    echo "deps: missing packages: ${missing[*]}" >&2
    echo "deps: install them as root with:" >&2
    echo "    apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
fi

echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The package lists of a fresh machine may be stale or absent; a mirror may hiccup.
for attempt in 1 2 3; do
    if apt-get update -q && apt-get install -y -q --no-install-recommends "${missing[@]}"; then
        break
    fi
    if [[ $attempt -eq 3 ]]; then
        echo "deps: apt-get failed three times" >&2
        exit 1
    fi
    echo "deps: apt-get failed, retrying in $((attempt * 10)) s" >&2
    sleep $((attempt * 10))
done

still_missing=()
for package in "${missing[@]}"; do
    is_installed "$package" || still_missing+=("$package")
done
if [[ ${#still_missing[@]} -ne 0 ]]; then
    echo "deps: still missing after install: ${still_missing[*]}" >&2
    exit 1
fi
echo "deps: installed ${missing[*]}"

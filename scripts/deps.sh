#!/usr/bin/env bash
# Checks that the Debian packages needed to build and test Vellum are installed.
# As root it installs the missing ones (and compiles a Latin-1 locale for the code-page
# tests); otherwise, or with --check, it only names what is missing and fails.
#
# --win32 adds the Windows build: the MinGW cross compiler, Wine, qemu's user-mode
# emulator where the kernel cannot run Wine's 32-bit loader, and, once and cached,
# SQLite and libsodium built for the target (scripts/win32-deps.sh).
#
#   deps.sh [--check] [--win32]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

check_only=0
win32=0
for argument in "$@"; do
    case "$argument" in
        --check) check_only=1 ;;
        --win32) win32=1 ;;
        *)
            echo "usage: deps.sh [--check] [--win32]" >&2
            exit 2
            ;;
    esac
done

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
# The win32 preset: the cross compiler, Wine to run what it builds, and the tools that
# build SQLite and libsodium from Debian's source packages.
WIN32_PACKAGES=(
    g++-mingw-w64-i686-posix
    gcc-mingw-w64-i686-posix
    wine
    wine32:i386
    wine64
    qemu-user-static # runs Wine's 32-bit loader where the kernel cannot
    dpkg-dev
    tcl
    autoconf
    automake
    libtool
)
[[ $win32 -eq 1 ]] && PACKAGES+=("${WIN32_PACKAGES[@]}")

is_root_installing() { [[ "$(id -u)" -eq 0 && $check_only -eq 0 ]]; }

is_installed() {
    [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" == "install ok installed" ]]
}

# The code-page tests need a legacy single-byte locale; a fresh machine has only C and
# C.UTF-8. As root, compile one from the locales package's sources (a no-op when present).
ensure_latin1_locale() {
    locale -a 2>/dev/null | grep -qi '^en_US\.iso88591$' && return 0
    is_root_installing || return 0
    command -v localedef >/dev/null || return 0
    localedef -i en_US -f ISO-8859-1 en_US.ISO-8859-1 2>/dev/null ||
        echo "deps: could not build the en_US.ISO-8859-1 locale; its tests will skip" >&2
}

# Wine's loader for 32-bit programs is itself a 32-bit Linux program. A kernel built
# without 32-bit support (some virtual machines) refuses it with "Exec format error":
# there, as root, hand 32-bit programs to qemu's user-mode emulator through binfmt_misc.
# The registration lasts until the machine restarts.
ensure_32bit_programs_run() {
    local loader=/usr/lib/wine/wine emulator=/usr/bin/qemu-i386-static
    local binfmt=/proc/sys/fs/binfmt_misc
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    [[ -x "$loader" && -x "$emulator" ]] || return 0
    "$loader" --version >/dev/null 2>&1 && return 0
    is_root_installing || return 0
    [[ -e "$binfmt/register" ]] || mount -t binfmt_misc binfmt_misc "$binfmt" || true
    [[ -e "$binfmt/qemu-i386" ]] ||
        printf '%s' ":qemu-i386:M::$magic:$mask:$emulator:F" >"$binfmt/register" || true
    if "$loader" --version >/dev/null 2>&1; then
        echo "deps: 32-bit programs run through $emulator"
    else
        echo "deps: 32-bit programs cannot run here; the win32 tests will fail" >&2
    fi
}

# wine32 is an i386 package: the architecture must be known before apt-get update.
if [[ $win32 -eq 1 ]] && is_root_installing &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

missing=()
for package in "${PACKAGES[@]}"; do
    is_installed "$package" || missing+=("$package")
done

if [[ ${#missing[@]} -ne 0 ]]; then
    if ! is_root_installing; then
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
else
    echo "deps: all ${#PACKAGES[@]} packages are installed"
fi

ensure_latin1_locale
if [[ $win32 -eq 1 && $check_only -eq 0 ]]; then
    ensure_32bit_programs_run
    ./scripts/win32-deps.sh
fi

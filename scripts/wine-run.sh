#!/usr/bin/env bash
# Runs a Windows program under Wine, in the project's own prefix (build/win32/wine
# unless WINEPREFIX says otherwise). The prefix is made by the first run, once, even
# when several runs start together; Wine's own chatter is silenced.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/win32/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko setup; no debugger started on a crash (under qemu winedbg takes
# many minutes to give up, and the crash is reported as a failed run anyway).
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
# 32-bit Windows programs need Wine's 32-bit loader, a 32-bit Linux program.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "wine-run: Wine's 32-bit loader does not start here (does the kernel run 32-bit" \
        "programs?); cannot run $1" >&2
    exit 1
fi
# Where qemu's user-mode emulator runs the loader (see deps.sh), a Windows program with
# several threads crashes at random, whatever it does, and two programs at once have
# hung; tests that need threads or a second program read this and skip.
if [[ -f /proc/sys/fs/binfmt_misc/qemu-i386 ]] &&
    grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then
    export VELLUM_WINE_EMULATED=1
fi
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    flock "$WINEPREFIX/.boot.lock" bash -c \
        '[[ -f "$WINEPREFIX/system.reg" ]] || wineboot --init >/dev/null 2>&1; wineserver --wait'
fi
exec wine "$@"

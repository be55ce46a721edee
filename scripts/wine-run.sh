#!/usr/bin/env bash
# Runs a Windows program under Wine, in the project's own prefix (build/win32/wine
# unless WINEPREFIX says otherwise). The prefix is made by the first run, once, even
# when several runs start together; Wine's own chatter is silenced.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/win32/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"  # no Mono or Gecko setup
# 32-bit Windows programs need Wine's 32-bit loader, a 32-bit Linux program.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "wine-run: Wine's 32-bit loader does not start here (does the kernel run 32-bit" \
        "programs?); cannot run $1" >&2
    exit 1
fi
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    flock "$WINEPREFIX/.boot.lock" bash -c \
        '[[ -f "$WINEPREFIX/system.reg" ]] || wineboot --init >/dev/null 2>&1; wineserver --wait'
fi
exec wine "$@"

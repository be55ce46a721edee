#!/usr/bin/env bash
# Builds the module and vellum-host (preset "default") and runs the host against the
# freshly built module. Arguments are passed to vellum-host unchanged.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

./scripts/deps.sh >&2
jobs="$(nproc)"
cmake --preset default >&2
cmake --build --preset default --target vellum vellum-host -j "$jobs" >&2
exec ./build/default/tools/vellum-host/vellum-host "$@"

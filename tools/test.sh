#!/usr/bin/env bash
# Builds KIVO (installing what it needs) and runs every test through ctest; ends with the share of
# test lines against code lines.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
status=0
(cd build && ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@") || status=$?
if [[ -x /work/shared/tools/test-ratio.sh ]]; then
    /work/shared/tools/test-ratio.sh || true
fi
exit "$status"

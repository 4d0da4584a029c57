#!/usr/bin/env bash
# Builds KIVO (installing what it needs) and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cd build
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@"

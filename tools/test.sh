#!/usr/bin/env bash
# Builds KIVO (installing what it needs) and runs every test through ctest; ends with the share of
# test lines against code lines.
#   tools/test.sh [ctest options...]             the normal build in build/
#   tools/test.sh --sanitize [ctest options...]  a second build in build-asan/ with
#       AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, the suite run there; a
#       report fails its test. Reports from inside third-party libraries that we cannot mend
#       are suppressed in tools/sanitizers/, one reason per line. CI runs it with
#       `-LE display` (see .ci/run).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
root=$(pwd)

ratio() {
    local tool=$root/../shared/tools/test-ratio.sh
    [[ -x $tool ]] || tool=/work/shared/tools/test-ratio.sh
    if [[ -x $tool ]]; then
        (cd "$root" && "$tool") || true
    fi
}

status=0
if [[ "${1:-}" != --sanitize ]]; then
    (cd build && ctest --output-on-failure -j "$jobs" "$@") || status=$?
    ratio
    exit "$status"
fi
shift

flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-asan -j "$jobs"

suppressions=$root/tools/sanitizers
# detect_leaks: leaks are reports like any other. The GL driver (Mesa) and X libraries are
# loaded and unloaded by Ogre's plug-ins: their leak reports are suppressed in lsan.supp.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$suppressions/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="suppressions=$suppressions/ubsan.supp:print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
(cd build-asan && ctest --output-on-failure -j "$jobs" "$@") || status=$?
ratio
exit "$status"

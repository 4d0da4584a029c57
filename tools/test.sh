#!/usr/bin/env bash
# Builds KIVO (installing what it needs) and runs every test through ctest; ends with the share of
# test lines against code lines.
#   tools/test.sh [ctest options...]             the normal build in build/
#   tools/test.sh --sanitize [ctest options...]  a second build in build-asan/ with
#       AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, the suite run there; a
#       report fails the run. Reports from inside third-party libraries that we cannot mend
#       are suppressed in tools/sanitizers/, one reason per line. CI runs both.
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
# Every program keeps the libraries it opens at run time until it ends (see keep_loaded.cpp),
# and Ogre decodes images with FreeImage (its STBI codec frees malloc'ed pixels with delete[]).
mkdir -p build-asan
keep_loaded=$root/build-asan/keep_loaded.o
if [[ ! -f $keep_loaded || tools/sanitizers/keep_loaded.cpp -nt $keep_loaded ]]; then
    g++ -O1 -c -fPIC tools/sanitizers/keep_loaded.cpp -o "$keep_loaded"
fi
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined $keep_loaded" \
    -DKIVO_IMAGE_CODEC=Codec_FreeImage >/dev/null
cmake --build build-asan -j "$jobs"

suppressions=$root/tools/sanitizers
# detect_leaks: leaks are reports like any other; what third-party code loses is suppressed in
# lsan.supp, one reason per line.
# Every AddressSanitizer and LeakSanitizer report goes to a file of its own (program name and
# process id): a program that a script starts, stops or kills still leaves its report, and any
# report fails the run. UndefinedBehaviorSanitizer ignores log_path here: its reports go to the
# test's output, and halt_on_error ends the program that made one.
reports=$root/build-asan/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
log="log_path=$reports/report:log_exe_name=1"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0:$log${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$suppressions/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="suppressions=$suppressions/ubsan.supp:print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
(cd build-asan && ctest --output-on-failure -j "$jobs" "$@") || status=$?
mapfile -t found < <(find "$reports" -type f | sort)
for report in "${found[@]}"; do
    echo "=== sanitizer report ${report#"$reports"/}"
    cat "$report"
done
if ((${#found[@]} > 0)); then
    echo "${#found[@]} sanitizer report(s); they are kept in $reports" >&2
    status=1
fi
ratio
exit "$status"

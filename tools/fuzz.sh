#!/usr/bin/env bash
# Builds one libFuzzer target of tests/fuzz/ (clang-14; fuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs it for a number of seconds on a copy of its
# seed corpus. New inputs that grow coverage stay in build-fuzz/corpus/TARGET; crashes are written
# to build-fuzz/findings/TARGET/.
#   tools/fuzz.sh TARGET SECONDS [libFuzzer options...]
# TARGET is the name of a file tests/fuzz/TARGET.cpp; adding such a file adds a target.
set -euo pipefail
cd "$(dirname "$0")/.."
if (($# < 2)); then
    echo "usage: $0 TARGET SECONDS [libFuzzer options...]" >&2
    echo "targets: $(cd tests/fuzz && ls ./*.cpp | sed 's|^\./||; s|\.cpp$||' | tr '\n' ' ')" >&2
    exit 2
fi
target=$1
seconds=$2
shift 2
[[ -f tests/fuzz/$target.cpp ]] || { echo "no tests/fuzz/$target.cpp" >&2; exit 2; }
command -v clang++-14 >/dev/null || { echo "clang++-14 is needed (apt-get install clang-14)" >&2; exit 1; }

build=build-fuzz
flags="-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined"
flags+=" -fno-sanitize-recover=undefined"
cmake -S . -B "$build" -DKIVO_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "fuzz_$target"

corpus=$build/corpus/$target
findings=$build/findings/$target
mkdir -p "$corpus" "$findings"
seeds=tests/fuzz/corpus/$target
[[ -d $seeds ]] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
# The targets work in a scratch folder of their own; tmpfs keeps file writes cheap.
scratch=$(mktemp -d "${TMPDIR:-/dev/shm}/kivo-fuzz-$target-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
abs_build=$(cd "$build" && pwd)
cd "$scratch"
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} \
    "$abs_build/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$abs_build/findings/$target/" "$@" "$abs_build/corpus/$target"

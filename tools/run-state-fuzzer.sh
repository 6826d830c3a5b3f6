#!/usr/bin/env bash
# Fuzzes the saved-state restore open-ended under AddressSanitizer and UndefinedBehaviorSanitizer:
#   tools/run-state-fuzzer.sh [SECONDS [JOBS]]     (default: an hour, one job per core but one)
# It starts from the kept inputs in tests/fuzz/corpus and those of earlier runs in build/fuzz/corpus,
# where the inputs it adds go too; an input that fails is written to build/fuzz/artefacts, which
# holds this run's findings only. The run ends with the fuzzer's figures and fails when anything
# was found.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-3600}"
jobs="${2:-$(( $(nproc) > 1 ? $(nproc) - 1 : 1 ))}"

tools/install-dependencies.sh

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    -DSELVANDRINE_SANITIZERS=address,undefined -DSELVANDRINE_FUZZING=ON
cmake --build build/fuzz --target SelvandrineStateFuzzer

rm -rf build/fuzz/artefacts
mkdir -p build/fuzz/corpus build/fuzz/artefacts
export UBSAN_OPTIONS=print_stacktrace=1
build/fuzz/SelvandrineStateFuzzer -fork="$jobs" -ignore_crashes=1 -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=4096 -artifact_prefix=build/fuzz/artefacts/ build/fuzz/corpus tests/fuzz/corpus 2>&1 \
    | grep --line-buffered -E "^(#[0-9]+:|INFO: fuzzed|INFO: exiting|INFO: -fork|==[0-9]+==ERROR|SUMMARY)" || true

found=$(find build/fuzz/artefacts -type f | wc -l)
echo "inputs in build/fuzz/corpus: $(find build/fuzz/corpus -type f | wc -l); findings in build/fuzz/artefacts: $found"
[ "$found" -eq 0 ]

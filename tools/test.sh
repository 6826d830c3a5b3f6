#!/usr/bin/env bash
# Builds the plug-in and its tests from scratch three ways and runs each build's tests:
#   build/asan   clang, AddressSanitizer and UndefinedBehaviorSanitizer: the unit, threading and
#                host tests, and the state fuzzer for a bounded time
#   build/tsan   clang, ThreadSanitizer: the threading tests
#   build/tests  the shipping compiler and flags: every test, the real-time test included
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-dependencies.sh

rm -rf build/asan build/tsan build/tests

export UBSAN_OPTIONS=print_stacktrace=1

# The editors under test ask the maker's address for the newest version as they open; here that is
# a loopback port where nothing listens, so they are refused at once and nothing leaves the machine.
# The scheme stays the shipped one.
website=-DSELVANDRINE_WEBSITE=https://127.0.0.1:9

stage_start=$SECONDS
stage_done()
{
    echo "== $1: $((SECONDS - stage_start)) s"
    stage_start=$SECONDS
}

# Tests that open windows or run the message loop need a display.
run_tests()
{
    if [ -z "${DISPLAY:-}" ]; then
        xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$1" --output-on-failure -j 4
    else
        ctest --test-dir "$1" --output-on-failure -j 4
    fi
}

CC=clang CXX=clang++ cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON "$website" \
    -DSELVANDRINE_SANITIZERS=address,undefined -DSELVANDRINE_FUZZING=ON
cmake --build build/asan -j 6 --target SelvandrineTests SelvandrineThreadingTests SelvandrineHostTests SelvandrineLilvHostTests \
    SelvandrineLv2InstanceTests SelvandrineStateFuzzer \
    SelvandrineCompressor_Standalone
stage_done "ASan and UBSan build"

CC=clang CXX=clang++ cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON "$website" \
    -DSELVANDRINE_SANITIZERS=thread
cmake --build build/tsan -j 6 --target SelvandrineThreadingTests
stage_done "TSan build"

cmake -S . -B build/tests -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON "$website"
cmake --build build/tests -j 6
stage_done "plain build"

run_tests build/asan
stage_done "ASan and UBSan tests"

run_tests build/tsan
stage_done "TSan tests"

run_tests build/tests

#!/usr/bin/env bash
# Builds the plug-in and its tests from scratch and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-dependencies.sh

rm -rf build/tests
cmake -S . -B build/tests -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON
cmake --build build/tests

# Tests that open windows or run the message loop need a display.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build/tests --output-on-failure
fi
ctest --test-dir build/tests --output-on-failure

#!/usr/bin/env bash
# Installs Debian's compressor plug-ins that the host benchmark compares against, builds it in
# Release and prints its table. Arguments go to the benchmark, e.g. --passes 9 or --list.
# Run by hand only; CI builds the benchmark but does not run it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-dependencies.sh x42-plugins lsp-plugins-lv2 calf-plugins zam-plugins

cmake -S . -B build/host-benchmark -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build/host-benchmark --target SelvandrineHostBenchmark

exec build/host-benchmark/SelvandrineHostBenchmark_artefacts/Release/SelvandrineHostBenchmark "$@"

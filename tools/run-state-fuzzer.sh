#!/usr/bin/env bash
# Runs the state fuzzer for a bounded time from the kept corpus; new inputs stay in a scratch
# folder, and anything that fails is left in the artefact folder to be kept in the corpus.
set -euo pipefail
fuzzer="$1"
corpus="$2"
seconds="${3:-60}"
artefacts="${4:-$PWD/fuzz-artefacts}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$corpus"/* "$scratch"/
mkdir -p "$artefacts"

# With pipefail the fuzzer's failure is the script's, whatever the filter finds.
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
          -artifact_prefix="$artefacts/" "$scratch" 2>&1 \
    | { grep -E "^(INFO: seed corpus|stat::|==[0-9]+==|SUMMARY|Test unit written|#[0-9]+ +DONE)" || true; }

#!/usr/bin/env bash
# The test suite's fuzzing stage: every kept input, then a fixed number of mutations from a fixed
# seed, so that one commit always gives one result. New inputs stay in a scratch folder; anything
# that fails is left in the artefact folder, to be kept in the corpus once mended.
set -euo pipefail
fuzzer="$1"
corpus="$2"
runs="$3"
artefacts="$4"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$corpus"/* "$scratch"/
mkdir -p "$artefacts"

# A run repeats itself only where addresses do (the sanitizers' caches are keyed by them) and
# where the fuzzer does not look for inputs added meanwhile, which it does on a clock. Where address
# randomisation cannot be turned off (container runtimes refuse it by default), the same inputs
# run anyway.
fixed_addresses=(setarch "$(uname -m)" -R)
if ! "${fixed_addresses[@]}" true 2> /dev/null; then
    echo "setarch -R is refused here: the fuzzer runs with random addresses, so its path may differ from a run with fixed addresses"
    fixed_addresses=()
fi

# With pipefail the fuzzer's failure is the script's, whatever the filter finds.
"${fixed_addresses[@]}" "$fuzzer" -seed=1 -runs="$runs" -reload=0 -timeout=10 -rss_limit_mb=4096 \
          -print_final_stats=1 -artifact_prefix="$artefacts/" "$scratch" 2>&1 \
    | { grep -E "^(INFO: seed corpus|stat::|==[0-9]+==|SUMMARY|Test unit written|#[0-9]+[[:space:]]+DONE)" || true; }

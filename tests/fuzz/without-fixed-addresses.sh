#!/usr/bin/env bash
# The fuzzing stage where address randomisation cannot be turned off, as in a container: a setarch
# that refuses, as the container's does, stands first on the path. The stage must say so, run the
# inputs all the same and fail only on a finding. Arguments: those of replay-and-mutate.sh.
set -euo pipefail

stand_in=$(mktemp -d)
trap 'rm -rf "$stand_in"' EXIT
cat > "$stand_in/setarch" << 'REFUSING'
#!/bin/sh
echo "setarch: failed to set personality to $1: Operation not permitted" >&2
exit 1
REFUSING
chmod +x "$stand_in/setarch"

output=$(PATH="$stand_in:$PATH" "$(dirname "$0")/replay-and-mutate.sh" "$@")
echo "$output"
grep -q "^setarch -R is refused here" <<< "$output"
grep -qE "^#[0-9]+[[:space:]]+DONE" <<< "$output"

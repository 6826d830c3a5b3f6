#!/usr/bin/env bash
# Makes Resources/SulphurPoint-Bold.ttf and Resources/OFL.txt from the npm package once; the
# results are committed, so the build needs neither npm nor fonttools.
# Needs: npm, and Debian's python3-fonttools (run by /usr/bin/python3 unless PYTHON says otherwise).
set -euo pipefail

package="@fontsource/sulphur-point@5.1.0"
source_file="package/files/sulphur-point-latin-700-normal.woff"
python="${PYTHON:-/usr/bin/python3}"
resources="$(cd "$(dirname "$0")/.." && pwd)/Resources"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

(cd "$work" && npm pack --silent "$package" >/dev/null && tar -xzf ./*.tgz)

mkdir -p "$resources"
# Tables are copied as they are (only the container changes), and the header's date is kept,
# so the same package gives the same bytes every time.
"$python" - "$work/$source_file" "$resources/SulphurPoint-Bold.ttf" <<'PY'
import sys
from fontTools.ttLib import TTFont

font = TTFont(sys.argv[1], recalcTimestamp=False)
font.flavor = None
font.save(sys.argv[2])
PY
cp "$work/package/LICENSE" "$resources/OFL.txt"

stat -c '%n: %s bytes' "$resources/SulphurPoint-Bold.ttf"

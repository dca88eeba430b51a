#!/usr/bin/env bash
# The program started with a model file on its command line, named relative to the folder the
# command is typed in, draws the model lit from the eye: where the cube stands the screen holds
# faces far brighter than the grey background and its grid show in the same start without one.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
(cd "$root/tests/data" && "$root/tools/screenshot" "$out/with.png" -- kzp/cube.kzp 2>/dev/null) || { echo "screenshot with the model failed"; exit 1; }
"$root/tools/screenshot" "$out/without.png" 2>/dev/null || { echo "screenshot without a model failed"; exit 1; }
# The region of the main view where the cube stands (a 1280 x 1024 screen).
region="-crop 160x160+540+600 -colorspace Gray"
with=$(convert "$out/with.png" $region -format '%[fx:maxima]' info:)
without=$(convert "$out/without.png" $region -format '%[fx:maxima]' info:)
echo "brightest pixel where the cube stands: with the model $with, without $without"
awk -v a="$with" -v b="$without" 'BEGIN { exit !(a > 0.9 && a - b > 0.1) }' || { echo "the model is not drawn lit"; exit 1; }

#!/usr/bin/env bash
# The program started with a model file on its command line draws the model: its screen is
# brighter than the screen of the same start without one (the cube is lit grey on black).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cube="$root/tests/data/kzp/cube.kzp"
"$root/tools/screenshot" "$out/with.png" -- "Z:${cube//\//\\}" 2>/dev/null || { echo "screenshot with the model failed"; exit 1; }
"$root/tools/screenshot" "$out/without.png" 2>/dev/null || { echo "screenshot without a model failed"; exit 1; }
with=$(convert "$out/with.png" -colorspace Gray -format '%[fx:mean]' info:)
without=$(convert "$out/without.png" -colorspace Gray -format '%[fx:mean]' info:)
echo "mean brightness: with the model $with, without $without"
awk -v a="$with" -v b="$without" 'BEGIN { exit !(a - b > 0.01) }' || { echo "the model is not drawn"; exit 1; }

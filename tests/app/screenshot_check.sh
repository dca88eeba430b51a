#!/usr/bin/env bash
# tools/screenshot on the built program: it must save a PNG of the whole virtual screen
# that shows more than a few colours (the main window, its frame and the views).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(mktemp -d /tmp/miravel-shot.XXXXXX)"
trap 'rm -rf "$out"' EXIT
"$root/tools/screenshot" "$out/shot.png" || { echo "screenshot failed"; exit 1; }
size=$(identify -format '%wx%h' "$out/shot.png") || { echo "not a picture"; exit 1; }
[ "$size" = 1280x1024 ] || { echo "unexpected size $size"; exit 1; }
colours=$(convert "$out/shot.png" -format '%k' info:)
[ "$colours" -gt 8 ] || { echo "only $colours colours: nothing was drawn"; exit 1; }
echo "screenshot ok: $size, $colours colours"

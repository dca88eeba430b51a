#!/usr/bin/env bash
# tools/screenshot on the built program: it must save a PNG of the whole virtual screen
# that shows more than a few colours (the main window, its frame and the views), and the
# maximised main window's close button must show its cross, not the letter "r" that Wine
# draws when its symbol font is missing.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(mktemp -d /tmp/miravel-shot.XXXXXX)"
trap 'rm -rf "$out"' EXIT
"$root/tools/screenshot" "$out/shot.png" || { echo "screenshot failed"; exit 1; }
size=$(identify -format '%wx%h' "$out/shot.png") || { echo "not a picture"; exit 1; }
[ "$size" = 1280x1024 ] || { echo "unexpected size $size"; exit 1; }
colours=$(convert "$out/shot.png" -format '%k' info:)
[ "$colours" -gt 8 ] || { echo "only $colours colours: nothing was drawn"; exit 1; }
# The close button's face (inside its frame at the screen's top-right corner): the cross
# is mirror-symmetric, the letter is not.
convert "$out/shot.png" -crop 14x12+1263+2 +repage -colorspace Gray -threshold 50% "$out/close.png"
convert "$out/close.png" -flop "$out/flop.png"
dark=$(convert "$out/close.png" -negate -format '%[fx:round(mean*w*h)]' info:)
differ=$(compare -metric AE "$out/close.png" "$out/flop.png" null: 2>&1)
[ "$dark" -ge 12 ] || { echo "no glyph on the close button ($dark dark pixels)"; exit 1; }
[ "$differ" -le 2 ] || { echo "the close button shows a letter, not its cross ($differ of $dark pixels differ mirrored)"; exit 1; }
echo "screenshot ok: $size, $colours colours, close button glyph $dark pixels"

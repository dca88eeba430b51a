#!/usr/bin/env bash
# ./run with a model path holding a blank, given whole and relative to the folder it is
# typed in: the program must open its window and draw, with no box about the model; the same
# command with a missing file must show a box about it (so the path really reached the
# program). Without a display ./run says so instead of starting a hidden one.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
export MIRAVEL_HEADLESS=1 MIRAVEL_MODAL_AUTO=1
source "$root/tools/winenv.sh" || exit 1   # one private Xvfb and prefix, reused by ./run
_miravel_own_settings
dir="$(mktemp -d "/tmp/miravel run.XXXXXX")"
cleanup() { rm -rf "$dir"; _miravel_drop_settings; _miravel_end_own; }
trap cleanup EXIT
cp "$root/tests/fuzz/corpus/fuzz_kzp/v2006000.kzp" "$dir/model.kzp"
# The texture the model names, beside it (a missing one is said in a box).
cp "$root/tests/golden/draw/textures.png" "$dir/tex1.png"

# Runs ./run on $1 (from folder $2) until it has drawn; its stderr goes to $dir/err. 0 when it drew.
run_until_drawn() {
  local ready="$dir/ready" pid rc=1
  rm -f "$ready"
  (cd "${2:-.}" && MIRAVEL_READY_FILE="Z:${ready//\//\\}" exec "$root/run" "$1") 2>"$dir/err" >/dev/null &
  pid=$!
  for _ in $(seq 1 600); do
    [ -e "$ready" ] && { rc=0; break; }
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
  return $rc
}

run_until_drawn "$dir/model.kzp" || { echo "./run did not draw"; cat "$dir/err"; exit 1; }
if grep -aq '^modal ' "$dir/err"; then echo "a box while opening the model:"; cat "$dir/err"; exit 1; fi
run_until_drawn model.kzp "$dir" || { echo "./run did not draw with a relative path"; cat "$dir/err"; exit 1; }
if grep -aq '^modal ' "$dir/err"; then echo "a box while opening the model by a relative path:"; cat "$dir/err"; exit 1; fi
run_until_drawn "$dir/missing.kzp" || { echo "./run did not draw with a missing model"; exit 1; }
grep -aq '^modal box' "$dir/err" || { echo "no box for a missing model"; cat "$dir/err"; exit 1; }
msg=$(env -u DISPLAY MIRAVEL_HEADLESS=0 "$root/run" 2>&1) && { echo "./run without a display did not fail"; exit 1; }
echo "$msg" | grep -q "no X display" || { echo "./run without a display: $msg"; exit 1; }
echo "./run ok"

# Sourced by tools/wine-run, ./run and tools/screenshot: the environment the
# Windows program and the Windows-side tests run in under Wine.
#   MIRAVEL_HEADLESS=1  a private Xvfb display and a private Wine prefix (tests, screenshots),
#                       both gone when the shell that sourced this ends, however it ends
# Without it (./run on the user's display) the program runs in build/wineprefix.
_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MIRAVEL_ROOT="$_root"
export WINE="${WINE:-/usr/lib/wine/wine64}"
export WINESERVER="${WINESERVER:-/usr/lib/wine/wineserver}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Direct3D's calls run on the program's own thread, not on a thread of Wine's (its "command
# stream"). That thread talks to the X server on the connection the program's window calls use,
# and when the server reports an error to it while the program waits on that connection for an
# answer (showing or moving a window, reading the screen), Xlib deadlocks the two for good.
export WINE_D3D_CONFIG="${WINE_D3D_CONFIG:-csmt=0}"
export LC_ALL=ja_JP.UTF-8
# No sound card on a server: DirectSound runs on ALSA's null device.
export ALSA_CONFIG_PATH="$_root/tools/asound-null.conf"
# The prefix every other one is copied from: made once per Wine version, never run in
# afterwards. The copies live beside it (hard links need the same file system).
_miravel_template="$_root/build/wine/template"
_miravel_wine_version="$("$WINE" --version 2>/dev/null)"

# Xvfb picks a free display itself (-displayfd) and writes its number once it accepts
# clients: no race with other servers starting at the same time. It runs in a session of its
# own, outside the caller's process tree: a test stopped by CTest (which kills the test's
# whole tree at once) does not take it down hard, and _miravel_end stops it cleanly, so no
# lock file or socket of a dead display stays in /tmp.
_miravel_start_xvfb() {
  local numfile pidfile n="" pid=""
  numfile="$(mktemp /tmp/miravel-xvfb.XXXXXX)"
  pidfile="$numfile.pid"
  setsid -f bash -c 'echo $$ >"$1"; exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$2"' \
    _ "$pidfile" "$numfile" </dev/null >/dev/null 2>&1
  for _ in $(seq 1 600); do
    [ -n "$pid" ] || pid=$(cat "$pidfile" 2>/dev/null)
    n=$(tr -dc 0-9 <"$numfile")
    [ -n "$n" ] && [ -n "$pid" ] && break
    [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null && break
    sleep 0.1
  done
  rm -f "$numfile" "$pidfile"
  if [ -n "$n" ] && [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    export DISPLAY=:$n MIRAVEL_XVFB_PID=$pid
    _miravel_own_xvfb=$pid
    return 0
  fi
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  echo "winenv: Xvfb did not start" >&2; return 1
}

# The template prefix, with a virtual desktop so that windows get frames and activation is
# deterministic. Made in a folder of its own and renamed into place only when complete, under
# a lock: the first users on a fresh machine may start together, and a maker stopped half way
# leaves no half-made prefix behind for the next one.
_miravel_template_ready() {
  [ "$(cat "$_miravel_template/.miravel-ready" 2>/dev/null)" = "$_miravel_wine_version" ]
}
_miravel_make_template() {
  _miravel_template_ready && return 0
  mkdir -p "$(dirname "$_miravel_template")"
  (
    flock 9
    _miravel_template_ready && exit 0
    rm -rf "$_miravel_template" "$_miravel_template".new.*
    new="$_miravel_template.new.$$"
    mkdir -p "$new"
    export WINEPREFIX="$new"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 || true
    "$WINESERVER" -w 2>/dev/null || true
    # Title-bar buttons are glyphs of Wine's own symbol font (fonts-wine); this Wine does not
    # look for it in its data folder, only in the prefix's font folder.
    [ -e /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$new/drive_c/windows/Fonts/" 2>/dev/null
    [ -f "$new/system.reg" ] || { echo "winenv: wineboot made no prefix" >&2; rm -rf "$new"; exit 1; }
    echo "$_miravel_wine_version" >"$new/.miravel-ready"
    mv "$new" "$_miravel_template"
  ) 9>"$_miravel_template.lock"
}

# Stops everything a private environment holds: the prefix's Wine server with every Wine
# process of it (the desktop too), the display, and the folder with the prefix and the
# settings. Safe to run twice.
_miravel_end() {
  local dir=$1 xvfb=$2
  if [ -d "$dir/prefix" ]; then
    WINEPREFIX="$dir/prefix" timeout 30 "$WINESERVER" -k >/dev/null 2>&1
  fi
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  [ -n "$dir" ] && rm -rf "$dir"
}

# A private prefix, copied from the template into a fresh folder: its own Wine server and
# desktop, nothing shared with any other program, no state from an earlier run. The copy is
# folders with hard links to the template's files (its DLLs are most of 700 MB): Wine only
# adds files to a prefix or replaces them whole, except the registry, which is copied. A
# guard in a session of its own waits for the sourcing shell ($1) to end, by whatever means,
# and then runs _miravel_end, so a test stopped at its time limit leaves nothing behind.
_miravel_private_wine() {
  local owner=$1 dir f
  _miravel_make_template || return 1
  dir="$(mktemp -d "$(dirname "$_miravel_template")/run.XXXXXX")" || return 1
  cp -al "$_miravel_template" "$dir/prefix" || { rm -rf "$dir"; return 1; }
  for f in "$_miravel_template"/*.reg; do cp --remove-destination "$f" "$dir/prefix/"; done
  export WINEPREFIX="$dir/prefix" MIRAVEL_WINE_DIR="$dir"
  setsid -f bash -c "$(declare -f _miravel_end)"'
    tail --pid="$1" -f /dev/null; _miravel_end "$2" "$3"' _ "$owner" "$dir" "${_miravel_own_xvfb:-}" \
    </dev/null >/dev/null 2>&1
}

if [ "${MIRAVEL_HEADLESS:-0}" = 1 ] || [ -z "${DISPLAY:-}" ]; then
  if [ -z "${MIRAVEL_XVFB_PID:-}" ] || ! kill -0 "$MIRAVEL_XVFB_PID" 2>/dev/null; then
    _miravel_start_xvfb
  fi
fi
if [ "${MIRAVEL_HEADLESS:-0}" = 1 ]; then
  # A shell started by one that already made its environment (./run from a test) uses it.
  if [ -z "${MIRAVEL_WINE_DIR:-}" ] || [ ! -d "${MIRAVEL_WINE_DIR:-}/prefix" ]; then
    _miravel_private_wine $$ && _miravel_own_wine=1
  fi
else
  export WINEPREFIX="${WINEPREFIX:-$_root/build/wineprefix}"
  if [ ! -f "$WINEPREFIX/.miravel-ready" ] && _miravel_make_template; then
    rm -rf "$WINEPREFIX" && cp -a "$_miravel_template" "$WINEPREFIX"
  fi
fi
# What this shell made ends here, now (its guard then finds nothing more to do).
_miravel_end_own() {
  if [ "${_miravel_own_wine:-}" = 1 ]; then _miravel_end "$MIRAVEL_WINE_DIR" "${_miravel_own_xvfb:-}"
  elif [ -n "${_miravel_own_xvfb:-}" ]; then kill "$_miravel_own_xvfb" 2>/dev/null; fi
}

# Tests and screenshots keep their settings file in a folder of their own, so they neither
# read the user's settings nor leave a file in the data folder: _miravel_own_settings makes
# it (removed by _miravel_drop_settings) and points MIRAVEL_SETTINGS_DIR at it. Inside the
# private environment's folder it goes with the rest even when a test is stopped.
_miravel_own_settings() {
  MIRAVEL_SETTINGS_UNIX="$(mktemp -d "${MIRAVEL_WINE_DIR:-/tmp}/miravel-settings.XXXXXX")"
  export MIRAVEL_SETTINGS_UNIX MIRAVEL_SETTINGS_DIR="Z:${MIRAVEL_SETTINGS_UNIX//\//\\}"
}
_miravel_drop_settings() { [ -n "${MIRAVEL_SETTINGS_UNIX:-}" ] && rm -rf "$MIRAVEL_SETTINGS_UNIX"; }

# Sourced by tools/wine-run, ./run and tools/screenshot: the environment the
# Windows program and the Windows-side tests run in under Wine.
#   MIRAVEL_HEADLESS=1  always use a private Xvfb display (tests, screenshots)
_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MIRAVEL_ROOT="$_root"
export WINE="${WINE:-/usr/lib/wine/wine64}"
export WINESERVER="${WINESERVER:-/usr/lib/wine/wineserver}"
export WINEPREFIX="${WINEPREFIX:-$_root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8
# No sound card on a server: DirectSound runs on ALSA's null device.
export ALSA_CONFIG_PATH="$_root/tools/asound-null.conf"

# Xvfb picks a free display itself (-displayfd) and writes its number once it accepts
# clients: no race with other servers starting at the same time, no leftover lock files.
_miravel_start_xvfb() {
  local numfile pid n=""
  numfile="$(mktemp /tmp/miravel-xvfb.XXXXXX)"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 300); do
    n=$(tr -dc 0-9 <"$numfile")
    [ -n "$n" ] && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$numfile"
  if [ -n "$n" ] && kill -0 $pid 2>/dev/null; then
    export DISPLAY=:$n MIRAVEL_XVFB_PID=$pid
    return 0
  fi
  kill $pid 2>/dev/null
  echo "winenv: Xvfb did not start" >&2; return 1
}
if [ "${MIRAVEL_HEADLESS:-0}" = 1 ] || [ -z "${DISPLAY:-}" ]; then
  if [ -z "${MIRAVEL_XVFB_PID:-}" ] || ! kill -0 "$MIRAVEL_XVFB_PID" 2>/dev/null; then
    _miravel_start_xvfb
  fi
fi

# A Wine prefix made once under build/, with a virtual desktop so that windows get
# frames and activation is deterministic.
# Made under a lock: the first users on a fresh machine may start together.
if [ ! -f "$WINEPREFIX/.miravel-ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.miravel-ready" ]; then
      "$WINE" wineboot -i >/dev/null 2>&1 || true
      "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
      "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 || true
      "$WINESERVER" -w 2>/dev/null || true
      touch "$WINEPREFIX/.miravel-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
# Title-bar buttons are glyphs of Wine's own symbol font (fonts-wine); this Wine does not
# look for it in its data folder, only in the prefix's font folder.
_fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -e "$_fonts/marlett.ttf" ] && [ -e /usr/share/wine/fonts/marlett.ttf ] && [ -d "$_fonts" ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$_fonts/" 2>/dev/null || true
fi

# Tests and screenshots keep their settings file in a folder of their own, so they neither
# read the user's settings nor leave a file in the data folder: _miravel_own_settings makes
# it (removed by _miravel_drop_settings) and points MIRAVEL_SETTINGS_DIR at it.
_miravel_own_settings() {
  MIRAVEL_SETTINGS_UNIX="$(mktemp -d /tmp/miravel-settings.XXXXXX)"
  export MIRAVEL_SETTINGS_UNIX MIRAVEL_SETTINGS_DIR="Z:${MIRAVEL_SETTINGS_UNIX//\//\\}"
}
_miravel_drop_settings() { [ -n "${MIRAVEL_SETTINGS_UNIX:-}" ] && rm -rf "$MIRAVEL_SETTINGS_UNIX"; }

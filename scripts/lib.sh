# Shared by the scripts: paths, a private virtual display and a private Wine prefix.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_NATIVE="$ROOT/build/native"
BUILD_WINDOWS="$ROOT/build/windows"

# A Wine prefix inside the build folder, so nothing outside the checkout changes.
wine_env() {
  export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono/Gecko installer prompts in a headless prefix.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing a private Wine prefix in $WINEPREFIX ..."
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  # Wine draws the title bars' buttons with the Marlett font, which Debian's
  # Wine does not put into a new prefix: without it they show as letters.
  if [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
}

XVFB_PID=""
# Starts Xvfb on a free display number and exports DISPLAY; the screen is
# 1024x768 unless given (start_xvfb 1536x1152).
start_xvfb() {
  local n size="${1:-1024x768}"
  for n in $(seq 91 140); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 1 50); do
        if xdpyinfo -display ":$n" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
      done
      echo "Xvfb did not start on :$n" >&2
      return 1
    fi
  done
  echo "no free X display number" >&2
  return 1
}

stop_xvfb() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}

build_preset() {
  local preset="$1"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}

# Runs a command with the Wine prefix's display scale at this DPI (96 = 100 %,
# 144 = 150 %), then sets it back to 100 %. Wine reads the scale when its
# server starts, so the server is restarted before and after.
at_scale() {  # at_scale DPI COMMAND...
  local dpi="$1" status; shift
  wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  "$@"
  status=$?
  wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  return $status
}

#!/usr/bin/env bash
# Makes (once) and starts the Wine prefix named by $WINEPREFIX.
#   wine-prefix.sh test   headless: the null graphics driver, a persistent wineserver, and the drive T:
#                         that the window tests use for their scratch drive roots
#   wine-prefix.sh monitors  as test, but with Wine's X11 driver, for the X display in $DISPLAY
#   wine-prefix.sh run    the prefix of ./run, as Wine makes it
set -euo pipefail
mode=${1:-run}
: "${WINEPREFIX:?}"
# A crashing program in a test must end at once with its backtrace on the error output, never wait
# in Wine's crash dialog (which, with no display, waits for ever).
crash_after_backtrace() {
  if ! grep -qi '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  fi
}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
  if [ "$mode" != run ]; then
    [ "$mode" = monitors ] || wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    crash_after_backtrace
    # The desktop process started so far has no graphics driver; the tests' one starts afresh.
    wineserver -k 2>/dev/null || true
  fi
fi
# Debian's Wine looks for its own fonts in the prefix only; without them "MS Sans Serif" and the
# title bar's Marlett glyphs are drawn in a stand-in font.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -d /usr/share/wine/fonts ] && [ ! -e "$fonts/sserife.fon" ]; then
  mkdir -p "$fonts"
  ln -sf /usr/share/wine/fonts/* "$fonts/"
fi
if [ "$mode" != run ]; then
  # The tests' scratch drive; made before the prefix's services start, which read the drives once.
  mkdir -p "$WINEPREFIX/drive_t"
  ln -sfn ../drive_t "$WINEPREFIX/dosdevices/t:"
  crash_after_backtrace
  # A server that stays up between the test programs saves Wine's start-up for each one; when one
  # is already running, it serves.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  # Start the prefix's own processes now, away from CTest's output pipes, which they would
  # otherwise hold open after a test program ends.
  wineboot </dev/null >/dev/null 2>&1 || true
else
  wineserver -w
fi
